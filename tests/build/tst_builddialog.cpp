// The build dialog driving the real encoder, and the encoder faults a real run cannot show.
#include "BuildTestSupport.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "common/TestSupport.h"
#include "dialogs/BuildProgressDialog.h"
#include "dialogs/CompletionDialog.h"
#include "dialogs/PictuneBuild.h"
#include "model/VideoBuild.h"
#include "model/VideoBuildJob.h"
#include "widgets/ElidedPathLabel.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

using Dlg = BuildProgressDialog;

using namespace BuildTestSupport;

namespace {

// What the Create command hands over, from the settings as the test case left them.
VideoBuildRequest request(const QString &picture, const QString &audio, double duration, const QString &output)
{
    const AppSettings &settings = AppSettings::instance();
    const TargetSize &size = TargetSizeTable::instance().row(settings.targetSizeIndex());
    return {settings.encoderPath(), picture, audio, duration, output, size.size()};
}

BuildOutcome buildFromSettings(const VideoBuildRequest &request)
{
    return buildPictune(nullptr, request, AppSettings::instance().playerPath());
}

} // namespace

class TestBuildDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialState();
    void endToEnd_data();
    void endToEnd();
    void cancel_data();
    void cancel();
    void times();
    void permissionDenied_data();
    void permissionDenied();
    void failures_data();
    void failures();
    void followUp_data();
    void followUp();

private:
    QString picture(int sizeIndex) const { return m_dir.filePath(QStringLiteral("prepared %1.bmp").arg(sizeIndex)); }
    QString audio(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QHash<QString, double> m_durations;
    std::unique_ptr<TestSupport::ConfigSandbox> m_sandbox;
};

void TestBuildDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int i = 0; i < TargetSizeTable::RowCount; ++i) {
        const TargetSize &size = TargetSizeTable::instance().row(i);
        QCOMPARE(make(TestSupport::convertPath(),
                      {"-size", QStringLiteral("%1x%2").arg(size.width).arg(size.height),
                       "gradient:#203060-#e0c040", "-alpha", "off", picture(i)}),
                 QString());
        QCOMPARE(make(TestSupport::convertPath(),
                      {"-size", QStringLiteral("%1x%2").arg(size.width).arg(size.height), "xc:red",
                       "-alpha", "off", m_dir.filePath(QStringLiteral("red %1.bmp").arg(i))}),
                 QString());
    }
    // The encoder echoes tags: the mp3 titles hold the very words the build looks for.
    const QString tag = "title=Permission denied time=01:00:00.00";
    const struct { QString name; int seconds; bool tagged; } clips[] = {
        {"tone 5.mp3", 5, true}, {"tone 5.flac", 5, false},
        {"tone 65.mp3", 65, true}, {"tone 65.flac", 65, false},
    };
    for (const auto &clip : clips) {
        QStringList args{"-v", "error", "-y", "-f", "lavfi", "-i",
                         QStringLiteral("sine=frequency=440:duration=%1").arg(clip.seconds)};
        if (clip.tagged)
            args << "-metadata" << tag;
        QCOMPARE(make(TestSupport::ffmpegPath(), args << audio(clip.name)), QString());
    }
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono",
                                              "-t", "1200", audio("long 20 min.flac")}),
             QString());
    for (const char *name : {"tone 5.mp3", "tone 5.flac", "tone 65.mp3", "tone 65.flac"})
        m_durations[name] = probe(audio(name)).duration;
}

void TestBuildDialog::init()
{
    m_sandbox = std::make_unique<TestSupport::ConfigSandbox>();
}

void TestBuildDialog::cleanup()
{
    m_sandbox.reset();
}

