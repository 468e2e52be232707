// An image tool that hangs, and starts a helper that hangs too: at start-up the program names
// the tool within a short time, and a picture step offers Cancel, clicked here with real X input
// (the tool's wait holds input back until the offer shows). Either way the tool's whole process
// group is gone afterwards. Runs on a private desktop.
#include "PictureWaits.h"
#include "TestSupport.h"
#include "DesktopSupport.h"

#include "base/AppSettings.h"
#include "dialogs/CaptionDialog.h"
#include "media/FontList.h"
#include "mainwindow/MainWindow.h"
#include "model/PicturePreparation.h"
#include "widgets/FontComboBox.h"
#include "widgets/WindowMover.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace TestSupport;

namespace {

QProgressDialog *visibleOffer()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (auto *offer = qobject_cast<QProgressDialog *>(window); offer && offer->isVisible())
            return offer;
    }
    return nullptr;
}

} // namespace

class TestHangingImageTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startUpNamesTheTool();
    void pictureStepOffersCancel();
    void pictureStepTimeOutNamesTheTool();
    void captionDialogWaitsForTheFontList();
    void fontListFailureEndsTheWindow();

private:
    // A stand-in for the image tool: the real one, except for runs whose arguments contain
    // `hangOn`; those start a helper and wait for ever. Both write their ids to pids().
    QString hangingTool(const QString &hangOn);
    QList<qint64> pids() const;

    QTemporaryDir m_dir;
    QString m_picture;
    std::unique_ptr<ConfigSandbox> m_sandbox;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestHangingImageTool::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_picture = m_dir.filePath("photo.png");
    int code = -1;
    runCommand(convertPath(), {"-size", "320x200", "gradient:red-blue", m_picture}, &code);
    QCOMPARE(code, 0);
}

void TestHangingImageTool::init()
{
    QFile::remove(m_dir.filePath("pids"));
    m_sandbox = std::make_unique<ConfigSandbox>();
    m_messages = std::make_unique<MessageRecorder>();
}

void TestHangingImageTool::cleanup()
{
    m_messages.reset();
    m_sandbox.reset();
}

QString TestHangingImageTool::hangingTool(const QString &hangOn)
{
    const QString pidFile = m_dir.filePath("pids");
    return writeScript(m_dir.filePath("convert hanging on " + hangOn),
                       QStringLiteral("#!/bin/sh\n"
                                      "case \"$*\" in\n"
                                      "*%1*) sleep 600 & echo $$ $! >> '%2'; wait ;;\n"
                                      "*) exec '%3' \"$@\" ;;\n"
                                      "esac\n")
                           .arg(hangOn, pidFile, convertPath())
                           .toUtf8());
}

QList<qint64> TestHangingImageTool::pids() const
{
    QFile file(m_dir.filePath("pids"));
    QList<qint64> found;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &word : file.readAll().simplified().split(' ')) {
            if (!word.isEmpty())
                found << word.toLongLong();
        }
    }
    return found;
}

void TestHangingImageTool::startUpNamesTheTool()
{
    const QString tool = hangingTool("canvas:");
    AppSettings::instance().set(Settings::ImageTool, tool);
    QElapsedTimer clock;
    clock.start();
    {
        MainWindow window;
        QVERIFY(!window.initialize());
    }
    QVERIFY2(clock.elapsed() < BlankCanvasTimeoutMs + 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_messages->messages.size(), 1);
    const QString text = m_messages->messages.first().text;
    QVERIFY2(text.startsWith("The image tool did not finish within 10 seconds and was stopped:\n\n   " + tool),
             qPrintable(text));
    QVERIFY2(!text.contains("Temp"), qPrintable(text));
    const QList<qint64> hung = pids();
    QCOMPARE(hung.size(), 2);
    for (const qint64 pid : hung)
        QTRY_VERIFY(processGone(pid));
}

