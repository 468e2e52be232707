#include "FileHelpers.h"
#include "TestSupport.h"

#include "app/Application.h"
#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "base/TargetSizeTable.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSemaphore>
#include <QThread>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestSupport;

namespace {

const QFile::Permissions Exec = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

// Start-up's checks of the temporary folder, the tools and the INI files, and the settings
// read from and written to them.
class TestAppStartup : public QObject
{
    Q_OBJECT

private slots:
    // First: the run's temporary folder must not exist yet.
    void unusableTempFolderStopsStartUp_data();
    void unusableTempFolderStopsStartUp();
    void startupToolChecks_data();
    void startupToolChecks();
    void startupWithSystemFiles_data();
    void startupWithSystemFiles();
    void settingsFileNotRegular_data();
    void settingsFileNotRegular();
    void systemFilesAreNeverWritten();
    void startupSettings_data();
    void startupSettings();
    void folderSettings_data();
    void folderSettings();
    void dialogSizeSettings_data();
    void dialogSizeSettings();
    void writesThroughTheTable();
    void settingsAnnounceChanges();
    void iniWrittenByAnotherProgram();
    void iniWriteAppendsAndRefuses();
    void parseHex_data();
    void parseHex();
};

void TestAppStartup::unusableTempFolderStopsStartUp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("missing folder") << "gone/tmp";
    QTest::addRow("a file") << "plain-file";
}

void TestAppStartup::unusableTempFolderStopsStartUp()
{
    QFETCH(QString, name);
    ConfigSandbox sandbox;
    QTemporaryDir scratch;
    writeFile(scratch.filePath("plain-file"), "x");
    const QString tempFolder = scratch.filePath(name);
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tempFolder));
    // Should the window open after all, it is closed so the failure shows instead of a hang.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                dialog->done(0);
    });
    closer.start(2000);

    MessageRecorder recorder;
    AppSettings::instance().reset();
    const int exitCode = Application().run();
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
    QCOMPARE(exitCode, 1);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first().text,
             QStringLiteral("The System TEMP Directory does not exist:\n\n\t%1\n\nSorry, can't continue.").arg(tempFolder));
    QVERIFY(recorder.messages.first().owner == nullptr);
}

// Each row writes an INI (placeholders: CONVERT, FFMPEG, FFPLAY, DIR = a scratch folder holding
// fake tools) and expects start-up to pass or to show exactly one message.
void TestAppStartup::startupToolChecks_data()
{
    QTest::addColumn<QByteArray>("ini");     // empty: no INI file at all
    QTest::addColumn<QString>("message");    // empty: start-up passes

    const QString init = QStringLiteral("Can't initialize the %1 path from:\n\n   INI\n\nSorry, can't continue.");
    const QString find = QStringLiteral("Can't find the %1 executable, specified in:\n\n   INI\n\nSorry, can't continue.");
    const QString invalid = QStringLiteral("Invalid %1 file, specified in:\n\n   INI\n\nSorry, can't continue.");
    const QByteArray tools = "S2=FFMPEG\nS3=FFPLAY\n";

    QTest::addRow("all three tools") << QByteArray("[Velmora 1]\nS1=CONVERT\n" + tools) << QString();
    QTest::addRow("no INI file") << QByteArray() << init.arg("s1");
    QTest::addRow("missing section") << QByteArray("[Other]\nS1=CONVERT\n" + tools) << init.arg("s1");
    QTest::addRow("x value is missing") << QByteArray("[Velmora 1]\nS1=x:/tools/convert\n" + tools) << init.arg("s1");
    QTest::addRow("empty S2 is not missing") << QByteArray("[Velmora 1]\nS1=CONVERT\nS2=\nS3=FFPLAY\n") << find.arg("s2");
    QTest::addRow("missing file") << QByteArray("[Velmora 1]\nS1=CONVERT\nS2=DIR/nothing\nS3=FFPLAY\n") << find.arg("s2");
    QTest::addRow("empty file") << QByteArray("[Velmora 1]\nS1=CONVERT\nS2=FFMPEG\nS3=DIR/empty\n") << find.arg("s3");
    QTest::addRow("directory") << QByteArray("[Velmora 1]\nS1=DIR\n" + tools) << find.arg("s1");
    QTest::addRow("not executable") << QByteArray("[Velmora 1]\nS1=DIR/plain\n" + tools) << invalid.arg("s1");
    QTest::addRow("not the expected tool") << QByteArray("[Velmora 1]\nS1=CONVERT\nS2=DIR/other\nS3=FFPLAY\n") << invalid.arg("s2");
    QTest::addRow("encoder where the player belongs") << QByteArray("[Velmora 1]\nS1=CONVERT\nS2=FFMPEG\nS3=FFMPEG\n") << invalid.arg("s3");
    QTest::addRow("relative path") << QByteArray("[Velmora 1]\nS1=usr/bin/convert\n" + tools) << find.arg("s1");
    QTest::addRow("S2 and S3 not read when S1 fails") << QByteArray("[Velmora 1]\nS1=DIR/plain\nS2=x\nS3=\n") << invalid.arg("s1");
    QTest::addRow("symlink counts as its target") << QByteArray("[Velmora 1]\nS1=DIR/link-to-convert\n" + tools) << QString();
    QTest::addRow("keys in other case, blanks, quotes") << QByteArray("[velmora 1]\n s1 = \"CONVERT\" \nS2=FFMPEG\ns3=FFPLAY\n") << QString();
    QTest::addRow("tool that hangs") << QByteArray("[Velmora 1]\nS1=DIR/hang\n" + tools) << invalid.arg("s1");
}

