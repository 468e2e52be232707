#include "TestSupport.h"

#include "base/AppSettings.h"
#include "base/TargetSizeTable.h"
#include "media/AudioLength.h"
#include "media/FontList.h"
#include "model/BlankCanvases.h"
#include "model/CaptionSettings.h"
#include "model/PicturePreparation.h"
#include "model/VideoBuildJob.h"
#include "render/Manifest.h"
#include "render/RenderProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using TestSupport::runCommand;

namespace {

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    QList<QJsonObject> lines;
    QString error;
};

// velmora-render with the real tools named, so the machine's settings and PATH do not count.
QStringList withTools(QStringList arguments)
{
    return arguments << QStringLiteral("--image-tool") << TestSupport::convertPath() << QStringLiteral("--encoder")
                     << TestSupport::ffmpegPath();
}

Run render(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_RENDER_BINARY), arguments);
    Run run;
    if (!process.waitForFinished(240000))
        return run;
    run.exitCode = process.exitCode();
    run.exitStatus = process.exitStatus();
    run.error = QString::fromLocal8Bit(process.readAllStandardError());
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            run.lines << QJsonDocument::fromJson(line).object();
    }
    return run;
}

QString make(const QString &program, const QStringList &arguments)
{
    int code = -1;
    const QString output = runCommand(program, arguments, &code);
    return code == 0 ? QString() : output;
}

QString ffmpeg(const QStringList &arguments)
{
    return make(TestSupport::ffmpegPath(), QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                       QStringLiteral("-y")} + arguments);
}

double probeLength(const QString &path)
{
    return runCommand(TestSupport::ffprobePath(),
                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                       QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path})
        .trimmed()
        .toDouble();
}

QString probeSize(const QString &path)
{
    return runCommand(TestSupport::ffprobePath(),
                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                       QStringLiteral("v:0"), QStringLiteral("-show_entries"), QStringLiteral("stream=width,height"),
                       QStringLiteral("-of"), QStringLiteral("csv=p=0:s=x"), path})
        .trimmed();
}

// The frame at `seconds` as raw RGB.
QByteArray frameAt(const QString &path, double seconds)
{
    QProcess process;
    process.start(TestSupport::ffmpegPath(),
                  {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-ss"),
                   QString::number(seconds), QStringLiteral("-i"), path, QStringLiteral("-frames:v"),
                   QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                   QStringLiteral("rgb24"), QStringLiteral("-")});
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QHash<QString, QJsonObject> byId(const QList<QJsonObject> &lines)
{
    QHash<QString, QJsonObject> rows;
    for (const QJsonObject &line : lines)
        rows.insert(line.value(QStringLiteral("id")).toString(), line);
    return rows;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void csvRecords_data();
    void csvRecords();
    void progressBar();
    void manifestUsageErrors_data();
    void manifestUsageErrors();
    void commandLineUsageErrors_data();
    void commandLineUsageErrors();
    void missingToolsTryLater();
    void fullDiskTryLater();
    void sameVideoAsWindow_data();
    void sameVideoAsWindow();
    void mixedManifest();
    void rerunSkipsAndForceRemakes();
    void rowSharesCoverManifestOnce();
    void terminationThenRerunCompletes_data();
    void terminationThenRerunCompletes();
    void runsWithoutDisplayOrSound();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestSupport::ConfigSandbox> m_config;
    QString m_picture;   // 800x600, letterboxed at 16:9
    QString m_song;      // 3 s of AAC-LC in M4A, tagged
    QString m_flac;      // 2 s of FLAC with a cover
    QString m_longSong;  // 40 s, for a run stopped midway
};

void TestRender::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_config = std::make_unique<TestSupport::ConfigSandbox>();
    m_picture = m_dir.filePath(QStringLiteral("picture.jpg"));
    m_song = m_dir.filePath(QStringLiteral("song.m4a"));
    m_flac = m_dir.filePath(QStringLiteral("covered.flac"));
    m_longSong = m_dir.filePath(QStringLiteral("long.mp3"));
    const QString cover = m_dir.filePath(QStringLiteral("cover.png"));
    QCOMPARE(make(TestSupport::convertPath(), {QStringLiteral("-size"), QStringLiteral("800x600"),
                                                QStringLiteral("gradient:orange-navy"), m_picture}),
             QString());
    QCOMPARE(make(TestSupport::convertPath(), {QStringLiteral("-size"), QStringLiteral("300x300"),
                                                QStringLiteral("xc:green"), cover}),
             QString());
    QCOMPARE(ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:duration=3"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                     QStringLiteral("-metadata"), QStringLiteral("title=Tune"), QStringLiteral("-metadata"),
                     QStringLiteral("artist=Band"), m_song}),
             QString());
    QCOMPARE(ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=330:duration=2"), QStringLiteral("-i"), cover,
                     QStringLiteral("-map"), QStringLiteral("0"), QStringLiteral("-map"), QStringLiteral("1"),
                     QStringLiteral("-c:v"), QStringLiteral("png"), QStringLiteral("-disposition:v"),
                     QStringLiteral("attached_pic"), m_flac}),
             QString());
    QCOMPARE(ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=220:duration=40"), QStringLiteral("-c:a"),
                     QStringLiteral("libmp3lame"), m_longSong}),
             QString());
}

