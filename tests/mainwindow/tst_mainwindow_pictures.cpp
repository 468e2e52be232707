#include "MainWindowFixture.h"

#include "base/Paths.h"
#include "mainwindow/MainWindow.h"
#include "model/PicturePreparation.h"
#include "widgets/PictureBox.h"

#include <QImage>
#include <QtTest>

using namespace TestSupport;

// Pictures the main window is given but cannot use.
class TestMainWindowPictures : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void refusedPictureSaysWhyAndKeepsTheStep_data();
    void refusedPictureSaysWhyAndKeepsTheStep();
};

void TestMainWindowPictures::refusedPictureSaysWhyAndKeepsTheStep_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");    // empty: ignored without a message
    QTest::addRow("jpeg cut short") << "cut" << "The file ends before the picture does";
    QTest::addRow("grey png over the image tool's limit") << "grey" << "at most 59.65 megapixels of a grey PNG";
    QTest::addRow("text named .jpg") << "text" << "";
}

void TestMainWindowPictures::refusedPictureSaysWhyAndKeepsTheStep()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    QString refused = m_notPicture;
    if (kind == "cut") {
        QFile whole(m_picture);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        refused = scratch.filePath("download.jpg");
        QFile cut(refused);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(whole.size() / 3));
    } else if (kind == "grey") {
        refused = scratch.filePath("scan.png");
        QImage grey(7800, 7800, QImage::Format_Grayscale8);
        grey.fill(90);
        QVERIFY(grey.save(refused));
    }

    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_picture);
    QCOMPARE(window->picture().sourcePath(), m_picture);
    QVERIFY(m_messages->messages.isEmpty());

    dropFile(window.get(), refused);
    if (reason.isEmpty()) {
        QVERIFY(m_messages->messages.isEmpty());
    } else {
        QCOMPARE(m_messages->messages.size(), 1);
        const QString text = m_messages->messages.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("This Picture can not be used:\n\n   %1\n\n").arg(refused)), qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
    }
    // Nothing lost: the step keeps the picture it had, and the box shows it.
    QCOMPARE(window->picture().sourcePath(), m_picture);
    QVERIFY(window->control(MainWindow::Step1Done)->isVisible());
    QVERIFY(window->pictureBox()->hasPicture());
    QVERIFY(!window->pictureBox()->isPlaceholder());
    QVERIFY(isNonEmptyFile(window->picture().currentPicturePath()));
}

QTEST_MAIN(TestMainWindowPictures)
#include "tst_mainwindow_pictures.moc"
