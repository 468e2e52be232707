#include "FileHelpers.h"
#include "TestSupport.h"

#include "base/Paths.h"
#include "tools/ToolArguments.h"
#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace TestSupport;

Q_DECLARE_METATYPE(std::function<MessageBox::Button()>)

// The run's temporary names, file checks, tool argument templates and the message box.
class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void tempNames();
    void fileTests();
    void toolArguments_data();
    void toolArguments();
    void messageBoxTypes_data();
    void messageBoxTypes();
    void nextAnswerSkipsTheBox();
};

void TestApp::tempNames()
{
    QString folder;
    QVERIFY(getTempFolder(folder));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QFileInfo(folder).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    // Private to this user: nobody else may plant files in it.
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
             QFile::Permissions());

    QString a, b;
    QVERIFY(makeTempFileName("VL_Copy_Resized_", a));
    QVERIFY(makeTempFileName("VL_Copy_WithText_", b));
    QVERIFY(a != b);
    QVERIFY(a.startsWith(folder + "/VL_Copy_Resized_"));
    QVERIFY(a.endsWith(".bmp"));
    const QString stamp = QFileInfo(a).completeBaseName().mid(QStringLiteral("VL_Copy_Resized_").size());
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_\\d{3}$").match(stamp).hasMatch(),
             qPrintable(stamp));
    QString again;
    QVERIFY(getTempFolder(again));
    QCOMPARE(again, folder);
}

void TestApp::fileTests()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("empty"), "");
    writeFile(dir.filePath("one"), "1");
    QVERIFY(!isNonEmptyFile(dir.filePath("empty")));
    QVERIFY(isNonEmptyFile(dir.filePath("one")));
    QVERIFY(!isNonEmptyFile(dir.path()));
    QVERIFY(!isNonEmptyFile(QString()));
    QCOMPARE(regularFileSize(dir.filePath("one")), qint64(1));
    QCOMPARE(regularFileSize(dir.path()), qint64(0));
    QVERIFY(isDirectory(dir.path()));
    QVERIFY(isDirectory(dir.path() + "/"));
    QVERIFY(isDirectory("/"));
    QVERIFY(!isDirectory(dir.filePath("one")));
    QVERIFY(isDriveRoot("/"));
    QVERIFY(!isDriveRoot("/tmp"));
    QVERIFY(isAbsolutePath("/a"));
    QVERIFY(!isAbsolutePath("-rf"));
}

void TestApp::toolArguments_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("canvas") << R"(-size %1x%2 "canvas:#%3" "%4")"
                            << QStringList{"640", "360", "102030", "/t/a b.bmp"}
                            << QStringList{"-size", "640x360", "canvas:#102030", "/t/a b.bmp"};
    QTest::addRow("values are never split or re-read")
        << R"("%1" -font %2 -annotate %3%4 "%5")"
        << QStringList{"/p/\"quoted\" %2 -x.bmp", "DejaVu Sans Bold", "+10", "-20", "say \"%1\""}
        << QStringList{"/p/\"quoted\" %2 -x.bmp", "-font", "DejaVu Sans Bold", "-annotate", "+10-20", "say \"%1\""};
    QTest::addRow("leading blank and literal percent") << R"( -r 6 -f "%1" 100%)"
                                                       << QStringList{"-leading"}
                                                       << QStringList{"-r", "6", "-f", "-leading", "100%"};
    QTest::addRow("escaped quote in template") << R"(a\"b "c d")" << QStringList{}
                                               << QStringList{"a\"b", "c d"};
    QTest::addRow("empty value stays an argument") << R"(x "%1" y)" << QStringList{""}
                                                   << QStringList{"x", "", "y"};
}