void TestBuildDialog::initialState()
{
    AppSettings::instance().set(Settings::TargetVideoSize, 1);
    const QString longPath = "/home/someone/Videos/" + QString(60, 'x') + "/a rather long folder name/my clip.webm";
    VideoBuildJob job(request(picture(1), audio("tone 5.mp3"), 1200.0, longPath));
    Dlg dialog(&job);

    QCOMPARE(dialog.windowTitle(), QString("Pictune Build Progress"));
    QCOMPARE(job.request().videoSize, QSize(854, 480));
    auto *path = dialog.controlAs<ElidedPathLabel>(Dlg::OutputPathLabel);
    QVERIFY(path);
    QCOMPARE(path->text(), longPath);
    // Shortened in the middle: where it lives and what it is called both stay readable.
    const QString shown = path->shownText();
    QVERIFY2(shown.startsWith("/home/") && shown.endsWith("my clip.webm") && shown.contains(QChar(0x2026)),
             qPrintable(shown));
    QCOMPARE(dialog.controlAs<QLabel>(Dlg::VideoSizeLabel)->text(), QString("854x480"));
    QCOMPARE(dialog.controlAs<QLabel>(Dlg::PercentLabel)->text(), QString("0 %"));
    auto *bar = dialog.controlAs<QProgressBar>(Dlg::ProgressBar);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 120000);
    QCOMPARE(bar->value(), 0);
    auto *cancel = dialog.controlAs<QPushButton>(Dlg::CancelButton);
    QCOMPARE(cancel->text(), QString("Cancel"));
    // The controls keep the template's proportions: Cancel centered under the full-width bar.
    QVERIFY(bar->geometry().left() < cancel->geometry().left());
    QVERIFY(bar->geometry().bottom() < cancel->geometry().top());
    QVERIFY(qAbs(cancel->geometry().center().x() - dialog.width() / 2) <= 3);
    QVERIFY(dialog.width() > dialog.height() * 3);
}

void TestBuildDialog::endToEnd_data()
{
    QTest::addColumn<int>("sizeIndex");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("audioName");

    QTest::addRow("1280x720 webm mp3") << 0 << "webm" << "tone 5.mp3";
    QTest::addRow("1280x720 MPG flac") << 0 << "MPG" << "tone 5.flac";
    QTest::addRow("854x480 WEBM flac") << 1 << "WEBM" << "tone 5.flac";
    QTest::addRow("854x480 mpg mp3") << 1 << "mpg" << "tone 5.mp3";
    QTest::addRow("640x360 webm flac") << 2 << "webm" << "tone 5.flac";
    QTest::addRow("640x360 mpg mp3") << 2 << "mpg" << "tone 5.mp3";
    QTest::addRow("426x240 webm mp3") << 3 << "webm" << "tone 5.mp3";
    QTest::addRow("426x240 Mpg flac") << 3 << "Mpg" << "tone 5.flac";
    QTest::addRow("854x480 webm 65 s flac") << 1 << "webm" << "tone 65.flac";
    QTest::addRow("640x360 mpg 65 s mp3") << 2 << "mpg" << "tone 65.mp3";
}

