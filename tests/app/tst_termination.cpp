// The real program ended by a signal in the middle of a build: SIGTERM (logout), SIGINT and
// SIGHUP must stop the encoder, remove the partial video and the private temporary folder.
// Velmora runs as its own process on the private desktop the test runs on; the build is started
// with real clicks and keys (xdotool). At start it removes folders that dead runs left behind.
#include "TestSupport.h"

#include "base/Paths.h"
#include "mainwindow/MainWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace TestSupport;

namespace {

// The id of a running child of `parent` whose command is `name`, else 0.
qint64 childNamed(qint64 parent, const QByteArray &name)
{
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('(');
        const qsizetype close = text.lastIndexOf(')');
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields.at(0) != "Z" && fields.at(1).toLongLong() == parent
            && text.mid(open + 1, close - open - 1) == name)
            return pid;
    }
    return 0;
}

} // namespace

class TestTermination : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalDuringBuild_data();
    void signalDuringBuild();
    void onlyOurLeftoversGo();

private:
    QString xdotool(const QStringList &arguments, int *exitCode = nullptr);

    QTemporaryDir m_dir;
    QString m_song;
    // Where the build's buttons sit in the window, read from the same window made here.
    QPoint m_step2;
    QPoint m_create;
    QSize m_windowSize;
};

QString TestTermination::xdotool(const QStringList &arguments, int *exitCode)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(30000))
        tool.kill();
    tool.waitForFinished();
    if (exitCode)
        *exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

void TestTermination::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_song = m_dir.filePath("twenty minutes.flac");
    int code = -1;
    runCommand(ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "1200", m_song},
               &code);
    QCOMPARE(code, 0);

    ConfigSandbox sandbox;
    MainWindow window;
    QVERIFY(window.initialize());
    window.show();
    QTest::qWait(1);
    m_windowSize = window.size();
    const auto centre = [&window](int id) {
        const QWidget *control = window.control(id);
        return control ? control->mapTo(&window, control->rect().center()) : QPoint();
    };
    m_step2 = centre(MainWindow::Step2Pending);
    m_create = centre(MainWindow::CreateButton);
    QVERIFY(!m_step2.isNull() && !m_create.isNull());
}

void TestTermination::signalDuringBuild_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addRow("SIGTERM") << int(SIGTERM);
    QTest::addRow("SIGINT") << int(SIGINT);
    QTest::addRow("SIGHUP") << int(SIGHUP);
}