void TestRender::csvRecords_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QList<QStringList>>("records");
    QTest::addColumn<QList<int>>("lines");
    QTest::newRow("plain, LF") << QByteArray("a,b\n1,2\n") << QList<QStringList>{{"a", "b"}, {"1", "2"}} << QList<int>{1, 2};
    QTest::newRow("CRLF, no final line end") << QByteArray("a,b\r\n1,2") << QList<QStringList>{{"a", "b"}, {"1", "2"}}
                                             << QList<int>{1, 2};
    QTest::newRow("quoted comma, quote and line break")
        << QByteArray("a,b\n\"x, \"\"y\"\"\",\"two\nlines\"\n3,4\n")
        << QList<QStringList>{{"a", "b"}, {"x, \"y\"", "two\nlines"}, {"3", "4"}} << QList<int>{1, 2, 4};
    QTest::newRow("empty cells, blank line skipped") << QByteArray("a,b,c\n,,\n\n1,,3\n")
                                                     << QList<QStringList>{{"a", "b", "c"}, {"", "", ""}, {"1", "", "3"}}
                                                     << QList<int>{1, 2, 4};
    QTest::newRow("byte order mark, UTF-8") << QByteArray("\xef\xbb\xbf" "a\n\xc3\xa9t\xc3\xa9\n")
                                            << QList<QStringList>{{"a"}, {QStringLiteral("été")}} << QList<int>{1, 2};
}

void TestRender::csvRecords()
{
    QFETCH(QByteArray, csv);
    QFETCH(QList<QStringList>, records);
    QFETCH(QList<int>, lines);
    QList<Manifest::Record> parsed;
    Manifest::Problem problem;
    QVERIFY2(Manifest::parseCsv(csv, &parsed, &problem), qPrintable(problem.message));
    QCOMPARE(parsed.size(), records.size());
    for (int i = 0; i < parsed.size(); ++i) {
        QCOMPARE(parsed[i].fields, records[i]);
        QCOMPARE(parsed[i].line, lines[i]);
    }
}

void TestRender::progressBar()
{
    QCOMPARE(RenderProgress::bar(0, 0, 4, 0, 8), QStringLiteral("[--------] 0/4 rows"));
    QCOMPARE(RenderProgress::bar(1, 1, 4, 10, 8), QStringLiteral("[##------] 1/4 rows  1 failed  about 0:30 left"));
    QCOMPARE(RenderProgress::bar(4, 0, 4, 99, 8), QStringLiteral("[########] 4/4 rows"));
    QCOMPARE(RenderProgress::clock(3725), QStringLiteral("1:02:05"));
}