void TestBuildDialog::endToEnd()
{
    QFETCH(int, sizeIndex);
    QFETCH(QString, extension);
    QFETCH(QString, audioName);

    AppSettings::instance().set(Settings::TargetVideoSize, sizeIndex);
    const TargetSize size = TargetSizeTable::instance().row(sizeIndex);
    const QString output = m_dir.filePath(QStringLiteral("my 'clip' %1.%2").arg(QTest::currentDataTag(), extension));
    const double duration = m_durations.value(audioName);
    const bool longBuild = duration > 60;

    // The window may rewrite the prepared picture at any time; the encoder re-reads its input
    // picture while it runs and must not notice.
    const QString prepared = m_dir.filePath("prepared now.bmp");
    QFile::remove(prepared);
    QVERIFY(QFile::copy(picture(sizeIndex), prepared));

    VideoBuildJob job(request(prepared, audio(audioName), duration, output));
    Dlg dialog(&job);
    auto *bar = dialog.controlAs<QProgressBar>(Dlg::ProgressBar);
    auto *percent = dialog.controlAs<QLabel>(Dlg::PercentLabel);
    QList<int> positions;
    QStringList percents; // as shown before each move, for the failure text
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        positions << value;
        percents << percent->text();
        if (positions.size() == 1) {
            // In place, as the image tool writes: the encoder keeps its input file open.
            QFile red(m_dir.filePath(QStringLiteral("red %1.bmp").arg(sizeIndex)));
            QFile target(prepared);
            if (red.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly | QIODevice::Truncate))
                target.write(red.readAll());
        }
    });
    QCOMPARE(dialog.exec(), int(BuildOutcome::Done));

    QCOMPARE(percent->text(), QString("100 %"));
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(bar->maximum(), int(duration * 100));
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    if (longBuild) {
        const auto between = std::count_if(positions.begin(), positions.end(),
                                           [bar](int v) { return v > 0 && v < bar->maximum(); });
        // The encoder reports about twice a second, and even the quickest of these builds takes longer.
        QVERIFY2(between >= 2, qPrintable(percents.join(", ")));
        const QString lastFrame = m_dir.filePath("last frame.png");
        QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-sseof", "-1", "-i", output,
                                                  "-frames:v", "1", lastFrame}),
                 QString());
        const QColor color = QImage(lastFrame).pixelColor(10, 10);
        QVERIFY2(color.red() < 100 && color.blue() > 60, qPrintable(color.name()));
    }
    QString tempFolder;
    QVERIFY(getTempFolder(tempFolder));
    QVERIFY(QDir(tempFolder).entryList({"BuildPicture_*"}, QDir::Files).isEmpty());

    const Probe video = probe(output);
    const bool webm = extension.toLower() == "webm";
    QCOMPARE(video.videoCodec, QString(webm ? "vp8" : "mpeg1video"));
    QCOMPARE(video.audioCodec, QString(webm ? "vorbis" : "mp2"));
    QCOMPARE(video.frameRate, QString(webm ? "6/1" : "30/1"));
    QCOMPARE(video.width, size.width);
    QCOMPARE(video.height, size.height);
    QVERIFY2(qAbs(video.duration - duration) <= 0.5,
             qPrintable(QStringLiteral("video %1 s, audio %2 s").arg(video.duration).arg(duration)));
    QFile::remove(output);
}

void TestBuildDialog::cancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("Cancel button") << "button";
    QTest::addRow("Escape") << "escape";
    QTest::addRow("close box") << "close";
}

void TestBuildDialog::cancel()
{
    QFETCH(QString, how);
    AppSettings::instance().set(Settings::TargetVideoSize, 3);
    const QString output = m_dir.filePath("canceled.webm");
    VideoBuildJob job(request(picture(3), audio("long 20 min.flac"), 1200.0, output));
    Dlg dialog(&job);
    auto *bar = dialog.controlAs<QProgressBar>(Dlg::ProgressBar);
    auto *percent = dialog.controlAs<QLabel>(Dlg::PercentLabel);
    QCOMPARE(bar->maximum(), 120000);

    qint64 pid = 0;
    QElapsedTimer sinceCancel;
    qint64 goneAfter = -1;
    bool hiddenEarly = false;
    QString finalText;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (goneAfter < 0 && processGone(pid))
            goneAfter = sinceCancel.elapsed();
        if (!dialog.isVisible() && sinceCancel.elapsed() < 1000)
            hiddenEarly = true;
        if (dialog.isVisible())
            finalText = percent->text();
    });
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        if (pid != 0 || value <= 0)
            return;
        pid = job.encoderProcessId();
        QTimer::singleShot(0, this, [&] {
            sinceCancel.start();
            if (how == "button")
                QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::CancelButton), Qt::LeftButton);
            else if (how == "escape")
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
            QVERIFY(dialog.isVisible());
            watch.start();
        });
    });

    QCOMPARE(dialog.exec(), int(BuildOutcome::Canceled));
    const qint64 shownFor = sinceCancel.elapsed();
    QVERIFY(pid > 0);
    QVERIFY2(goneAfter >= 0 && goneAfter <= 200, qPrintable(QString::number(goneAfter)));
    QVERIFY(!hiddenEarly);
    QCOMPARE(finalText, QString("*** Canceled ***"));
    QVERIFY2(shownFor >= 1000, qPrintable(QString::number(shownFor)));
    QVERIFY(bar->value() < bar->maximum());
    QFile::remove(output);
}

