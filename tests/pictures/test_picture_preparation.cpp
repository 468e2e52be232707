#include "PicturePreparationFixture.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "common/PictureWaits.h"
#include "common/TestSupport.h"
#include "media/FontList.h"
#include "model/PicturePreparation.h"
#include "tools/ToolRunner.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

namespace {

QString tempImageMessage(const QString &path)
{
    return QStringLiteral("Could not create a Temp Image Bitmap here:\n\n   %1\n\n"
                          "Possibly a bad source image file?\n\nOr an invalid Temp directory?")
        .arg(path);
}

} // namespace

// The preparation as a job: how sources reach the tool, how its failures and the tool's own
// outcomes are told, requests side by side or canceled, and the temporary files.
class TestPicturePreparation : public PicturePreparationFixture
{
    Q_OBJECT

private slots:
    // With the real image tool
    void oddFileNames_data();
    void oddFileNames();
    void patternCharactersTakenLiterally_data();
    void patternCharactersTakenLiterally();
    void sourceFailures_data();
    void sourceFailures();
    void failedPreparationLeavesNoStalePicture();

    // With a stand-in for faults the real tool cannot show
    void toolOutcomes_data();
    void toolOutcomes();
    void fontNameWithBlankIsOneArgument();
    void twoPreparationsRunSideBySide();
    void cancelStopsTheToolAndSaysNothing();

    void unusableTempFolder();
    void temporaryFilesRemoved();
    void shapedCaptionLayersRemoved();

private:
    QString makeFakeTool(const QString &name, const QString &body);
};

QString TestPicturePreparation::makeFakeTool(const QString &name, const QString &body)
{
    // The last argument is the output, as "bmp:<path>".
    return TestSupport::writeScript(
        path(name), QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do out=\"$a\"; done\nout=\"${out#bmp:}\"\n%1\n")
                        .arg(body)
                        .toUtf8());
}

void TestPicturePreparation::oddFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("blanks") << "my picture.bmp";
    QTest::addRow("quotes") << "say \"cheese\" it's.bmp";
    QTest::addRow("percent d") << "100%d.bmp";
    QTest::addRow("percent and blank") << "50% off.bmp";
    QTest::addRow("unicode") << "Ünïcødé 写真.bmp";
    QTest::addRow("leading dash") << "-size 1x1.bmp";
    QTest::addRow("brackets") << "frame[1].bmp";
    QTest::addRow("format-like prefix") << "png:trick.bmp";
    QTest::addRow("wrong extension") << "really a bitmap.jpg";
}

void TestPicturePreparation::oddFileNames()
{
    QFETCH(QString, name);
    const QString source = path(name);
    QFile::remove(source);
    QVERIFY(QFile::copy(path("small.bmp"), source));
    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, source, nullptr));
    QVERIFY(m_messages->messages.isEmpty());
    const QImage image(preparation.currentPicturePath());
    QCOMPARE(image.size(), QSize(640, 360));
    QCOMPARE(image.pixel(320, 180), qRgb(0, 0, 255));
}

void TestPicturePreparation::patternCharactersTakenLiterally_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("others");
    QTest::addRow("star") << "*.jpg" << QStringList{"a.jpg", "b.jpg"};
    QTest::addRow("question mark") << "why?.jpg" << QStringList{"whyz.jpg"};
    QTest::addRow("character class") << "f[ab].jpg" << QStringList{"fa.jpg", "fb.jpg"};
}

void TestPicturePreparation::patternCharactersTakenLiterally()
{
    // The tool expands a pattern only when its working folder is not the picture's own.
    QFETCH(QString, name);
    QFETCH(QStringList, others);
    QTemporaryDir folder;
    int exitCode = -1;
    QString out = runCommand(convertPath(), {"-size", "40x30", "xc:#ff0000", folder.filePath(name)}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(out));
    for (const QString &other : others) {
        out = runCommand(convertPath(), {"-size", "40x30", "xc:#0000ff", folder.filePath(other)}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
    }
    QVERIFY(QDir::current() != QDir(folder.path()));

    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, folder.filePath(name), nullptr));
    QVERIFY(m_messages->messages.isEmpty());
    const QImage image(preparation.currentPicturePath());
    QCOMPARE(image.size(), QSize(640, 360));
    QVERIFY2(near(image.pixel(320, 180), qRgb(255, 0, 0), 12), qPrintable(pixelText(image.pixel(320, 180))));
    QString temp;
    QVERIFY(getTempFolder(temp));
    QCOMPARE(QDir(temp).entryList({"*-0.bmp", "*-1.bmp", "VL_Source_*"}, QDir::Files | QDir::System),
             QStringList());
}