void TestAppStartup::startupToolChecks()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, message);

    ConfigSandbox sandbox(false);
    QTemporaryDir scratch;
    const QString dir = scratch.path();
    writeFile(dir + "/empty", "", Exec);
    writeFile(dir + "/plain", "#!/bin/sh\necho Version: ImageMagick\n", QFile::ReadOwner | QFile::WriteOwner);
    writeFile(dir + "/other", "#!/bin/sh\necho hello\n", Exec);
    writeFile(dir + "/hang", "#!/bin/sh\nexec sleep 60\n", Exec);
    QVERIFY(QFile::link(convertPath(), dir + "/link-to-convert"));

    if (!ini.isEmpty()) {
        ini.replace("CONVERT", convertPath().toUtf8());
        ini.replace("FFMPEG", ffmpegPath().toUtf8());
        ini.replace("FFPLAY", ffplayPath().toUtf8());
        ini.replace("DIR", dir.toUtf8());
        sandbox.writeIni(ini);
    }

    MessageRecorder recorder;
    AppSettings::instance().reset();
    Application app;
    const bool ok = app.loadSettings();
    QCOMPARE(AppSettings::instance().iniPath(), sandbox.iniPath());
    if (message.isEmpty()) {
        QVERIFY(ok);
        QVERIFY(recorder.messages.isEmpty());
        QVERIFY(!AppSettings::instance().imageToolPath().isEmpty());
        QCOMPARE(AppSettings::instance().encoderPath(), ffmpegPath());
        QCOMPARE(AppSettings::instance().playerPath(), ffplayPath());
    } else {
        QVERIFY(!ok);
        QCOMPARE(recorder.messages.size(), 1);
        const RecordedMessage &m = recorder.messages.first();
        QCOMPARE(m.text, QString(message).replace(QStringLiteral("INI"), sandbox.iniPath()));
        QCOMPARE(m.caption, QStringLiteral("Velmora"));
        QCOMPARE(m.icon, QMessageBox::Critical);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(m.owner == nullptr);
    }
}