void TestRender::manifestUsageErrors_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("where");
    const QByteArray good = "song.m4a";
    QTest::newRow("unknown column") << QByteArray("song,colour\nsong.m4a,red\n") << QStringLiteral(":1: column \"colour\"");
    QTest::newRow("column twice") << QByteArray("song,song\na,b\n") << QStringLiteral(":1: column \"song\"");
    QTest::newRow("no song column") << QByteArray("id,picture\nx,p.jpg\n") << QStringLiteral(":1: column \"song\"");
    QTest::newRow("duplicate id") << QByteArray("id,song\nx,a.mp3\ny,b.mp3\nx,c.mp3\n") << QStringLiteral(":4: column \"id\"");
    QTest::newRow("duplicate id from the song's name") << QByteArray("song\nmusic/a.mp3\nother/a.flac\n")
                                                      << QStringLiteral(":3: column \"id\"");
    QTest::newRow("id with a slash") << QByteArray("id,song\na/b,a.mp3\n") << QStringLiteral(":2: column \"id\"");
    QTest::newRow("empty song") << QByteArray("id,song\nx,\n") << QStringLiteral(":2: column \"song\"");
    QTest::newRow("bad size") << QByteArray("song,size\na.mp3,640x361\n") << QStringLiteral(":2: column \"size\"");
    QTest::newRow("bad format") << QByteArray("song,format\na.mp3,avi\n") << QStringLiteral(":2: column \"format\"");
    QTest::newRow("bad color") << QByteArray("song,color\na.mp3,fffff\n") << QStringLiteral(":2: column \"color\"");
    QTest::newRow("bad placement") << QByteArray("song,placement\na.mp3,middle\n")
                                   << QStringLiteral(":2: column \"placement\"");
    QTest::newRow("bad point size") << QByteArray("song,point_size\na.mp3,401\n")
                                    << QStringLiteral(":2: column \"point_size\"");
    QTest::newRow("zero shadow offset") << QByteArray("song,shadow_offset\na.mp3,\"0,0\"\n")
                                        << QStringLiteral(":2: column \"shadow_offset\"");
    QTest::newRow("bad shadow color") << QByteArray("song,shadow_color\na.mp3,grey\n")
                                      << QStringLiteral(":2: column \"shadow_color\"");
    QTest::newRow("bad background") << QByteArray("song,background\na.mp3,#12345g\n")
                                    << QStringLiteral(":2: column \"background\"");
    QTest::newRow("unknown font") << QByteArray("song,font\nsong.m4a,No-Such-Font-At-All\n")
                                  << QStringLiteral(":2: column \"font\"");
    QTest::newRow("fields short") << QByteArray("id,song\nx\n") << QStringLiteral(":2: the row has 1 fields");
    QTest::newRow("unclosed quote") << QByteArray("id,song\n\"x,a.mp3\n") << QStringLiteral(":2: a quoted field");
    QTest::newRow("not UTF-8") << QByteArray("song\n\xff\xfe.mp3\n") << QStringLiteral(":1: the file is not UTF-8");
    QTest::newRow("header only") << QByteArray("song\n") << QStringLiteral(":1: the manifest has no rows");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral(":1: the manifest is empty");
    Q_UNUSED(good);
}

void TestRender::manifestUsageErrors()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, where);
    QTemporaryDir dir;
    const QString manifest = dir.filePath(QStringLiteral("m.csv"));
    writeFile(manifest, csv);
    QFile::copy(m_song, dir.filePath(QStringLiteral("song.m4a")));
    const QString out = dir.filePath(QStringLiteral("out"));
    const Run run = render(withTools({QStringLiteral("--manifest"), manifest, QStringLiteral("--output-dir"), out}));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.error.contains(manifest + where), qPrintable(run.error));
    QVERIFY(run.lines.isEmpty());
    QVERIFY(!QFileInfo::exists(out));
}