void TestBuildDialog::times()
{
    QCOMPARE(Dlg::timeText(0), QString("0:00"));
    QCOMPARE(Dlg::timeText(61), QString("1:01"));
    QCOMPARE(Dlg::timeText(3599), QString("59:59"));
    QCOMPARE(Dlg::timeText(3600 * 25 + 62), QString("25:01:02"));

    AppSettings::instance().set(Settings::TargetVideoSize, 0);
    const QString output = m_dir.filePath("timed.webm");
    VideoBuildJob job(request(picture(0), audio("long 20 min.flac"), 1200.0, output));
    Dlg dialog(&job);
    auto *elapsed = dialog.controlAs<QLabel>(Dlg::ElapsedLabel);
    auto *left = dialog.controlAs<QLabel>(Dlg::TimeLeftLabel);
    auto *cancel = dialog.controlAs<QPushButton>(Dlg::CancelButton);
    QVERIFY(elapsed && left);
    QCOMPARE(elapsed->text(), QString("Elapsed: 0:00"));
    QVERIFY(left->text().isEmpty());
    // In the row of Cancel, on either side of it, under the percentage.
    const QRect percent = dialog.controlAs<QLabel>(Dlg::PercentLabel)->geometry();
    for (QLabel *label : {elapsed, left}) {
        QVERIFY(!label->geometry().intersects(cancel->geometry()));
        QVERIFY(label->geometry().top() > percent.bottom());
        QVERIFY(label->geometry().top() >= cancel->geometry().top() && label->geometry().bottom() <= cancel->geometry().bottom());
    }
    QVERIFY(elapsed->geometry().right() < cancel->geometry().left());
    QVERIFY(left->geometry().left() > cancel->geometry().right());

    // The estimate shows once the first seconds are measured, the clock runs between reports.
    QString elapsedThen;
    qint64 clockThen = 0;
    QString leftThen;
    QElapsedTimer clock;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!left->text().isEmpty() || clock.elapsed() > 60000) {
            watch.stop();
            clockThen = clock.elapsed();
            elapsedThen = elapsed->text();
            leftThen = left->text();
            dialog.requestCancel();
        }
    });
    QTimer::singleShot(0, this, [&] {
        clock.start();
        watch.start(20);
    });
    QCOMPARE(dialog.exec(), int(BuildOutcome::Canceled));
    QVERIFY2(clockThen >= EstimateAfterMs - 100, qPrintable(QString::number(clockThen)));
    // Whole seconds since the dialog showed, at most one tick behind.
    const qint64 shownSeconds = elapsedThen.section(':', -1).toLongLong();
    QVERIFY2(elapsedThen.startsWith("Elapsed: 0:") && qAbs(shownSeconds - clockThen / 1000) <= 1,
             qPrintable(elapsedThen + " after " + QString::number(clockThen) + " ms"));
    QVERIFY2(QRegularExpression("^Time left: about \\d+:\\d\\d$").match(leftThen).hasMatch(), qPrintable(leftThen));
    QVERIFY(left->text().isEmpty());
    QFile::remove(output);
}

void TestBuildDialog::permissionDenied_data()
{
    QTest::addColumn<bool>("realEncoder");
    QTest::addRow("refusal after status lines") << false;
    QTest::addRow("real encoder, folder not writable") << true;
}