void TestPicturePreparation::sourceFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");    // empty: the tool's failure message
    const QString notPicture = QStringLiteral("It is not a JPEG, PNG, BMP, GIF or TIFF picture.");
    QTest::addRow("missing") << "missing.jpg" << QByteArray() << "The file can not be opened.";
    QTest::addRow("corrupt jpeg") << "corrupt.jpg" << QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + QByteArray(400, 'Z')
                                  << "The file ends before the picture does: it may be an unfinished download or copy.";
    QTest::addRow("truncated jpeg") << "cut.jpg" << QByteArray("@cut") 
                                    << "The file ends before the picture does: it may be an unfinished download or copy.";
    QTest::addRow("truncated png") << "truncated.png" << QByteArray("@truncate") << "";
    QTest::addRow("text named .png") << "text.png" << QByteArray("hello, I am text\n") << notPicture;
    QTest::addRow("svg named .jpg") << "drawing.jpg"
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\">"
                      "<image href=\"/etc/passwd\"/></svg>") << notPicture;
    QTest::addRow("fifo named .png") << "pipe.png" << QByteArray("@fifo") << "It is not a plain file.";
    QTest::addRow("larger than the tool allows") << "huge.png" << QByteArray("@huge")
        << "It is 16001 x 1 pixels (0.02 megapixels): at most 107.37 megapixels of a picture with a palette can "
           "be used, and at most 16000 pixels wide or high.";
    QTest::addRow("relative path") << "@relative" << QByteArray() << "";
    QTest::addRow("empty file") << "empty.png" << QByteArray("@empty") << notPicture;
}

void TestPicturePreparation::sourceFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QString source = path(name);
    QFile::remove(source);
    if (content == "@truncate" || content == "@cut") {
        QFile full(path(content == "@cut" ? "portrait.jpg" : "gradient.png"));
        QVERIFY(full.open(QIODevice::ReadOnly));
        QFile cut(source);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(full.read(full.size() / 3));
    } else if (content == "@fifo") {
        QVERIFY(::mkfifo(QFile::encodeName(source).constData(), 0600) == 0);
    } else if (content == "@huge") {
        // 16001 pixels wide: over the tool's limit, a few bytes on disk.
        QVERIFY(QImage(16001, 1, QImage::Format_Mono).save(source));
    } else if (content == "@empty") {
        QFile empty(source);
        QVERIFY(empty.open(QIODevice::WriteOnly));
    } else if (name == "@relative") {
        source = QStringLiteral("pictures/square.gif");
    } else if (!content.isEmpty()) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    PicturePreparation preparation(m_canvases);
    CaptionSettings text = caption(QStringLiteral("never drawn"));
    QVERIFY(!preparePicture(preparation, source, &text));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.at(0).text, reason.isEmpty() ? tempImageMessage(preparation.resizedPath())
                                                               : refusedPictureMessage(source, reason));
    QCOMPARE(m_messages->messages.at(0).caption, QStringLiteral("Velmora"));
    QCOMPARE(m_messages->messages.at(0).icon, QMessageBox::NoIcon);
    QCOMPARE(preparation.state(), PicturePreparation::State::Plain);
    QVERIFY(!QFileInfo::exists(preparation.resizedPath()));
    QVERIFY(!QFileInfo::exists(preparation.withTextPath()));
    QVERIFY(!isNonEmptyFile(preparation.currentPicturePath()));
}

void TestPicturePreparation::failedPreparationLeavesNoStalePicture()
{
    PicturePreparation preparation(m_canvases);
    CaptionSettings text = caption(QStringLiteral("Old"));
    QVERIFY(preparePicture(preparation, path("square.gif"), &text));
    QCOMPARE(preparation.currentPicturePath(), preparation.withTextPath());
    QVERIFY(isNonEmptyFile(preparation.currentPicturePath()));

    // A refused picture: neither the old plain copy nor the old copy with text can stand in.
    QVERIFY(!preparePicture(preparation, path("no such picture.png"), &text));
    QVERIFY(!isNonEmptyFile(preparation.currentPicturePath()));
    QVERIFY(!QFileInfo::exists(preparation.withTextPath()));

    // The picture is made but the caption fails (a font the tool does not know): the message
    // names the copy with text, and what stays current is the new picture, never the old caption.
    m_messages->messages.clear();
    text.fontName = QStringLiteral("No-Such-Font-Anywhere");
    QVERIFY(!preparePicture(preparation, path("landscape.png"), &text));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.at(0).text, tempImageMessage(preparation.withTextPath()));
    QCOMPARE(preparation.state(), PicturePreparation::State::Plain);
    QVERIFY(!QFileInfo::exists(preparation.withTextPath()));
    QCOMPARE(QImage(preparation.currentPicturePath()).pixel(320, 180), qRgb(0xe0, 0xc0, 0x20));
}

