// The decisions of a video build and of the font list, without windows.
#include "base/AppSettings.h"
#include "common/TestSupport.h"
#include "media/AudioFormats.h"
#include "media/FontList.h"
#include "model/VideoBuild.h"

#include <QtTest>

#include <climits>
#include <limits>

class TestBuildRules : public QObject
{
    Q_OBJECT

private slots:
    void encoderTime_data();
    void encoderTime();
    void progress_data();
    void progress();
    void secondsLeft_data();
    void secondsLeft();
    void encoderArguments_data();
    void encoderArguments();
    void verdict_data();
    void verdict();
    void errorLine_data();
    void errorLine();
    void parseFontList_data();
    void parseFontList();
    void queryRealFontList();
    void queryFailures_data();
    void queryFailures();
};

void TestBuildRules::encoderTime_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<double>("seconds");

    QTest::addRow("status line between other fields")
        << "frame= 543 fps= 30 q=31.0 size=    1234kB time=00:01:30.50 bitrate= 111.6kbits/s speed=2x"
        << 90.5;
    QTest::addRow("audio-only status line") << "size=     512kB time=01:02:03.25 bitrate= 64.0kbits/s" << 3723.25;
    QTest::addRow("final status line") << "frame=   31 fps=0.0 q=32.0 Lsize=      15kB time=00:00:05.00 bitrate=  25.0kbits/s" << 5.0;
    QTest::addRow("no time field") << "frame=    1 fps=0.0 q=0.0 size=       0kB bitrate=N/A" << 0.0;
    QTest::addRow("zero time") << "frame=    1 fps=0.0 q=4.0 size=       4kB time=00:00:00.00 bitrate=31640.0kbits/s" << 0.0;
    QTest::addRow("not available") << "frame=    0 fps=0.0 q=0.0 size=       0kB time=N/A bitrate=N/A" << 0.0;
    QTest::addRow("malformed minutes end the read") << "frame=1 time=01:xx:30.00 bitrate=1" << 3600.0;
    QTest::addRow("hours read two characters wide") << "frame=1 time=123:00:00.00" << 43200.0;
    QTest::addRow("time= without its leading blank") << "frame=1time=00:00:10.00" << 0.0;
    // The encoder echoes the input's tags; a title must never move the bar.
    QTest::addRow("tag line") << "    title           : Permission denied time=01:00:00.00" << 0.0;
    QTest::addRow("other line") << "Press [q] to stop time=00:00:10.00" << 0.0;
    QTest::addRow("empty") << "" << 0.0;
}

void TestBuildRules::encoderTime()
{
    QFETCH(QString, line);
    QFETCH(double, seconds);
    QCOMPARE(parseEncoderTime(line), seconds);
}

void TestBuildRules::progress_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("percent");

    QTest::addRow("half way") << 90.5 << 181.0 << 18100 << 9050 << 50;
    QTest::addRow("rounds half up") << 0.5 << 100.0 << 10000 << 50 << 1;
    QTest::addRow("just below the end") << 99.4 << 100.0 << 10000 << 9940 << 99;
    QTest::addRow("past the end") << 200.0 << 181.0 << 18100 << 18100 << 100;
    QTest::addRow("twenty minutes") << 600.0 << 1200.0 << 120000 << 60000 << 50;
    QTest::addRow("zero duration") << 5.0 << 0.0 << 1 << 1 << 0;
    QTest::addRow("negative duration") << 5.0 << -3.0 << 1 << 1 << 0;
    QTest::addRow("not a number") << 5.0 << std::numeric_limits<double>::quiet_NaN() << 1 << 1 << 0;
    QTest::addRow("huge duration") << 10.0 << 1e12 << INT_MAX << 1000 << 0;
}

void TestBuildRules::progress()
{
    QFETCH(double, seconds);
    QFETCH(double, duration);
    QFETCH(int, range);
    QFETCH(int, position);
    QFETCH(int, percent);
    QCOMPARE(progressRange(duration), range);
    QCOMPARE(progressPosition(seconds, range), position);
    QCOMPARE(progressPercent(seconds, duration), percent);
}