void TestHangingImageTool::pictureStepOffersCancel()
{
    AppSettings::instance().set(Settings::ImageTool, hangingTool("-thumbnail"));
    MainWindow window;
    QVERIFY(window.initialize());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString canvas = window.picture().currentPicturePath();

    // Clicks Cancel once the offer shows, through the X server like a user.
    QElapsedTimer clock;
    qint64 offeredAfter = -1;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        QProgressDialog *offer = visibleOffer();
        if (!offer || offeredAfter >= 0)
            return;
        offeredAfter = clock.elapsed();
        QVERIFY(Desktop::waitForSettledWindow(offer).viewable);
        const QPushButton *cancel = offer->findChild<QPushButton *>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QVERIFY(Desktop::click(WindowMover::serverMapToGlobal(cancel, cancel->rect().center())));
    });
    watcher.start(50);
    clock.start();
    window.setPictureFile(m_picture);
    QVERIFY(waitForPictureStep(&window, 30000));
    const qint64 took = clock.elapsed();
    watcher.stop();

    QVERIFY2(offeredAfter >= 1000, qPrintable(QString::number(offeredAfter)));
    QVERIFY2(took < 20000, qPrintable(QString::number(took)));
    QVERIFY(!visibleOffer());
    // Stopped by the user: no failure message, and the window goes back to what it showed.
    QCOMPARE(m_messages->messages.size(), 0);
    QCOMPARE(window.picture().sourcePath(), QString());
    QCOMPARE(window.picture().currentPicturePath(), canvas);
    const QList<qint64> hung = pids();
    QCOMPARE(hung.size(), 2);
    for (const qint64 pid : hung)
        QTRY_VERIFY(processGone(pid));
}

// Left alone, a hanging picture step ends at its time limit with a message that names the tool.
void TestHangingImageTool::pictureStepTimeOutNamesTheTool()
{
    const QString tool = hangingTool("-thumbnail");
    AppSettings::instance().set(Settings::ImageTool, tool);
    const int limit = imageToolTimeout();
    setImageToolTimeout(3000);
    const auto restore = qScopeGuard([limit] { setImageToolTimeout(limit); });
    MainWindow window;
    QVERIFY(window.initialize());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.setPictureFile(m_picture);
    QVERIFY(waitForPictureStep(&window, 30000));
    QVERIFY(!visibleOffer());
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text,
             "The image tool did not finish within 3 seconds and was stopped:\n\n   " + tool);
    QCOMPARE(window.picture().sourcePath(), QString());
    const QList<qint64> hung = pids();
    QCOMPARE(hung.size(), 2);
    for (const qint64 pid : hung)
        QTRY_VERIFY(processGone(pid));
}

// A font list that takes a while: the caption dialog asked for meanwhile opens once the list is
// there, with the listed fonts, and nothing is said.
void TestHangingImageTool::captionDialogWaitsForTheFontList()
{
    const QString tool = writeScript(m_dir.filePath("convert slow to list fonts"),
                                     QStringLiteral("#!/bin/sh\n"
                                                    "case \"$*\" in *-list*) sleep 3 ;; esac\n"
                                                    "exec '%1' \"$@\"\n")
                                         .arg(convertPath())
                                         .toUtf8());
    AppSettings::instance().set(Settings::ImageTool, tool);
    fontNameList().clear();
    fontGlyphFiles().clear();
    MainWindow window;
    QVERIFY(window.initialize());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.fontListPending());
    window.openCaptionDialog();
    QTest::qWait(200);
    QVERIFY(!window.findChild<CaptionDialog *>());
    QVERIFY(window.fontListPending());

    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<CaptionDialog *>(), 20000);
    auto *dialog = window.findChild<CaptionDialog *>();
    QTRY_VERIFY(dialog->isVisible());
    const auto *fonts = qobject_cast<FontComboBox *>(dialog->control(CaptionDialog::FontCombo));
    QVERIFY(fonts);
    QVERIFY(fontNameList().contains("DejaVu-Sans-Bold"));
    QCOMPARE(fonts->count(), fontNameList().size());
    QCOMPARE(fonts->currentText(), QStringLiteral("DejaVu-Sans-Bold"));
    QVERIFY2(m_messages->messages.isEmpty(), qPrintable(m_messages->messages.value(0).text));
    dialog->reject();
}

// A tool that cannot list its fonts: the message comes while a caption dialog waits for the list,
// which then never opens, and the window ends.
void TestHangingImageTool::fontListFailureEndsTheWindow()
{
    AppSettings::instance().set(Settings::ImageTool,
                                writeScript(m_dir.filePath("convert without fonts"),
                                            QStringLiteral("#!/bin/sh\n"
                                                           "case \"$*\" in *-list*) sleep 1; exit 1 ;; esac\n"
                                                           "exec '%1' \"$@\"\n")
                                                .arg(convertPath())
                                                .toUtf8()));
    MainWindow window;
    QVERIFY(window.initialize());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.fontListPending());
    window.openCaptionDialog();
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->messages.size(), 1, 20000);
    QVERIFY2(m_messages->messages.first().text.startsWith(
                 "Can't get the Font List, using the convert executable, specified in:\n\n   "),
             qPrintable(m_messages->messages.first().text));
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(!window.findChild<CaptionDialog *>());
}

QTEST_MAIN(TestHangingImageTool)
#include "tst_hanging_image_tool.moc"