void TestBuildDialog::permissionDenied()
{
    QFETCH(bool, realEncoder);
    const QString locked = m_dir.filePath(QStringLiteral("locked %1").arg(realEncoder));
    QVERIFY(QDir().mkpath(locked));
    const QString output = locked + "/out.webm";

    if (realEncoder) {
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        AppSettings::instance().set(Settings::Encoder, encoderHeldToPermissions(m_dir.filePath("encoder-without-root")));
        if (AppSettings::instance().encoderPath().isEmpty())
            QSKIP("cannot drop root's file capabilities here");
    } else {
        AppSettings::instance().set(Settings::Encoder, TestSupport::writeScript(
            m_dir.filePath("encoder-refusing"),
            "#!/bin/sh\nfor a; do out=$a; done\n"
            "printf 'frame=    1 fps=0.0 q=0.0 size=       0kB time=00:00:01.00 bitrate=N/A\\r'\n"
            "printf 'frame=    2 fps=0.0 q=0.0 size=       0kB time=00:00:02.50 bitrate=N/A\\r'\n"
            "printf '%s: Permission denied\\n' \"$out\"\nexit 1\n"));
    }

    TestSupport::MessageRecorder messages;
    const BuildOutcome result = buildFromSettings(request(picture(2), audio("tone 5.mp3"), 5.0, output));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(result, BuildOutcome::PermissionDenied);
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().caption, QString("Velmora"));
    QCOMPARE(messages.messages.first().text, QString("Was not able to create the output file - permission denied."));
    QVERIFY(!QFile::exists(output));
}

void TestBuildDialog::failures_data()
{
    QTest::addColumn<QString>("encoderScript");  // empty: the real encoder
    QTest::addColumn<QString>("outputName");     // "full" links the output to /dev/full
    QTest::addColumn<bool>("outputExisted");
    QTest::addColumn<QString>("reasonPart");

    QTest::addRow("missing encoder") << "missing" << "kept.webm" << true << "could not be started";
    QTest::addRow("output without extension") << "" << "no extension" << false << "Invalid argument";
    // No picture makes the real encoder fail at its start (every format converts to yuv420p): a
    // script stands in.
    QTest::addRow("error status, empty output left")
        << "#!/bin/sh\nfor a; do out=$a; done\n: > \"$out\"\n"
           "echo 'Error initializing output stream 0:0 -- Error while opening encoder for output stream #0:0'\n"
           "exit 1\n"
        << "empty.webm" << false << "Error initializing output stream";
    QTest::addRow("killed by a signal mid-build")
        << "#!/bin/sh\nulimit -f 200\nexec '%1' \"$@\"\n" << "killed.mpg" << false
        << "stopped unexpectedly";
    QTest::addRow("writes nothing")
        << "#!/bin/sh\nprintf 'frame=    5 fps=0.0 q=0.0 size=       0kB time=00:00:04.00 bitrate=N/A\\n'\nexit 0\n"
        << "nothing.webm" << false << "wrote no video";
    // The encoder's file is a link to a device that is always full.
    QTest::addRow("full disk, real encoder")
        << "#!/bin/sh\nfor a; do out=$a; done\nln -s /dev/full \"$out\"\nexec '%1' \"$@\"\n"
        << "full.webm" << false << "No space left on device";
    QTest::addRow("full disk, partial file")
        << "#!/bin/sh\nfor a; do out=$a; done\nhead -c 65536 /dev/zero > \"$out\"\n"
           "printf 'frame=    5 fps=0.0 q=0.0 size=      64kB time=00:00:02.00 bitrate=N/A\\r'\n"
           "echo 'av_interleaved_write_frame(): No space left on device'\nexit 0\n"
        << "partial.webm" << false << "av_interleaved_write_frame(): No space left on device";
}