void TestRender::commandLineUsageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString song = QStringLiteral("--song=a.mp3");
    const QString output = QStringLiteral("--output=/tmp/never/v.mp4");
    QTest::newRow("size") << QStringList{song, output, QStringLiteral("--size"), QStringLiteral("100x100")}
                          << QStringLiteral("--size: \"100x100\"");
    QTest::newRow("background") << QStringList{song, output, QStringLiteral("--background=red")}
                                << QStringLiteral("--background:");
    QTest::newRow("placement") << QStringList{song, output, QStringLiteral("--placement=middle")}
                               << QStringLiteral("--placement:");
    QTest::newRow("point size") << QStringList{song, output, QStringLiteral("--point-size=+5")}
                                << QStringLiteral("--point-size:");
    QTest::newRow("shadow offset") << QStringList{song, output, QStringLiteral("--shadow-offset=3")}
                                   << QStringLiteral("--shadow-offset:");
    QTest::newRow("shadow") << QStringList{song, output, QStringLiteral("--shadow=dark")} << QStringLiteral("--shadow:");
    QTest::newRow("color") << QStringList{song, output, QStringLiteral("--color=1234567")} << QStringLiteral("--color:");
    QTest::newRow("output's extension") << QStringList{song, QStringLiteral("--output=/tmp/v.avi")}
                                        << QStringLiteral("--output:");
    QTest::newRow("no output") << QStringList{song} << QStringLiteral("--output is missing");
    QTest::newRow("unknown option") << QStringList{song, output, QStringLiteral("--colour=ffffff")}
                                    << QStringLiteral("colour");
    QTest::newRow("both modes") << QStringList{song, output, QStringLiteral("--manifest=m.csv")}
                                << QStringLiteral("not both");
    QTest::newRow("jobs") << QStringList{QStringLiteral("--manifest=m.csv"), QStringLiteral("--output-dir=o"),
                                         QStringLiteral("--jobs=0")}
                          << QStringLiteral("--jobs:");
    QTest::newRow("rows backwards") << QStringList{QStringLiteral("--manifest=m.csv"), QStringLiteral("--output-dir=o"),
                                                   QStringLiteral("--rows=3-1")}
                                    << QStringLiteral("--rows:");
    QTest::newRow("index variable unset")
        << QStringList{QStringLiteral("--manifest=m.csv"), QStringLiteral("--output-dir=o"),
                       QStringLiteral("--index-env=VELMORA_NO_SUCH_INDEX"), QStringLiteral("--chunk=2")}
        << QStringLiteral("VELMORA_NO_SUCH_INDEX is not set");
    QTest::newRow("chunk alone") << QStringList{QStringLiteral("--manifest=m.csv"), QStringLiteral("--output-dir=o"),
                                                QStringLiteral("--chunk=2")}
                                 << QStringLiteral("go together");
    QTest::newRow("unknown font") << QStringList{QStringLiteral("--song"), m_song, QStringLiteral("--output"),
                                                 m_dir.filePath(QStringLiteral("never/v.mp4")),
                                                 QStringLiteral("--font=No-Such-Font-At-All")}
                                  << QStringLiteral("--font:");
}

void TestRender::commandLineUsageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = render(withTools(arguments));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.error.contains(message), qPrintable(run.error));
    QVERIFY(run.lines.isEmpty());
}

void TestRender::missingToolsTryLater()
{
    QTemporaryDir dir;
    const Run run = render({QStringLiteral("--song"), m_song, QStringLiteral("--output"),
                            dir.filePath(QStringLiteral("v.mp4")), QStringLiteral("--encoder"),
                            dir.filePath(QStringLiteral("no-ffmpeg"))});
    QCOMPARE(run.exitCode, 75);
    QVERIFY(run.lines.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

void TestRender::fullDiskTryLater()
{
    // A 256 kB file system of its own, in a mount namespace of its own: no room for a video.
    if (runCommand(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("true")}).contains(
            QStringLiteral("unshare")))
        QSKIP("no mount namespace here (needs root)");
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(out));
    const QString script = QStringLiteral("mount -t tmpfs -o size=256k velmora-full \"$1\" && shift && exec \"$@\"");
    QProcess process;
    process.start(QStringLiteral("unshare"),
                  QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                              QStringLiteral("sh"), out, QStringLiteral(VELMORA_RENDER_BINARY)}
                      + withTools({QStringLiteral("--song"), m_song, QStringLiteral("--output"),
                                   out + QStringLiteral("/v.mp4")}));
    QVERIFY(process.waitForFinished(60000));
    const QByteArray output = process.readAllStandardOutput();
    QCOMPARE(process.exitCode(), 75);
    const QJsonObject line = QJsonDocument::fromJson(output.trimmed()).object();
    QCOMPARE(line.value(QStringLiteral("status")).toString(), QStringLiteral("failed"));
    QVERIFY2(line.value(QStringLiteral("problem")).toString().contains(QStringLiteral("not enough room")),
             output.constData());
}