void TestTermination::signalDuringBuild()
{
    QFETCH(int, signalNumber);

    const QString root = m_dir.filePath(QTest::currentDataTag());
    const QString config = root + "/config";
    const QString temp = root + "/temp";
    const QString videos = root + "/videos";
    const QString runtime = root + "/runtime";
    for (const QString &folder : {config + "/Velmora 1", temp, videos, runtime})
        QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    {
        QFile ini(config + "/Velmora 1/Velmora1.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nAutoPlayOnOpen=0\nDestinationFolderPath=%4\n")
                      .arg(convertPath(), ffmpegPath(), ffplayPath(), videos)
                      .toUtf8());
    }

    // Left behind earlier: by a run whose process is gone, by one still running (this test),
    // and a folder that is not one of ours.
    QProcess finished;
    finished.start(QStringLiteral("true"), {});
    QVERIFY(finished.waitForStarted());
    const qint64 deadPid = finished.processId();
    QVERIFY(finished.waitForFinished());
    const QString dead = temp + QStringLiteral("/velmora-%1-AbC123").arg(deadPid);
    const QString live = temp + QStringLiteral("/velmora-%1-LiVe99").arg(QCoreApplication::applicationPid());
    const QString foreign = temp + "/velmora-notes";
    for (const QString &folder : {dead, live, foreign}) {
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + "/VL_Copy_Resized_old.bmp");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
    }

    QProcess velmora;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("TMPDIR", temp);
    velmora.setProcessEnvironment(env);
    velmora.setProcessChannelMode(QProcess::ForwardedChannels);
    velmora.start(QStringLiteral(VELMORA_BINARY), {});
    QVERIFY(velmora.waitForStarted());
    const qint64 pid = velmora.processId();
    const auto cleanUp = qScopeGuard([&velmora] {
        velmora.kill();
        velmora.waitForFinished();
    });

    const QString window = xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(pid), "--name", "^Velmora$"})
                               .section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no main window");
    const QString geometry = xdotool({"getwindowgeometry", "--shell", window});
    QVERIFY2(geometry.contains(QStringLiteral("WIDTH=%1\n").arg(m_windowSize.width()))
                 && geometry.contains(QStringLiteral("HEIGHT=%1").arg(m_windowSize.height())),
             qPrintable(geometry));

    // Step 2: the open-file dialog takes the typed name of a 20-minute song.
    xdotool({"mousemove", "--window", window, QString::number(m_step2.x()), QString::number(m_step2.y()), "click", "1"});
    QVERIFY(!xdotool({"search", "--sync", "--onlyvisible", "--name", "^Select Audio File"}).isEmpty());
    xdotool({"type", "--delay", "2", m_song});
    xdotool({"key", "Return"});

    // Create: the encoder starts writing the video.
    qint64 encoder = 0;
    QElapsedTimer clock;
    clock.start();
    while (!encoder && clock.elapsed() < 30000) {
        xdotool({"mousemove", "--window", window, QString::number(m_create.x()), QString::number(m_create.y()), "click", "1"});
        for (int i = 0; i < 20 && !encoder; ++i) {
            QTest::qWait(100);
            encoder = childNamed(pid, "ffmpeg");
        }
    }
    QVERIFY2(encoder, "the build did not start");
    const QString output = videos + "/MyPictune.webm";
    // The encoder writes under a hidden name beside the output until the video is whole.
    const auto written = [&videos] { return QDir(videos).entryList(QDir::Files | QDir::Hidden | QDir::System); };
    QTRY_VERIFY_WITH_TIMEOUT(written().size() == 1, 20000);
    const QString partial = videos + '/' + written().first();
    QVERIFY2(partial != output, qPrintable(partial));

    // The run's own folder holds the canvases and the encoder's picture copy.
    const QStringList ours = QDir(temp).entryList({QStringLiteral("velmora-%1-*").arg(pid)}, QDir::Dirs);
    QCOMPARE(ours.size(), 1);
    QVERIFY(!QDir(temp + '/' + ours.first()).entryList({"BuildPicture_*"}, QDir::Files).isEmpty());
    QVERIFY2(!QFileInfo::exists(dead), "the folder of a dead run stayed");
    QVERIFY(QFileInfo::exists(live + "/VL_Copy_Resized_old.bmp"));
    QVERIFY(QFileInfo::exists(foreign + "/VL_Copy_Resized_old.bmp"));

    QCOMPARE(::kill(pid_t(pid), signalNumber), 0);
    QVERIFY(velmora.waitForFinished(20000));
    QCOMPARE(velmora.exitStatus(), QProcess::CrashExit);
    QCOMPARE(velmora.exitCode(), signalNumber);
    QTRY_VERIFY_WITH_TIMEOUT(processGone(encoder), 5000);
    QVERIFY2(!QFileInfo::exists(output), "the partial video stayed");
    QVERIFY2(!QFileInfo::exists(partial), "the partial video stayed");
    QCOMPARE(written(), QStringList());
    QVERIFY2(!QFileInfo::exists(temp + '/' + ours.first()), "the temporary folder stayed");
    QVERIFY(QFileInfo::exists(live));
}

// What the start-up sweep must leave alone: a link that looks like a leftover (and its target),
// a file, a folder of another user, and a name that only starts like ours.
void TestTermination::onlyOurLeftoversGo()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QProcess finished;
    finished.start(QStringLiteral("true"), {});
    QVERIFY(finished.waitForStarted());
    const QString deadPid = QString::number(finished.processId());
    QVERIFY(finished.waitForFinished());

    const auto makeFolder = [&temp](const QString &name) {
        const QString folder = temp.filePath(name);
        QDir().mkpath(folder);
        QFile file(folder + "/kept.bmp");
        file.open(QIODevice::WriteOnly);
        file.write("x");
        return folder;
    };
    const QString leftover = makeFolder("velmora-" + deadPid + "-Gone01");
    const QString target = makeFolder("elsewhere");
    QVERIFY(QFile::link(target, temp.filePath("velmora-" + deadPid + "-Link01")));
    QFile plain(temp.filePath("velmora-" + deadPid + "-File01"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString longer = makeFolder("velmora-" + deadPid + "-TooLong1");
    const QString foreign = makeFolder("velmora-" + deadPid + "-Other1");
    const bool root = ::getuid() == 0;
    if (root)
        QCOMPARE(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);

    removeStaleTempFolders(temp.path());
    QVERIFY(!QFileInfo::exists(leftover));
    QVERIFY(QFileInfo(temp.filePath("velmora-" + deadPid + "-Link01")).isSymLink());
    QVERIFY(QFileInfo::exists(target + "/kept.bmp"));
    QVERIFY(QFileInfo::exists(plain.fileName()));
    QVERIFY(QFileInfo::exists(longer + "/kept.bmp"));
    QCOMPARE(QFileInfo::exists(foreign + "/kept.bmp"), root);
}

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