void TestBuildDialog::failures()
{
    QFETCH(QString, encoderScript);
    QFETCH(QString, outputName);
    QFETCH(bool, outputExisted);
    QFETCH(QString, reasonPart);

    AppSettings::instance().set(Settings::TargetVideoSize, 3);
    if (encoderScript == "missing") {
        AppSettings::instance().set(Settings::Encoder, m_dir.filePath("no such encoder"));
    } else if (!encoderScript.isEmpty()) {
        AppSettings::instance().set(Settings::Encoder, TestSupport::writeScript(
            m_dir.filePath("encoder-" + outputName),
            QString(encoderScript).replace("%1", TestSupport::ffmpegPath()).toUtf8()));
    }

    const QString picturePath = picture(3);
    const QString output = m_dir.filePath(outputName);
    const QByteArray earlier = "an earlier video the user keeps";
    if (outputExisted) {
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    const QString audioName = outputName == "killed.mpg" ? "tone 65.flac" : "tone 5.mp3";

    TestSupport::MessageRecorder messages;
    const BuildOutcome result = buildFromSettings(request(picturePath, audio(audioName), m_durations.value(audioName), output));
    QCOMPARE(result, BuildOutcome::Failed);
    QCOMPARE(messages.messages.size(), 1);
    const QString text = messages.messages.first().text;
    QVERIFY2(text.startsWith("Was not able to create the output file:\n\n   " + output + "\n\n"), qPrintable(text));
    QVERIFY2(text.contains(reasonPart), qPrintable(text));

    if (outputExisted) {
        // The encoder never started, so the file it would have replaced is still whole.
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), earlier);
        file.remove();
    } else {
        QVERIFY2(!QFileInfo(output).isFile(), "a partial video stayed behind");
        QFile::remove(output);
    }
    QVERIFY2(QDir(m_dir.path()).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System).isEmpty(),
             "a partial video stayed behind");
}

void TestBuildDialog::followUp_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addRow("done: clipboard, then the completion dialog") << false;
    QTest::addRow("canceled: what the build wrote goes, the video that was there before stays") << true;
}

void TestBuildDialog::followUp()
{
    QFETCH(bool, cancel);
    AppSettings::instance().set(Settings::TargetVideoSize, 3);
    const QString output = m_dir.filePath("follow up.webm");
    {
        QFile earlier(output);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier video");
    }
    QGuiApplication::clipboard()->setText("something else");

    QStringList seen; // the modal dialogs, in the order they came up
    QTimer driver;
    driver.setInterval(10);
    connect(&driver, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *build = qobject_cast<Dlg *>(modal)) {
            if (seen.isEmpty())
                seen << "build";
            if (cancel && build->job()->encoderProcessId() != 0)
                build->requestCancel();
        } else if (auto *complete = qobject_cast<CompletionDialog *>(modal)) {
            seen << "complete";
            QCOMPARE(complete->outputPath(), output);
            QCOMPARE(QGuiApplication::clipboard()->text(), output);
            complete->reject();
        }
    });
    driver.start();
    TestSupport::MessageRecorder messages;
    const QString audioName = cancel ? "long 20 min.flac" : "tone 5.mp3";
    const BuildOutcome result = buildFromSettings(request(picture(3), audio(audioName), cancel ? 1200.0 : m_durations.value(audioName), output));
    driver.stop();

    QVERIFY(messages.messages.isEmpty());
    if (cancel) {
        QCOMPARE(result, BuildOutcome::Canceled);
        QCOMPARE(seen, QStringList{"build"});
        QFile earlier(output);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("an earlier video"));
        earlier.remove();
        QVERIFY2(QDir(m_dir.path()).entryList({".*"}, QDir::Files | QDir::Hidden).isEmpty(),
                 "a partial video stayed behind");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("something else"));
    } else {
        QCOMPARE(result, BuildOutcome::Done);
        QCOMPARE(seen, (QStringList{"build", "complete"}));
        QVERIFY(probe(output).duration > 4.5);
        QFile::remove(output);
    }
}

QTEST_MAIN(TestBuildDialog)
#include "tst_builddialog.moc"