// A package installs system-wide files (XDG_CONFIG_DIRS); the user's file comes first, key by
// key, and a failure's message names the file the path came from (INI, SYS0, SYS1), or every
// file read when none holds it. "-" is no file.
void TestAppStartup::startupWithSystemFiles_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("system0");
    QTest::addColumn<QByteArray>("system1");
    QTest::addColumn<QString>("message");   // empty: start-up passes
    QTest::addColumn<int>("sizeIndex");

    const QByteArray all = "[Velmora 1]\nS1=CONVERT\nS2=FFMPEG\nS3=FFPLAY\n";
    const QByteArray none = "-";
    const QString init = QStringLiteral("Can't initialize the %1 path from:\n\n   INI\n\nSorry, can't continue.");
    const QString find = QStringLiteral("Can't find the %1 executable, specified in:\n\n   INI\n\nSorry, can't continue.");
    const QString invalid = QStringLiteral("Invalid %1 file, specified in:\n\n   INI\n\nSorry, can't continue.");

    QTest::addRow("system file alone") << none << all << none << QString() << 2;
    QTest::addRow("second system folder") << none << none << all << QString() << 2;
    QTest::addRow("user's key wins over a good one")
        << QByteArray("[Velmora 1]\nS2=DIR/plain\n") << all << none << invalid.arg("s2") << 2;
    QTest::addRow("user's empty key still counts")
        << QByteArray("[Velmora 1]\nS3=\n") << all << none << find.arg("s3") << 2;
    QTest::addRow("first system folder wins")
        << none << QByteArray("[Velmora 1]\nS1=DIR/nothing\n") << all << QString(find.arg("s1")).replace("INI", "SYS0") << 2;
    QTest::addRow("keys gathered from every file")
        << QByteArray("[Velmora 1]\nTargetVideoSize=3\nS1=CONVERT\n")
        << QByteArray("[Velmora 1]\nS2=FFMPEG\nTargetVideoSize=0\n")
        << QByteArray("[Velmora 1]\nS1=DIR/nothing\nS3=FFPLAY\nTargetVideoSize=1\n") << QString() << 3;
    QTest::addRow("size from a system file") << none << QByteArray(all + "TargetVideoSize=1\n") << none << QString() << 1;
    QTest::addRow("system file names a missing tool")
        << none << QByteArray("[Velmora 1]\nS1=/nonexistent/convert\nS2=FFMPEG\nS3=FFPLAY\n") << none
        << QString(find.arg("s1")).replace("INI", "SYS0") << 2;
    QTest::addRow("second system file names a tool that is not one")
        << QByteArray("[Velmora 1]\nS1=CONVERT\n") << QByteArray("[Velmora 1]\nS2=FFMPEG\n")
        << QByteArray("[Velmora 1]\nS3=DIR/plain\n") << QString(invalid.arg("s3")).replace("INI", "SYS1") << 2;
    QTest::addRow("no tool anywhere") << QByteArray("[Velmora 1]\nTargetVideoSize=1\n")
        << QByteArray("[Other]\nS1=CONVERT\n") << none << QString(init.arg("s1")).replace("INI", "INI\n   SYS0") << 1;
    static const char garbage[] = "\x7f" "ELF\x02\x01\x01\0\0\0[Velmora\xff 1]\nS1\0=x\n\xfe\xfe";
    QTest::addRow("garbage system file alone")
        << none << QByteArray(garbage, sizeof garbage - 1) << none
        << QString(init.arg("s1")).replace("INI", "SYS0") << 2;
}

void TestAppStartup::startupWithSystemFiles()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, system0);
    QFETCH(QByteArray, system1);
    QFETCH(QString, message);
    QFETCH(int, sizeIndex);

    ConfigSandbox sandbox(false);
    QTemporaryDir scratch;
    writeFile(scratch.filePath("plain"), "#!/bin/sh\necho Version: ImageMagick\n", QFile::ReadOwner | QFile::WriteOwner);
    const auto fill = [&](QByteArray text) {
        text.replace("CONVERT", convertPath().toUtf8());
        text.replace("FFMPEG", ffmpegPath().toUtf8());
        text.replace("FFPLAY", ffplayPath().toUtf8());
        text.replace("DIR", scratch.path().toUtf8());
        return text;
    };
    if (user != "-")
        sandbox.writeIni(fill(user));
    if (system0 != "-")
        sandbox.writeSystemIni(0, fill(system0));
    if (system1 != "-")
        sandbox.writeSystemIni(1, fill(system1));

    MessageRecorder recorder;
    AppSettings::instance().reset();
    const bool ok = Application().loadSettings();
    QCOMPARE(AppSettings::instance().targetSizeIndex(), sizeIndex);
    if (message.isEmpty()) {
        QVERIFY(ok);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(AppSettings::instance().encoderPath(), ffmpegPath());
        QCOMPARE(AppSettings::instance().playerPath(), ffplayPath());
    } else {
        QVERIFY(!ok);
        QCOMPARE(recorder.messages.size(), 1);
        QCOMPARE(recorder.messages.first().text,
                 QString(message)
                     .replace(QStringLiteral("INI"), sandbox.iniPath())
                     .replace(QStringLiteral("SYS0"), sandbox.systemIniPath(0))
                     .replace(QStringLiteral("SYS1"), sandbox.systemIniPath(1)));
    }
}