void TestBuildRules::secondsLeft_data()
{
    QTest::addColumn<qint64>("measuredMs");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("remaining");
    QTest::addColumn<qint64>("left"); // -1: no estimate yet

    QTest::addRow("a quarter in 4 s") << qint64(4000) << 2500 << 7500 << qint64(12);
    QTest::addRow("rounded") << qint64(3100) << 1000 << 2000 << qint64(6);
    QTest::addRow("too early") << qint64(2999) << 5000 << 5000 << qint64(-1);
    QTest::addRow("no progress yet") << qint64(10000) << 0 << 10000 << qint64(-1);
    QTest::addRow("done") << qint64(10000) << 10000 << 0 << qint64(0);
    QTest::addRow("an hour's song, slowly") << qint64(60000) << 1 << 359999 << qint64(21599940);
}

void TestBuildRules::secondsLeft()
{
    QFETCH(qint64, measuredMs);
    QFETCH(int, progress);
    QFETCH(int, remaining);
    QFETCH(qint64, left);
    QCOMPARE(::secondsLeft(measuredMs, progress, remaining).value_or(-1), left);
}

void TestBuildRules::encoderArguments_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("expected");

    // Each input is read as the one file it names: no pattern, no playlist, no other protocol.
    const QStringList head{"-y",
                           "-protocol_whitelist", "file", "-f", "image2", "-pattern_type", "none",
                           "-loop", "1", "-i", "/tmp/a b/\"pic\" %1.bmp",
                           "-protocol_whitelist", "file", "-format_whitelist", AudioFormatWhitelist,
                           "-max_pixels:v", "1", "-i", "-song's.mp3",
                           "-map", "0:v:0", "-map", "1:a:0", "-vf"};
    const QStringList webm{"scale=854:480:out_color_matrix=bt709:out_range=tv,format=yuv420p", "-r", "6",
                           "-c:v", "vp8", "-colorspace", "bt709", "-color_primaries", "bt709",
                           "-color_trc", "bt709", "-color_range", "tv", "-c:a", "libvorbis", "-shortest"};
    const QStringList mpeg{"scale=854:480:out_color_matrix=bt601:out_range=tv,format=yuv420p", "-r", "30",
                           "-vb", "19000", "-c:v", "mpeg1video", "-c:a", "mp2", "-shortest"};

    QTest::addRow("webm") << "/v/out.webm" << head + webm + QStringList{"/v/out.webm"};
    QTest::addRow("WEBM upper case") << "/v/OUT.WEBM" << head + webm + QStringList{"/v/OUT.WEBM"};
    QTest::addRow("mpg") << "/v/out.mpg" << head + mpeg + QStringList{"/v/out.mpg"};
    QTest::addRow("mpeg") << "/v/out.mpeg" << head + mpeg + QStringList{"/v/out.mpeg"};
    QTest::addRow("no extension") << "/v/out" << head + mpeg + QStringList{"/v/out"};
    QTest::addRow("dot only in a folder") << "/v.webm/out" << head + mpeg + QStringList{"/v.webm/out"};
    QTest::addRow("blanks and percent in the output")
        << "/v/my %d clip.webm" << head + webm + QStringList{"/v/my %d clip.webm"};
}

void TestBuildRules::encoderArguments()
{
    QFETCH(QString, output);
    QFETCH(QStringList, expected);
    QCOMPARE(::encoderArguments("/tmp/a b/\"pic\" %1.bmp", "-song's.mp3", 854, 480, output), expected);
}