void TestRender::sameVideoAsWindow_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("mp4") << QStringLiteral("mp4");
    QTest::newRow("webm") << QStringLiteral("webm");
    QTest::newRow("mpg") << QStringLiteral("mpg");
}

void TestRender::sameVideoAsWindow()
{
    QFETCH(QString, format);
    QTemporaryDir dir;
    // The window's road: the settings' size and color, the picture prepared with its caption by
    // the picture preparation, and a build job with the request Create makes.
    AppSettings &settings = AppSettings::instance();
    settings.setFiles(m_config->iniPath());
    settings.load();
    QVERIFY(settings.set(Settings::TargetVideoSize, 3));
    QVERIFY(settings.set(Settings::DefaultBackgroundColor, qRgb(0x20, 0x40, 0x60)));
    if (fontNameList().isEmpty())
        QVERIFY(queryFontList());
    BlankCanvases canvases;
    QVERIFY(canvases.create(settings.imageToolPath(), settings.backgroundColor()));
    PicturePreparation preparation(canvases);
    CaptionSettings caption;
    caption.textOn = true;
    caption.text = QStringLiteral("Same\nvideo");
    caption.fontName = QStringLiteral("DejaVu-Sans-Bold");
    caption.pointSize = 30;
    caption.textColor = qRgb(255, 255, 0);
    caption.placement = 8;
    caption.shadowColor = qRgb(0, 0, 0);
    caption.shadowXOffset = 4;
    caption.shadowYOffset = -2;
    QSignalSpy prepared(&preparation, &PicturePreparation::finished);
    preparation.setSourcePicture(m_picture, &caption);
    QVERIFY(prepared.wait(30000));
    const AudioLengthResult length = measureAudioLength(m_song);
    const QString windowVideo = dir.filePath(QStringLiteral("window.") + format);
    VideoBuildJob job(VideoBuildRequest{settings.encoderPath(), preparation.currentPicturePath(), m_song,
                                        length.seconds, windowVideo, TargetSizeTable::instance().current().size(),
                                        length.readLimit});
    QSignalSpy built(&job, &VideoBuildJob::finished);
    job.start();
    QVERIFY(built.wait(120000));
    QCOMPARE(job.outcome(), BuildOutcome::Done);

    // velmora-render takes the same size and color from the same settings file.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config->configHome());
    const QString renderVideo = dir.filePath(QStringLiteral("render.") + format);
    const Run run = render({QStringLiteral("--song"), m_song, QStringLiteral("--picture"), m_picture,
                            QStringLiteral("--output"), renderVideo, QStringLiteral("--caption"), caption.text,
                            QStringLiteral("--font"), caption.fontName, QStringLiteral("--point-size=30"),
                            QStringLiteral("--color=FFFF00"), QStringLiteral("--placement=bottom-right"),
                            QStringLiteral("--shadow=000000"), QStringLiteral("--shadow-offset=4,-2")},
                           environment);
    QVERIFY2(run.exitCode == 0, qPrintable(run.error));
    QCOMPARE(run.lines.size(), 1);
    QCOMPARE(probeSize(renderVideo), QStringLiteral("426x240"));
    QCOMPARE(probeLength(renderVideo), probeLength(windowVideo));
    QVERIFY(qAbs(run.lines[0].value(QStringLiteral("length")).toDouble() - probeLength(renderVideo)) < 1e-5);
    for (const double at : {0.0, 2.5}) {
        const QByteArray expected = frameAt(windowVideo, at);
        QCOMPARE(expected.size(), 426 * 240 * 3);
        QVERIFY2(frameAt(renderVideo, at) == expected, qPrintable(QStringLiteral("frame at %1 s").arg(at)));
    }
    // Not a blank picture that would match anything: the caption's yellow is in it.
    const QByteArray frame = frameAt(renderVideo, 0);
    QVERIFY(frame.contains(QByteArray("\xff\xff\x00", 3)) || frame.contains(QByteArray("\xfe\xfe\x01", 3))
            || frame.count(char(0xfe)) + frame.count(char(0xff)) > 100);
}