void TestPicturePreparation::toolOutcomes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("succeeds");
    const QString write = QStringLiteral("printf 'BM-written' > \"$out\"");
    QTest::addRow("clean") << write << true;
    QTest::addRow("error in the tool's form, exit 0")
        << "echo \"convert: unable to open image 'x': No such file @ error/blob.c/OpenBlob/2924.\"\n" + write
        << false;
    QTest::addRow("capital Error only") << "echo 'Error: not really'\n" + write << true;
    QTest::addRow("warning quoting a path with errors")
        << "echo \"convert: Corrupt data '/pics/errors/a.jpg' @ warning/jpeg.c/JPEGWarningHandler/403.\"\n" + write
        << true;
    QTest::addRow("non-zero exit") << write + "\nexit 1" << false;
    QTest::addRow("no output") << "exit 0" << false;
    QTest::addRow("empty output") << ": > \"$out\"" << false;
    QTest::addRow("crash") << write + "\nkill -SEGV $$" << false;
    QTest::addRow("hang") << "exec sleep 30" << false;
}

void TestPicturePreparation::toolOutcomes()
{
    QFETCH(QString, body);
    QFETCH(bool, succeeds);
    AppSettings::instance().set(Settings::ImageTool, makeFakeTool(QStringLiteral("fake-convert"), body));
    setImageToolTimeout(1500);
    PicturePreparation preparation(m_canvases);
    QCOMPARE(preparePicture(preparation, path("square.gif"), nullptr), succeeds);
    QCOMPARE(m_messages->messages.size(), succeeds ? 0 : 1);
    QCOMPARE(isNonEmptyFile(preparation.resizedPath()), succeeds);
}

void TestPicturePreparation::fontNameWithBlankIsOneArgument()
{
    const QString argsFile = path("args.bin");
    AppSettings::instance().set(Settings::ImageTool, makeFakeTool(
        QStringLiteral("recording-convert"),
        QStringLiteral("printf '%s\\0' \"$@\" > '%1'\ncp '%2' \"$out\"").arg(argsFile, path("small.bmp"))));
    CaptionSettings text = caption(QStringLiteral("Two\nlines"));
    text.fontName = QStringLiteral("DejaVu Sans Bold");
    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, QString(), &text));

    QFile file(argsFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> args = file.readAll().split('\0');
    args.removeLast();
    const int font = args.indexOf("-font");
    QVERIFY(font >= 0);
    QCOMPARE(args.at(font + 1), QByteArray("DejaVu Sans Bold"));
    QCOMPARE(args.at(0), ("bmp:" + m_canvases.currentPath() + "[0]").toUtf8());
    QVERIFY(args.contains(QByteArray(R"(Two\nlines)")));
    QCOMPARE(args.last(), ("bmp:" + preparation.withTextPath()).toUtf8());
}

