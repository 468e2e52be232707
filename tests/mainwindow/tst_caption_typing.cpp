#include "MainWindowFixture.h"

#include "base/AppSettings.h"
#include "dialogs/CaptionDialog.h"
#include "mainwindow/MainWindow.h"
#include "model/PicturePreparation.h"
#include "widgets/CaptionTextEdit.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

using namespace TestSupport;

// Typing into the caption dialog with real key presses from the X server (xdotool), so input
// reaches the program the way a keyboard's does: a wait for the image tool that held input back
// would show here as lag. Runs on a private desktop (tests/desktop/desktop-session.sh).
class TestCaptionTyping : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void typingNeverWaitsForTheImageTool();
};

void TestCaptionTyping::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run through tests/desktop/desktop-session.sh)");
    createMedia();
}

void TestCaptionTyping::typingNeverWaitsForTheImageTool()
{
    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_picture);
    QCOMPARE(window->picture().sourcePath(), m_picture);

    // A slow machine or a big picture: half a second for every caption, each run logged.
    QTemporaryDir scratch;
    const QString runs = scratch.filePath("runs.log");
    AppSettings::instance().set(Settings::ImageTool, writeScript(
        scratch.filePath("slow-convert"),
        QStringLiteral("#!/bin/sh\necho run >> '%1'\nsleep 0.5\nexec '%2' \"$@\"\n").arg(runs, convertPath()).toUtf8()));

    const QString sentence = QStringLiteral("The quick brown fox!");
    QVERIFY(sentence.size() == 20);
    PictureBox *box = window->pictureBox();
    QString failure;
    int emptySamples = 0;
    qint64 fieldLagMs = -1;
    qint64 previewLagMs = -1;
    int toolRuns = 0;
    qint64 typingMs = 0;

    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        if (!dialog) {
            failure = QStringLiteral("no caption dialog");
            return;
        }
        auto *field = dialog->controlAs<CaptionTextEdit>(CaptionDialog::TextField);
        const auto previewShows = [&](const QString &text) {
            return dialog->workingSettings().text == text
                && window->picture().state() == PicturePreparation::State::WithText && window->acceptsDrops();
        };
        field->setPlainText(QStringLiteral("X"));
        dialog->activateWindow();
        field->setFocus();
        if (!QTest::qWaitFor([&] { return previewShows(QStringLiteral("X")) && dialog->isActiveWindow(); }, 10000)) {
            failure = QStringLiteral("the first preview was not drawn");
            dialog->reject();
            return;
        }
        field->selectAll();
        QFile::remove(runs);

        // Everything is timed from a sampler: timers also fire while a drawing waits for the tool.
        QElapsedTimer clock;
        clock.start();
        qint64 lastKeyAt = -1;
        qint64 fieldAt = -1;
        qint64 previewAt = -1;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            emptySamples += !box->hasPicture();
            if (fieldAt < 0 && field->toPlainText() == sentence)
                fieldAt = clock.elapsed();
            if (previewAt < 0 && previewShows(sentence))
                previewAt = clock.elapsed();
        });
        sampler.start(10);
        QProcess xdotool;
        QObject::connect(&xdotool, &QProcess::finished, [&] { lastKeyAt = clock.elapsed(); });
        // xdotool waits half the delay after each press and each release: 120 ms a key.
        xdotool.start(QStringLiteral("xdotool"), {"type", "--delay", "240", sentence});
        if (!xdotool.waitForStarted(5000)) {
            failure = QStringLiteral("xdotool did not start");
            dialog->reject();
            return;
        }
        if (!QTest::qWaitFor([&] { return lastKeyAt >= 0 && previewAt >= 0; }, 30000))
            failure = QStringLiteral("the typed sentence never reached the preview");
        typingMs = lastKeyAt;
        fieldLagMs = fieldAt < 0 ? -1 : qMax<qint64>(0, fieldAt - lastKeyAt);
        previewLagMs = previewAt < 0 ? -1 : qMax<qint64>(0, previewAt - lastKeyAt);
        sampler.stop();
        QFile log(runs);
        if (log.open(QIODevice::ReadOnly))
            toolRuns = log.readAll().count('\n');
        dialog->reject();
    });
    QVERIFY(runCaptionDialog(window.get()));

    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    qInfo("20 keys in %lld ms; field %lld ms and preview %lld ms after the last key; %d tool runs", typingMs,
          fieldLagMs, previewLagMs, toolRuns);
    QVERIFY2(fieldLagMs >= 0 && fieldLagMs < 1000, qPrintable(QString::number(fieldLagMs)));
    // At most the drawing under way and the one pending after it, each about 0.5 s.
    QVERIFY2(previewLagMs >= 0 && previewLagMs < 2500, qPrintable(QString::number(previewLagMs)));
    // The box keeps the last preview while the next one is drawn.
    QCOMPARE(emptySamples, 0);
    // One drawing at a time, each of the latest text: 2.4 s of typing cannot fill 20 runs.
    QVERIFY2(toolRuns >= 2 && toolRuns <= 10, qPrintable(QString::number(toolRuns)));
}

QTEST_MAIN(TestCaptionTyping)
#include "tst_caption_typing.moc"