void TestRender::mixedManifest()
{
    QTemporaryDir dir;
    QFile::copy(m_song, dir.filePath(QStringLiteral("song.m4a")));
    QFile::copy(m_picture, dir.filePath(QStringLiteral("picture.jpg")));
    QFile::copy(m_flac, dir.filePath(QStringLiteral("covered.flac")));
    writeFile(dir.filePath(QStringLiteral("broken.jpg")), QByteArray("\xff\xd8\xff\xe0 not really", 16));
    const QString manifest = dir.filePath(QStringLiteral("catalog.csv"));
    writeFile(manifest, "id,song,picture,caption,size,format,placement\n"
                        "one,song.m4a,picture.jpg,\"Hello, world\",640x360,mp4,top-left\n"
                        "two,song.m4a,picture.jpg,\"Hello, world\",640x360,mp4,top-left\n"
                        ",covered.flac,,,426x240,webm,\n"
                        "blank,song.m4a,,Blank,854x480,mpg,bottom\n"
                        "tagged,song.m4a,picture.jpg,,426x240,mp4,\n"
                        "lost,missing.mp3,,,,,\n"
                        "broken,song.m4a,broken.jpg,,,,\n");
    const QString out = dir.filePath(QStringLiteral("videos"));
    const Run run = render(withTools({QStringLiteral("--manifest"), manifest, QStringLiteral("--output-dir"), out,
                                      QStringLiteral("--jobs=2"), QStringLiteral("--caption-from-tags")}));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.lines.size(), 7);
    const QHash<QString, QJsonObject> rows = byId(run.lines);
    const struct
    {
        const char *id;
        int row;
        const char *status;
        const char *size;
    } expected[] = {
        {"one", 1, "done", "640x360"}, {"two", 2, "done", "640x360"}, {"covered", 3, "done", "426x240"},
        {"blank", 4, "done", "854x480"}, {"tagged", 5, "done", "426x240"}, {"lost", 6, "failed", nullptr},
        {"broken", 7, "failed", nullptr},
    };
    for (const auto &row : expected) {
        const QJsonObject line = rows.value(QLatin1String(row.id));
        QCOMPARE(line.value(QStringLiteral("row")).toInt(), row.row);
        QCOMPARE(line.value(QStringLiteral("status")).toString(), QLatin1String(row.status));
        QVERIFY(line.value(QStringLiteral("seconds")).toDouble() >= 0);
        if (!row.size) {
            QVERIFY(!line.value(QStringLiteral("problem")).toString().isEmpty());
            QVERIFY(line.value(QStringLiteral("output")).isNull());
            QVERIFY(QDir(out).entryList({QLatin1String(row.id) + QStringLiteral(".*")}).isEmpty());
            continue;
        }
        const QString output = line.value(QStringLiteral("output")).toString();
        QCOMPARE(QFileInfo(output).dir().absolutePath(), QDir(out).absolutePath());
        QCOMPARE(probeSize(output), QLatin1String(row.size));
        QVERIFY(qAbs(line.value(QStringLiteral("length")).toDouble() - probeLength(output)) < 0.01);
        const QJsonObject report = readJson(out + QLatin1Char('/') + QLatin1String(row.id) + QStringLiteral(".json"));
        QCOMPARE(report.value(QStringLiteral("check")).toObject().value(QStringLiteral("verdict")).toString(),
                 QStringLiteral("passed"));
        QVERIFY(report.value(QStringLiteral("inputs")).toObject().value(QStringLiteral("song")).toObject().contains(
            QStringLiteral("modified")));
        QVERIFY(!report.value(QStringLiteral("arguments")).toArray().isEmpty());
        QVERIFY(report.value(QStringLiteral("tools")).toObject().value(QStringLiteral("encoder")).toObject().value(
            QStringLiteral("version")).toString().contains(QStringLiteral("ffmpeg")));
    }
    QCOMPARE(readJson(out + QStringLiteral("/covered.json")).value(QStringLiteral("picture")).toObject().value(
                 QStringLiteral("source")).toString(),
             QStringLiteral("cover"));
    // A caption cell wins over the tags; an empty one takes them.
    const auto captionOf = [&out](const char *id) {
        return readJson(out + QLatin1Char('/') + QLatin1String(id) + QStringLiteral(".json"))
            .value(QStringLiteral("picture")).toObject().value(QStringLiteral("caption")).toString();
    };
    QCOMPARE(captionOf("tagged"), QStringLiteral("Band – Tune"));
    QCOMPARE(captionOf("one"), QStringLiteral("Hello, world"));
    QVERIFY(rows.value(QStringLiteral("broken")).value(QStringLiteral("problem")).toString().contains(
        QStringLiteral("broken.jpg")));
    // The two rows of one picture share one encoded piece: one row made it, the other took it, and
    // both report the run that made it.
    QStringList pieces;
    for (const char *id : {"one", "two"}) {
        const QJsonObject report = readJson(out + QLatin1Char('/') + QLatin1String(id) + QStringLiteral(".json"));
        pieces << report.value(QStringLiteral("picture")).toObject().value(QStringLiteral("piece")).toString();
        QVERIFY(report.value(QStringLiteral("arguments")).toArray().first().toArray().contains(QStringLiteral("libx264")));
    }
    pieces.sort();
    QCOMPARE(pieces, (QStringList{QStringLiteral("made"), QStringLiteral("shared")}));
    // Nothing is left under a temporary name.
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 10);
}