void TestPicturePreparation::twoPreparationsRunSideBySide()
{
    // Each run of this tool waits until both have started: run one after the other, the first
    // gives up and fails.
    QTemporaryDir started;
    AppSettings::instance().set(Settings::ImageTool, makeFakeTool(
        QStringLiteral("meeting-convert"),
        QStringLiteral("touch '%1'/$$\ni=0\nwhile [ $(ls '%1' | wc -l) -lt 2 ]; do\n"
                       "  i=$((i+1)); [ $i -gt 200 ] && exit 1; sleep 0.05\ndone\nexec '%2' \"$@\"")
            .arg(started.path(), convertPath())));
    PicturePreparation first(m_canvases);
    PicturePreparation second(m_canvases);
    QSignalSpy firstDone(&first, &PicturePreparation::finished);
    QSignalSpy secondDone(&second, &PicturePreparation::finished);
    CaptionSettings text = caption(QStringLiteral("Two"));
    first.setSourcePicture(path("square.gif"), &text);
    second.setSourcePicture(path("landscape.png"), nullptr);
    QVERIFY(first.isBusy() && second.isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(firstDone.size() == 1 && secondDone.size() == 1, 60000);
    QVERIFY(firstDone.first().first().value<PictureResult>().succeeded());
    QVERIFY(secondDone.first().first().value<PictureResult>().succeeded());
    QVERIFY(first.resizedPath() != second.resizedPath());

    QCOMPARE(first.currentPicturePath(), first.withTextPath());
    QCOMPARE(first.withTextSettings().text, QStringLiteral("Two"));
    QCOMPARE(QImage(first.resizedPath()).pixel(320, 180), qRgb(255, 0, 0));
    QCOMPARE(second.currentPicturePath(), second.resizedPath());
    QCOMPARE(QImage(second.currentPicturePath()).pixel(320, 180), qRgb(0xe0, 0xc0, 0x20));
    QVERIFY(!QFileInfo::exists(second.withTextPath()));
}

void TestPicturePreparation::cancelStopsTheToolAndSaysNothing()
{
    const QString pidFile = path("hanging.pid");
    QFile::remove(pidFile);
    AppSettings::instance().set(Settings::ImageTool,
        makeFakeTool(QStringLiteral("hanging-convert"), QStringLiteral("echo $$ > '%1'\nexec sleep 30").arg(pidFile)));
    PicturePreparation preparation(m_canvases);
    const PictureResult result = finishPicture(preparation, [&] {
        preparation.setSourcePicture(path("square.gif"), nullptr);
        QTRY_VERIFY(isNonEmptyFile(pidFile));
        preparation.cancel();
    });
    QCOMPARE(result.problem.kind, PictureProblem::Kind::Canceled);
    QVERIFY(result.picturePath.isEmpty());
    QVERIFY(m_messages->messages.isEmpty());
    QVERIFY(!preparation.isBusy());
    QVERIFY(!QFileInfo::exists(preparation.resizedPath()));
    QFile pid(pidFile);
    QVERIFY(pid.open(QIODevice::ReadOnly));
    QTRY_VERIFY(processGone(pid.readAll().trimmed().toLongLong()));
}

void TestPicturePreparation::unusableTempFolder()
{
    // The run's folder vanishes under the preparation: the tool cannot write there.
    {
        PicturePreparation preparation(m_canvases);
        QString folder;
        QVERIFY(getTempFolder(folder));
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(!preparePicture(preparation, path("square.gif"), nullptr));
        QCOMPARE(m_messages->messages.size(), 1);
        QCOMPARE(m_messages->messages.at(0).text, tempImageMessage(preparation.resizedPath()));
    }

    // No temporary folder can be made at all: no names, a message for each refusal, nothing written.
    m_messages->messages.clear();
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QString notAFolder = path("plain-file");
    QFile(notAFolder).open(QIODevice::WriteOnly);
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    {
        PicturePreparation preparation(m_canvases);
        QVERIFY(preparation.resizedPath().isEmpty());
        m_messages->messages.clear();
        QVERIFY(!preparePicture(preparation, path("square.gif"), nullptr));
        QCOMPARE(m_messages->messages.last().text, tempImageMessage(QString()));

        m_messages->messages.clear();
        QVERIFY(!createCanvases());
        QVERIFY(m_messages->messages.last().text.startsWith(
            QStringLiteral("Could not create a Temp Blank Image Bitmap here:\n\n   ")));
        QVERIFY(m_messages->messages.last().text.endsWith(QStringLiteral("\n\nPossibly an invalid Temp directory?")));
    }
    m_canvases.clear();
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
    m_messages->messages.clear();
    QVERIFY(createCanvases());
}

void TestPicturePreparation::temporaryFilesRemoved()
{
    QString folder;
    QVERIFY(getTempFolder(folder));
    {
        PicturePreparation preparation(m_canvases);
        CaptionSettings text = caption(QStringLiteral("Bye"));
        QVERIFY(preparePicture(preparation, path("portrait.jpg"), &text));
        // A blank canvas per size, the letterboxed picture and the captioned one.
        QCOMPARE(QDir(folder).entryList({"VL_*"}, QDir::Files).size(), TargetSizeTable::RowCount + 2);
    }
    m_canvases.clear();
    QCOMPARE(QDir(folder).entryList({"VL_*"}, QDir::Files | QDir::Hidden | QDir::System), QStringList());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(createCanvases());
}

// A caption drawn as layers (Arabic needs shaping) leaves no layer behind, drawn or cancelled.
void TestPicturePreparation::shapedCaptionLayersRemoved()
{
    QVERIFY(queryFontList());
    const auto forget = qScopeGuard([] {
        fontNameList().clear();
        fontGlyphFiles().clear();
    });
    QString folder;
    QVERIFY(getTempFolder(folder));
    PicturePreparation preparation(m_canvases);
    CaptionSettings text = caption(QStringLiteral("\u0645\u0631\u062D\u0628\u0627"));
    text.shadowOn = true;
    QVERIFY(preparePicture(preparation, path("portrait.jpg"), &text));
    const QImage drawn = QImage(preparation.currentPicturePath()).convertToFormat(QImage::Format_RGB32);
    const QImage plain = QImage(preparation.resizedPath()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(drawn.size(), plain.size());
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            differing += drawn.pixel(x, y) != plain.pixel(x, y);
    }
    QVERIFY2(differing > 300, "the caption came out blank");
    QCOMPARE(QDir(folder).entryList({"VL_Layer_*"}, QDir::Files), QStringList());

    const PictureResult result = finishPicture(preparation, [&] {
        preparation.renderText(text);
        preparation.cancel();
    });
    QCOMPARE(result.problem.kind, PictureProblem::Kind::Canceled);
    QCOMPARE(QDir(folder).entryList({"VL_Layer_*"}, QDir::Files), QStringList());
}

QTEST_MAIN(TestPicturePreparation)
#include "test_picture_preparation.moc"