void TestBuildRules::verdict_data()
{
    using Status = ToolResult::Status;
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("reasonPart");

    const QString status = "frame=   12 fps=0.0 q=4.0 size=  40kB time=00:00:02.00 bitrate=1k\r";
    const int finished = int(Status::Finished);

    QTest::addRow("done") << finished << 0 << status << true << int(BuildOutcome::Done) << "";
    QTest::addRow("refused output after status lines")
        << finished << 1 << status + status + "/v/out.webm: Permission denied\n" << false
        << int(BuildOutcome::PermissionDenied) << "";
    QTest::addRow("refused output wins over cancel")
        << int(Status::Canceled) << 9 << "/v/out.webm: Permission denied\n" << false
        << int(BuildOutcome::PermissionDenied) << "";
    QTest::addRow("tag holding the words is no refusal")
        << finished << 0 << "    title  : Permission denied time=01:00:00.00\n" + status << true
        << int(BuildOutcome::Done) << "";
    QTest::addRow("another file refused is a failure")
        << finished << 1 << "/tmp/pic.bmp: Permission denied\nConversion failed!\n" << false
        << int(BuildOutcome::Failed) << "/tmp/pic.bmp: Permission denied";
    QTest::addRow("canceled") << int(Status::Canceled) << 9 << status << true << int(BuildOutcome::Canceled) << "";
    QTest::addRow("could not start")
        << int(Status::FailedToStart) << -1 << "" << false << int(BuildOutcome::Failed) << "could not be started";
    QTest::addRow("crashed")
        << int(Status::Crashed) << 0 << status << true << int(BuildOutcome::Failed) << "stopped unexpectedly";
    QTest::addRow("error status")
        << finished << 1 << "/v/out: Invalid argument\n" << false << int(BuildOutcome::Failed)
        << "/v/out: Invalid argument";
    QTest::addRow("error status without a word")
        << finished << 3 << status << true << int(BuildOutcome::Failed) << "error status 3";
    QTest::addRow("full disk with exit 0")
        << finished << 0
        << status + "Error writing trailer of /v/out.webm: No space left on device\n" + status
               + "video:2kB audio:8kB\nError closing file /v/out.webm: No space left on device\n"
        << true << int(BuildOutcome::Failed) << "Error closing file /v/out.webm: No space left on device";
    QTest::addRow("no output")
        << finished << 0 << status << false << int(BuildOutcome::Failed) << "wrote no video";
}

void TestBuildRules::verdict()
{
    QFETCH(int, status);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(bool, written);
    QFETCH(int, outcome);
    QFETCH(QString, reasonPart);

    ToolResult run;
    run.status = ToolResult::Status(status);
    run.exitCode = exitCode;
    run.output = output;
    run.errorString = status == int(ToolResult::Status::FailedToStart) ? "execve: No such file or directory" : "";
    const BuildVerdict verdict = judgeEncoderRun(run, "/v/out.webm", written);
    QCOMPARE(int(verdict.outcome), outcome);
    if (outcome == int(BuildOutcome::Failed))
        QVERIFY2(verdict.reason.contains(reasonPart), qPrintable(verdict.reason));
}

void TestBuildRules::errorLine_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("line");

    QTest::addRow("last complaint, not the closing words")
        << "Input #0, bmp_pipe, from 'p.bmp':\n  Duration: N/A\n[NULL @ 0x5] Unable to find a suitable output format for '/v/out'\n/v/out: Invalid argument\n"
        << "/v/out: Invalid argument";
    QTest::addRow("skips conversion failed")
        << "[libvpx @ 0x5] Transparency encoding with auto_alt_ref does not work\r\nConversion failed!\r\n"
        << "[libvpx @ 0x5] Transparency encoding with auto_alt_ref does not work";
    QTest::addRow("full disk wins over later lines")
        << "av_interleaved_write_frame(): No space left on device\nframe=  3 time=00:00:01.00\nvideo:1kB audio:1kB\n"
        << "av_interleaved_write_frame(): No space left on device";
    QTest::addRow("indented tag is not a complaint")
        << "    comment : No space left on device\n    title   : oops\n" << "";
    QTest::addRow("nothing") << "" << "";
}

void TestBuildRules::errorLine()
{
    QFETCH(QString, output);
    QFETCH(QString, line);
    QCOMPARE(encoderErrorLine(output), line);
}