void TestRender::rerunSkipsAndForceRemakes()
{
    QTemporaryDir dir;
    QFile::copy(m_song, dir.filePath(QStringLiteral("a.m4a")));
    QFile::copy(m_song, dir.filePath(QStringLiteral("b.m4a")));
    const QString manifest = dir.filePath(QStringLiteral("m.csv"));
    writeFile(manifest, "song,format\na.m4a,mp4\nb.m4a,webm\n");
    const QString out = dir.filePath(QStringLiteral("out"));
    const QStringList arguments = withTools({QStringLiteral("--manifest"), manifest, QStringLiteral("--output-dir"), out,
                                             QStringLiteral("--size=426x240")});
    const auto statuses = [](const Run &run) {
        QStringList list;
        for (const QJsonObject &line : run.lines)
            list << line.value(QStringLiteral("id")).toString() + QLatin1Char(':')
                    + line.value(QStringLiteral("status")).toString();
        list.sort();
        return list;
    };
    const Run first = render(arguments);
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(statuses(first), (QStringList{"a:done", "b:done"}));
    const QDateTime written = QFileInfo(out + QStringLiteral("/a.mp4")).lastModified();

    const Run again = render(arguments);
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(statuses(again), (QStringList{"a:skipped", "b:skipped"}));
    QCOMPARE(QFileInfo(out + QStringLiteral("/a.mp4")).lastModified(), written);
    QVERIFY(again.lines[0].value(QStringLiteral("length")).toDouble() > 2.9);

    // A changed input, a changed setting, a lost report: made again.
    QFile song(dir.filePath(QStringLiteral("b.m4a")));
    QVERIFY(song.open(QIODevice::ReadWrite));
    QVERIFY(song.setFileTime(QDateTime::currentDateTime().addSecs(-100), QFileDevice::FileModificationTime));
    song.close();
    QCOMPARE(statuses(render(arguments)), (QStringList{"a:skipped", "b:done"}));
    QVERIFY(QFile::remove(out + QStringLiteral("/a.json")));
    QCOMPARE(statuses(render(arguments)), (QStringList{"a:done", "b:skipped"}));
    QCOMPARE(statuses(render(QStringList(arguments) << QStringLiteral("--caption=New"))),
             (QStringList{"a:done", "b:done"}));

    QCOMPARE(statuses(render(QStringList(arguments) << QStringLiteral("--caption=New") << QStringLiteral("--force"))),
             (QStringList{"a:done", "b:done"}));
}