// A settings file that is a FIFO (or a folder) is never opened for reading, which would wait for
// a writer for ever: start-up stops with a message naming it, and nothing writes over it.
void TestAppStartup::settingsFileNotRegular_data()
{
    QTest::addColumn<bool>("fifo");     // else a folder
    QTest::addRow("fifo") << true;
    QTest::addRow("folder") << false;
}

void TestAppStartup::settingsFileNotRegular()
{
    QFETCH(bool, fifo);
    ConfigSandbox sandbox(false);
    sandbox.writeSystemIni(0, "[Velmora 1]\nS1=" + convertPath().toUtf8() + "\nS2=" + ffmpegPath().toUtf8()
                                  + "\nS3=" + ffplayPath().toUtf8() + "\n");
    QVERIFY(QDir().mkpath(QFileInfo(sandbox.iniPath()).path()));
    const QByteArray name = QFile::encodeName(sandbox.iniPath());
    if (fifo)
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else
        QVERIFY(QDir().mkdir(sandbox.iniPath()));
    // Should a read wait on the FIFO after all, a writer comes after a few seconds to end the wait
    // and the test fails on the message instead of hanging.
    QSemaphore done;
    std::unique_ptr<QThread> writer(QThread::create([&] {
        while (fifo && !done.tryAcquire(1, 3000)) {
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }));
    writer->start();

    MessageRecorder recorder;
    AppSettings &settings = AppSettings::instance();
    settings.reset();
    const bool ok = Application().loadSettings();
    const bool written = settings.set(Settings::TargetVideoSize, 1);
    done.release();
    writer->wait();

    QVERIFY(!ok);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first().text,
             QStringLiteral("Can't read the settings from:\n\n   %1\n\nIt is not a regular file.\n\n"
                            "Sorry, can't continue.").arg(sandbox.iniPath()));
    QCOMPARE(recorder.messages.first().icon, QMessageBox::Critical);
    QVERIFY(!written);
    QCOMPARE(QFileInfo(sandbox.iniPath()).isFile(), false);
}

// Whatever the program writes goes to the user's file; the system-wide one stays as installed.
void TestAppStartup::systemFilesAreNeverWritten()
{
    ConfigSandbox sandbox(false);
    const QByteArray system = "[Velmora 1]\nS1=" + convertPath().toUtf8() + "\nS2=" + ffmpegPath().toUtf8()
        + "\nS3=" + ffplayPath().toUtf8() + "\nTargetVideoSize=1\nDestinationFolderPath=/srv/videos/\n";
    sandbox.writeSystemIni(0, system);
    MessageRecorder recorder;
    AppSettings &settings = AppSettings::instance();
    settings.reset();
    QVERIFY(Application().loadSettings());
    QCOMPARE(settings.systemIniPaths(), QStringList{sandbox.systemIniPath(0)});
    QCOMPARE(settings.read(Settings::DestinationFolder), QStringLiteral("/srv/videos"));

    QVERIFY(settings.set(Settings::TargetVideoSize, 3));
    QVERIFY(settings.set(Settings::DestinationFolder, QStringLiteral("/home/u/Videos")));
    QCOMPARE(readFile(sandbox.iniPath()), QByteArray("[Velmora 1]\nTargetVideoSize=3\nDestinationFolderPath=/home/u/Videos\n"));
    QCOMPARE(readFile(sandbox.systemIniPath(0)), system);
    QCOMPARE(settings.read(Settings::DestinationFolder), QStringLiteral("/home/u/Videos"));
    settings.load();
    QCOMPARE(settings.targetSizeIndex(), 3);
    QCOMPARE(settings.imageToolPath(), convertPath());
}