void TestApp::toolArguments()
{
    QFETCH(QString, templ);
    QFETCH(QStringList, values);
    QFETCH(QStringList, expected);
    QCOMPARE(::toolArguments(templ, values), expected);
    QCOMPARE(hexColor(0xff0000), QStringLiteral("#ff0000"));
    QCOMPARE(hexColor(0x1ff), QStringLiteral("#0001ff"));
    QCOMPARE(signedNumber(10) + signedNumber(-5), QStringLiteral("+10-5"));
    QCOMPARE(signedNumber(0), QStringLiteral("+0"));
}

void TestApp::messageBoxTypes_data()
{
    using Show = std::function<MessageBox::Button()>;
    QTest::addColumn<Show>("show");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("yesNo");
    QTest::addColumn<bool>("noIsDefault");

    const QString text = QStringLiteral("a\nb");
    auto ok = [](void (*f)(QWidget *, const QString &), const QString &t) {
        return Show([f, t] { f(nullptr, t); return QMessageBox::Ok; });
    };
    QTest::addRow("information") << ok(&MessageBox::information, text) << "Velmora"
                                 << int(QMessageBox::NoIcon) << false << false;
    QTest::addRow("critical") << ok(&MessageBox::critical, text) << "Velmora"
                              << int(QMessageBox::Critical) << false << false;
    QTest::addRow("warning") << ok(&MessageBox::warning, text) << "Velmora"
                             << int(QMessageBox::Warning) << false << false;
    QTest::addRow("question without icon, no default")
        << Show([text] { return MessageBox::question(nullptr, text, QMessageBox::No, MessageBox::caption(), QMessageBox::NoIcon); })
        << "Velmora" << int(QMessageBox::NoIcon) << true << true;
    QTest::addRow("replace question")
        << Show([text] { return MessageBox::question(nullptr, text, QMessageBox::No, QStringLiteral("Create Pictune...")); })
        << "Create Pictune..." << int(QMessageBox::Question) << true << true;
    QTest::addRow("question, yes default")
        << Show([text] { return MessageBox::question(nullptr, text, QMessageBox::Yes); })
        << "Velmora" << int(QMessageBox::Question) << true << false;
}

void TestApp::messageBoxTypes()
{
    QFETCH(std::function<MessageBox::Button()>, show);
    QFETCH(QString, caption);
    QFETCH(int, icon);
    QFETCH(bool, yesNo);
    QFETCH(bool, noIsDefault);

    QString seenTitle, seenText;
    int seenIcon = -1;
    QStringList buttons;
    QString defaultButton;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenIcon = box->icon();
        for (QAbstractButton *b : box->buttons())
            buttons << (box->standardButton(b) == QMessageBox::Yes ? "yes"
                        : box->standardButton(b) == QMessageBox::No ? "no" : "ok");
        defaultButton = static_cast<QAbstractButton *>(box->defaultButton()) == box->button(QMessageBox::No) ? "no" : "other";
        // Return presses the default button.
        QTest::keyClick(box, Qt::Key_Return);
    });
    const MessageBox::Button result = show();
    QCOMPARE(seenTitle, caption);
    QCOMPARE(seenText, QStringLiteral("a\nb"));
    QCOMPARE(seenIcon, icon);
    buttons.sort();
    const QStringList expectedButtons = yesNo ? QStringList{"no", "yes"} : QStringList{"ok"};
    QCOMPARE(buttons, expectedButtons);
    QCOMPARE(defaultButton == "no", noIsDefault);
    QCOMPARE(result, yesNo ? (noIsDefault ? QMessageBox::No : QMessageBox::Yes) : QMessageBox::Ok);
}

void TestApp::nextAnswerSkipsTheBox()
{
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QCOMPARE(MessageBox::question(nullptr, QStringLiteral("shown?")), QMessageBox::Yes);
    // Only once: the next message goes to the hook again.
    TestSupport::MessageRecorder recorder(QMessageBox::No);
    QCOMPARE(MessageBox::question(nullptr, QStringLiteral("asked")), QMessageBox::No);
    QCOMPARE(recorder.messages.size(), 1);
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