void TestRender::rowSharesCoverManifestOnce()
{
    // Rows of songs that do not exist fail at once: enough to see which rows a share takes.
    QTemporaryDir dir;
    QByteArray csv = "song\n";
    for (int i = 0; i < 7; ++i)
        csv += "gone" + QByteArray::number(i) + ".mp3\n";
    const QString manifest = dir.filePath(QStringLiteral("m.csv"));
    writeFile(manifest, csv);
    const QStringList common = withTools({QStringLiteral("--manifest"), manifest, QStringLiteral("--output-dir"),
                                          dir.filePath(QStringLiteral("out"))});
    QList<int> seen;
    for (int index = 0; index < 4; ++index) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TASK_INDEX"), QString::number(index));
        const Run run = render(QStringList(common) << QStringLiteral("--index-env=TASK_INDEX") << QStringLiteral("--chunk=3"),
                               environment);
        QCOMPARE(run.exitCode, index < 3 ? 1 : 0);
        for (const QJsonObject &line : run.lines)
            seen << line.value(QStringLiteral("row")).toInt();
    }
    std::sort(seen.begin(), seen.end());
    QCOMPARE(seen, (QList<int>{1, 2, 3, 4, 5, 6, 7}));

    seen.clear();
    for (const char *rows : {"1-2", "3-5", "6-100"}) {
        for (const QJsonObject &line : render(QStringList(common) << QStringLiteral("--rows") << QLatin1String(rows)).lines)
            seen << line.value(QStringLiteral("row")).toInt();
    }
    std::sort(seen.begin(), seen.end());
    QCOMPARE(seen, (QList<int>{1, 2, 3, 4, 5, 6, 7}));
}

void TestRender::terminationThenRerunCompletes_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestRender::terminationThenRerunCompletes()
{
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    const QString manifest = dir.filePath(QStringLiteral("m.csv"));
    writeFile(manifest, QStringLiteral("id,song,format\nslow1,%1,webm\nslow2,%1,webm\nslow3,%1,webm\n")
                            .arg(m_longSong)
                            .toUtf8());
    const QString out = dir.filePath(QStringLiteral("out"));
    const QStringList arguments = withTools({QStringLiteral("--manifest"), manifest, QStringLiteral("--output-dir"), out,
                                             QStringLiteral("--size=426x240"), QStringLiteral("--jobs=2")});
    QProcess process;
    process.start(QStringLiteral(VELMORA_RENDER_BINARY), arguments);
    QVERIFY(process.waitForStarted());
    const QString ownTemp = QStringLiteral("velmora-%1-").arg(process.processId());
    // The encoders are writing once their hidden files are there.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(out).entryList({QStringLiteral(".pictune-*")}, QDir::Files | QDir::Hidden).size() == 2,
                             60000);
    ::kill(pid_t(process.processId()), signalNumber);
    QVERIFY(process.waitForFinished(30000));
    // Ended by the signal itself, after its clean-up.
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(process.exitCode(), signalNumber);
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(QDir::temp().entryList({ownTemp + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden).isEmpty());
    if (signalNumber != SIGTERM)
        return;

    const Run rerun = render(arguments);
    QCOMPARE(rerun.exitCode, 0);
    QCOMPARE(rerun.lines.size(), 3);
    for (const QJsonObject &line : rerun.lines)
        QCOMPARE(line.value(QStringLiteral("status")).toString(), QStringLiteral("done"));
}

void TestRender::runsWithoutDisplayOrSound()
{
    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS",
                             "XDG_RUNTIME_DIR", "PULSE_SERVER", "SDL_AUDIODRIVER", "AUDIODEV"})
        environment.remove(QLatin1String(name));
    // No audio server to reach: a runtime folder of its own, empty.
    environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir.filePath(QStringLiteral("no-pulse")));
    const QString output = dir.filePath(QStringLiteral("v.mp4"));
    const Run run = render(withTools({QStringLiteral("--song"), m_flac, QStringLiteral("--output"), output,
                                      QStringLiteral("--caption-from-tags")}),
                           environment);
    QVERIFY2(run.exitCode == 0, qPrintable(run.error));
    QCOMPARE(run.lines.size(), 1);
    QVERIFY(QFileInfo(output).size() > 0);
    // Nor does it link what needs a display.
    const QString libraries = runCommand(QStringLiteral("ldd"), {QStringLiteral(VELMORA_RENDER_BINARY)});
    QVERIFY(!libraries.contains(QStringLiteral("libQt6Widgets")));
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