// Each row is the section's text; start-up reads it into the record in one go.
void TestAppStartup::startupSettings_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("sizeIndex");
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<bool>("autoPlay");

    const QRgb black = qRgb(0, 0, 0);
    QTest::addRow("none") << QByteArray() << 2 << black << true;
    QTest::addRow("size 3") << QByteArray("TargetVideoSize=3\n") << 3 << black << true;
    QTest::addRow("size 0x3") << QByteArray("TargetVideoSize=0x3\n") << 3 << black << true;
    QTest::addRow("size 4 is 1920x1080") << QByteArray("TargetVideoSize=4\n") << 4 << black << true;
    QTest::addRow("size 5 is out of range") << QByteArray("TargetVideoSize=5\n") << 2 << black << true;
    QTest::addRow("size A is out of range") << QByteArray("TargetVideoSize=A\n") << 2 << black << true;
    QTest::addRow("size -1") << QByteArray("TargetVideoSize=-1\n") << 2 << black << true;
    QTest::addRow("size x") << QByteArray("TargetVideoSize=x\n") << 2 << black << true;
    QTest::addRow("size 0 with trailing text") << QByteArray("TargetVideoSize=0 x\n") << 0 << black << true;
    QTest::addRow("size not a number") << QByteArray("TargetVideoSize=zz\n") << 2 << black << true;
    QTest::addRow("red") << QByteArray("DefaultBackgroundColor=ff0000\n") << 2 << qRgb(255, 0, 0) << true;
    QTest::addRow("color with comment") << QByteArray("DefaultBackgroundColor=00ff00 ;green\n") << 2 << qRgb(0, 255, 0) << true;
    QTest::addRow("color with 0x") << QByteArray("DefaultBackgroundColor=0x102030\n") << 2 << qRgb(0x10, 0x20, 0x30) << true;
    QTest::addRow("color masked to 24 bits") << QByteArray("DefaultBackgroundColor=80ff0000\n") << 2 << qRgb(255, 0, 0) << true;
    QTest::addRow("color -1 is white") << QByteArray("DefaultBackgroundColor=-1\n") << 2 << qRgb(255, 255, 255) << true;
    QTest::addRow("color not a number") << QByteArray("DefaultBackgroundColor=red\n") << 2 << black << true;
    QTest::addRow("auto-play empty") << QByteArray("AutoPlayOnOpen=\n") << 2 << black << true;
    QTest::addRow("auto-play 0") << QByteArray("AutoPlayOnOpen=0\n") << 2 << black << false;
    QTest::addRow("auto-play 0ff") << QByteArray("AutoPlayOnOpen=0ff\n") << 2 << black << false;
    QTest::addRow("auto-play off") << QByteArray("AutoPlayOnOpen=off\n") << 2 << black << true;
    QTest::addRow("all three, other case, quoted")
        << QByteArray("targetvideosize = 1\ndefaultbackgroundcolor=\"0000ff\"\nautoplayonopen='0'\n")
        << 1 << qRgb(0, 0, 255) << false;
}

void TestAppStartup::startupSettings()
{
    QFETCH(QByteArray, keys);
    QFETCH(int, sizeIndex);
    QFETCH(QRgb, color);
    QFETCH(bool, autoPlay);

    ConfigSandbox sandbox(false);
    AppSettings &settings = AppSettings::instance();
    // The record starts away from every default, so a key left unread shows; the file written
    // on the way is replaced by the row's.
    settings.set(Settings::TargetVideoSize, 3 - sizeIndex);
    settings.set(Settings::DefaultBackgroundColor, ~color);
    settings.set(Settings::AutoPlayOnOpen, !autoPlay);
    sandbox.writeIni("[Velmora 1]\n" + keys);
    settings.load();
    QCOMPARE(settings.targetSizeIndex(), sizeIndex);
    QCOMPARE(settings.backgroundColor(), color);
    QCOMPARE(settings.autoPlayOnOpen(), autoPlay);
    QCOMPARE(TargetSizeTable::instance().current().width,
             TargetSizeTable::instance().row(sizeIndex).width);
}