void TestBuildRules::parseFontList_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("glyphFiles");  // each name's, in order; empty for none

    const QString block = "  Font: %1%2    family: Fam%2    style: Normal%2    glyphs: /f/%1.ttf%2";
    for (const QString &end : {QString("\r\n"), QString("\n")}) {
        const QString name = end == "\n" ? "LF" : "CR LF";
        QTest::addRow("three blocks, %s", qPrintable(name))
            << "Path: /etc/type.xml" + end + block.arg("DejaVu-Sans", end) + block.arg("Liberation Mono", end)
                   + block.arg("  spaced  ", end)
            << true << QStringList{"DejaVu-Sans", "Liberation Mono", "  spaced  "}
            << QStringList{"/f/DejaVu-Sans.ttf", "/f/Liberation Mono.ttf", "/f/  spaced  .ttf"};
    }
    QTest::addRow("last entry without a line end")
        << "  Font: A\n  Font: B-Bold" << true << QStringList{"A", "B-Bold"} << QStringList{"", ""};
    QTest::addRow("a file belongs to its own entry only")
        << "  Font: A\n  Font: B\n    glyphs: /b.pfb" << true << QStringList{"A", "B"} << QStringList{"", "/b.pfb"};
    QTest::addRow("empty last entry adds nothing")
        << "  Font: A\r\n  Font: \r\n    glyphs: /x.ttf\r\n" << true << QStringList{"A"} << QStringList{""};
    QTest::addRow("empty name mid list") << "Font: \nFont: Z\n" << true << QStringList{"Z"} << QStringList{""};
    QTest::addRow("no font at all")
        << "convert: unable to read font `x' @ error/annotate.c/RenderType/999.\n" << false << QStringList{}
        << QStringList{};
    QTest::addRow("colon without blank") << "Font:A\n" << false << QStringList{} << QStringList{};
}

void TestBuildRules::parseFontList()
{
    QFETCH(QString, output);
    QFETCH(bool, found);
    QFETCH(QStringList, names);
    QFETCH(QStringList, glyphFiles);
    bool gotFound = !found;
    QCOMPARE(::parseFontList(output, &gotFound), names);
    QCOMPARE(gotFound, found);
    // Asking for the files changes nothing else.
    QHash<QString, QString> files;
    QCOMPARE(::parseFontList(output, nullptr, &files), names);
    QStringList gotFiles;
    for (const QString &name : names)
        gotFiles << files.value(name);
    QCOMPARE(gotFiles, glyphFiles);
    QCOMPARE(files.size(), int(glyphFiles.size() - glyphFiles.count(QString())));
}

void TestBuildRules::queryRealFontList()
{
    TestSupport::ConfigSandbox sandbox;
    fontNameList().clear();
    QVERIFY(queryFontList());
    const QStringList names = fontNameList();
    QVERIFY2(names.size() > 1, qPrintable(names.join(", ")));
    // Exactly the tool's own names, in its order, blanks and all.
    QStringList expected;
    const QString listing = TestSupport::runCommand(TestSupport::convertPath(), {"-list", "font"});
    for (const QString &line : listing.split('\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith("Font: "))
            expected << trimmed.mid(6);
    }
    QCOMPARE(names, expected);
    QVERIFY(names.contains("DejaVu-Sans"));
    QVERIFY2(fontGlyphFiles().value("DejaVu-Sans").endsWith("/DejaVuSans.ttf"),
             qPrintable(fontGlyphFiles().value("DejaVu-Sans")));
    for (const QString &name : names) {
        QVERIFY(!name.isEmpty());
        QVERIFY(!name.contains('\r') && !name.contains('\n'));
    }
    fontNameList().clear();
}

void TestBuildRules::queryFailures_data()
{
    QTest::addColumn<QString>("script");

    QTest::addRow("missing tool") << QString();
    QTest::addRow("no font in the output") << "#!/bin/sh\necho 'convert: no fonts configured'\n";
    QTest::addRow("crash after a partial list") << "#!/bin/sh\necho '  Font: A'\nkill -SEGV $$\n";
    QTest::addRow("error status") << "#!/bin/sh\necho '  Font: A'\nexit 1\n";
}

void TestBuildRules::queryFailures()
{
    QFETCH(QString, script);
    TestSupport::ConfigSandbox sandbox;
    QTemporaryDir dir;
    const QString tool = dir.filePath("convert");
    if (!script.isEmpty())
        QVERIFY(!TestSupport::writeScript(tool, script.toUtf8()).isEmpty());
    AppSettings::instance().set(Settings::ImageTool, tool);
    fontNameList().clear();
    QVERIFY(!queryFontList());
    QVERIFY(fontNameList().isEmpty());
}

QTEST_MAIN(TestBuildRules)
#include "tst_buildrules.moc"