// The folder keys are read when asked for. HOME is a fresh folder holding `existing`, so the
// user's standard folder is there only when a row makes it.
void TestAppStartup::folderSettings_data()
{
    QTest::addColumn<int>("key");           // 0 pictures, 1 audio, 2 destination
    QTest::addColumn<QByteArray>("line");   // empty: key absent
    QTest::addColumn<QString>("existing");  // a folder made under HOME first
    QTest::addColumn<QString>("expected");  // HOME: the home folder

    QTest::addRow("trailing slash") << 0 << QByteArray("PictureFilePath=/srv/Pictures/") << QString() << QStringLiteral("/srv/Pictures");
    QTest::addRow("no trailing slash") << 0 << QByteArray("PictureFilePath=/srv/Pictures") << QString() << QStringLiteral("/srv/Pictures");
    QTest::addRow("trailing backslash") << 0 << QByteArray("PictureFilePath=/srv/Pictures\\") << QString() << QStringLiteral("/srv/Pictures");
    QTest::addRow("only one separator removed") << 0 << QByteArray("PictureFilePath=/srv//") << QString() << QStringLiteral("/srv/");
    QTest::addRow("root stays") << 0 << QByteArray("PictureFilePath=/") << QString() << QStringLiteral("/");
    QTest::addRow("empty value is not absent") << 0 << QByteArray("PictureFilePath=") << QString() << QString();
    QTest::addRow("missing key") << 0 << QByteArray() << QString() << QStringLiteral("HOME");
    QTest::addRow("audio key") << 1 << QByteArray("AudioFilePath=/m/") << QString() << QStringLiteral("/m");
    QTest::addRow("missing audio key, Music exists") << 1 << QByteArray() << QStringLiteral("Music") << QStringLiteral("HOME/Music");
    QTest::addRow("destination key") << 2 << QByteArray("DestinationFolderPath=/v") << QString() << QStringLiteral("/v");
    QTest::addRow("missing destination key, Videos exists") << 2 << QByteArray() << QStringLiteral("Videos") << QStringLiteral("HOME/Videos");
    QTest::addRow("missing picture key, Pictures exists") << 0 << QByteArray() << QStringLiteral("Pictures") << QStringLiteral("HOME/Pictures");
}

void TestAppStartup::folderSettings()
{
    QFETCH(int, key);
    QFETCH(QByteArray, line);
    QFETCH(QString, existing);
    QFETCH(QString, expected);

    const Settings::Key<QString> *keys[] = {&Settings::PictureFolder, &Settings::AudioFolder,
                                            &Settings::DestinationFolder};
    ConfigSandbox sandbox(false);
    sandbox.writeIni("[Velmora 1]\n" + line + "\n");
    QTemporaryDir home;
    if (!existing.isEmpty())
        QVERIFY(QDir(home.path()).mkdir(existing));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    expected.replace(QLatin1String("HOME"), home.path());
    const QString result = AppSettings::instance().read(*keys[key]);
    qputenv("HOME", oldHome);
    QCOMPARE(result, expected);
}

// The keys the program writes, written as their rows say and read back the same way.
void TestAppStartup::dialogSizeSettings_data()
{
    QTest::addColumn<QByteArray>("text"); // empty: key absent
    QTest::addColumn<QSize>("expected");  // empty: none remembered

    QTest::addRow("absent") << QByteArray() << QSize();
    QTest::addRow("width x height") << QByteArray("900x640") << QSize(900, 640);
    QTest::addRow("blanks around") << QByteArray(" 900 x 640 ") << QSize(900, 640);
    QTest::addRow("no height") << QByteArray("900x") << QSize();
    QTest::addRow("one number") << QByteArray("900") << QSize();
    QTest::addRow("zero") << QByteArray("0x640") << QSize();
    QTest::addRow("negative") << QByteArray("-900x640") << QSize();
    QTest::addRow("three sides") << QByteArray("1x2x3") << QSize();
    QTest::addRow("absurd") << QByteArray("900x99999999") << QSize();
}

void TestAppStartup::dialogSizeSettings()
{
    QFETCH(QByteArray, text);
    QFETCH(QSize, expected);
    ConfigSandbox sandbox(false);
    const QByteArray lines = text.isEmpty() ? QByteArray()
                                            : "OpenFileDialogSize=" + text + "\nSaveAsDialogSize=" + text + "\n";
    sandbox.writeIni("[Velmora 1]\n" + lines);
    QCOMPARE(AppSettings::instance().read(Settings::OpenFileDialogSize), expected);
    QCOMPARE(AppSettings::instance().read(Settings::SaveAsDialogSize), expected);
    if (expected.isEmpty())
        return;
    // Written back as read.
    QVERIFY(AppSettings::instance().set(Settings::SaveAsDialogSize, expected + QSize(1, 1)));
    QVERIFY(readFile(sandbox.iniPath()).contains(
        QStringLiteral("SaveAsDialogSize=%1x%2").arg(expected.width() + 1).arg(expected.height() + 1).toUtf8()));
}

void TestAppStartup::writesThroughTheTable()
{
    ConfigSandbox sandbox(false);
    sandbox.writeIni(QByteArray());
    AppSettings &settings = AppSettings::instance();
    QVERIFY(settings.set(Settings::TargetVideoSize, 3));
    QVERIFY(settings.setAll({Settings::PictureFolder.entry("/p"), Settings::AudioFolder.entry("/a b"),
                             Settings::DestinationFolder.entry("/"), Settings::AutoPlayOnOpen.entry(false)}));
    QCOMPARE(readFile(sandbox.iniPath()),
             QByteArray("[Velmora 1]\nTargetVideoSize=3\nPictureFilePath=/p\nAudioFilePath=/a b\n"
                        "DestinationFolderPath=/\nAutoPlayOnOpen=0\n"));
    QVERIFY(settings.set(Settings::AutoPlayOnOpen, true));
    settings.load();
    QCOMPARE(settings.targetSizeIndex(), 3);
    QCOMPARE(settings.autoPlayOnOpen(), true);
    QCOMPARE(settings.read(Settings::AudioFolder), QStringLiteral("/a b"));
    QCOMPARE(settings.read(Settings::DestinationFolder), QStringLiteral("/"));

    // A failed save says so and leaves the record alone.
    QTemporaryDir dir;
    writeFile(dir.filePath("file"), "x");
    settings.setFiles(dir.filePath("file/Velmora1.ini"));
    QSignalSpy changed(&settings, &AppSettings::changed);
    QVERIFY(!settings.setAll({Settings::TargetVideoSize.entry(1)}));
    QCOMPARE(settings.targetSizeIndex(), 3);
    QCOMPARE(changed.size(), 0);
    // One key set on its own holds for this run all the same; the caller says it was not saved.
    QVERIFY(!settings.set(Settings::TargetVideoSize, 1));
    QCOMPARE(settings.targetSizeIndex(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().first().toString(), QStringLiteral("TargetVideoSize"));
}

// Each key set is announced once, after the record holds it: a key of the record when its value
// changed, a key only the file holds when it was saved.
void TestAppStartup::settingsAnnounceChanges()
{
    ConfigSandbox sandbox;
    AppSettings &settings = AppSettings::instance();
    QStringList announced;
    QList<int> sizesSeen;
    const QMetaObject::Connection connection = connect(&settings, &AppSettings::changed, this,
                                                       [&](const QString &key) {
                                                           announced << key;
                                                           sizesSeen << settings.targetSizeIndex();
                                                       });
    QVERIFY(settings.set(Settings::TargetVideoSize, 4));
    QVERIFY(settings.set(Settings::TargetVideoSize, 4));
    QVERIFY(settings.set(Settings::DefaultBackgroundColor, qRgb(0x10, 0x20, 0x30)));
    QVERIFY(settings.setAll({Settings::AutoPlayOnOpen.entry(true), Settings::PictureFolder.entry("/p"),
                             Settings::TargetVideoSize.entry(0)}));
    disconnect(connection);
    QCOMPARE(announced, (QStringList{"TargetVideoSize", "DefaultBackgroundColor", "PictureFilePath",
                                     "TargetVideoSize"}));
    QCOMPARE(sizesSeen, (QList<int>{4, 4, 0, 0}));
    QCOMPARE(settings.backgroundColor(), qRgb(0x10, 0x20, 0x30));
    // The record holds what a new start reads from the file.
    const QString tools = QStringLiteral("S1=%1\nS2=%2\nS3=%3\n").arg(convertPath(), ffmpegPath(), ffplayPath());
    QCOMPARE(readFile(sandbox.iniPath()),
             ("[Velmora 1]\n" + tools + "TargetVideoSize=0\nDefaultBackgroundColor=102030\n"
              "AutoPlayOnOpen=1\nPictureFilePath=/p\n").toUtf8());
    settings.load();
    QCOMPARE(settings.targetSizeIndex(), 0);
    QCOMPARE(settings.backgroundColor(), qRgb(0x10, 0x20, 0x30));
}

void TestAppStartup::iniWrittenByAnotherProgram()
{
    ConfigSandbox sandbox(false);
    const QByteArray original =
        "\xEF\xBB\xBF; written by hand\r\n"
        "[Other]\r\n"
        "TargetVideoSize=1\r\n"
        "\r\n"
        "[VELMORA 1]\r\n"
        "; tools\r\n"
        "  targetvideosize = 3  \r\n"
        "TargetVideoSize=0\r\n"
        "AutoPlayOnOpen='0'\r\n"
        "[Third]\r\n"
        "x=y\r\n";
    sandbox.writeIni(original);
    const QString ini = sandbox.iniPath();

    QCOMPARE(IniFile::readString(ini, "Velmora 1", "TargetVideoSize", "d"), QStringLiteral("3"));
    QCOMPARE(IniFile::readString(ini, "velmora 1", "AUTOPLAYONOPEN", "d"), QStringLiteral("0"));
    QCOMPARE(IniFile::readString(ini, "Velmora 1", "S1", "x"), QStringLiteral("x"));
    QCOMPARE(IniFile::readString(ini, "Other", "TargetVideoSize", "d"), QStringLiteral("1"));

    QVERIFY(IniFile::writeString(ini, "Velmora 1", "TargetVideoSize", "2"));
    QByteArray expected = original;
    expected.replace("  targetvideosize = 3  ", "  targetvideosize =2");
    QCOMPARE(readFile(ini), expected);

    // A new key goes to the end of its section, with the file's own line ends.
    QVERIFY(IniFile::writeString(ini, "Velmora 1", "PictureFilePath", "/home/u/My Pictures"));
    expected.replace("AutoPlayOnOpen='0'\r\n", "AutoPlayOnOpen='0'\r\nPictureFilePath=/home/u/My Pictures\r\n");
    QCOMPARE(readFile(ini), expected);
    QCOMPARE(IniFile::readString(ini, "Velmora 1", "PictureFilePath", "d"), QStringLiteral("/home/u/My Pictures"));
}

void TestAppStartup::iniWriteAppendsAndRefuses()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("new.ini");
    QVERIFY(IniFile::writeString(ini, "Velmora 1", "TargetVideoSize", "1"));
    QCOMPARE(readFile(ini), QByteArray("[Velmora 1]\nTargetVideoSize=1\n"));

    // A line break would smuggle a second key into the file.
    QVERIFY(!IniFile::writeString(ini, "Velmora 1", "PictureFilePath", "/tmp\nS1=/bin/evil"));
    QVERIFY(IniFile::writeStrings(ini, "Velmora 1", {{"AutoPlayOnOpen", "0"}, {"AudioFilePath", "/m"}}));
    QCOMPARE(readFile(ini), QByteArray("[Velmora 1]\nTargetVideoSize=1\nAutoPlayOnOpen=0\nAudioFilePath=/m\n"));

    // A file without a final line break keeps its last line whole.
    writeFile(ini, "[A]\nk=v");
    QVERIFY(IniFile::writeString(ini, "A", "n", "w"));
    QCOMPARE(readFile(ini), QByteArray("[A]\nk=v\nn=w"));

    // Below a regular file nothing can be written: the write fails and nothing appears.
    writeFile(dir.filePath("file"), "x");
    QVERIFY(!IniFile::writeString(dir.filePath("file/sub.ini"), "A", "k", "v"));
}

void TestAppStartup::parseHex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("value");
    QTest::addRow("plain") << "ff" << true << qint64(255);
    QTest::addRow("blanks and sign") << "  -1" << true << qint64(-1);
    QTest::addRow("0x") << "0X1f" << true << qint64(31);
    QTest::addRow("stops at other") << "3 x" << true << qint64(3);
    QTest::addRow("0x without digits reads 0") << "0xg" << true << qint64(0);
    QTest::addRow("nothing") << "" << false << qint64(0);
    QTest::addRow("letters") << "zz" << false << qint64(0);
    QTest::addRow("signed 0x") << "-0x10" << true << qint64(-16);
    QTest::addRow("overlong saturates") << "10000000000000000000" << true << (qint64(1) << 62);
}

void TestAppStartup::parseHex()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, value);
    const std::optional<qint64> parsed = Settings::parseHex(text);
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(*parsed, value);
}

QTEST_MAIN(TestAppStartup)
#include "tst_app_startup.moc"
