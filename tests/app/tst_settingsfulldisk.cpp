#include "PictureWaits.h"
#include "TestSupport.h"

#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "dialogs/OptionsDialog.h"
#include "mainwindow/MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sched.h>
#include <sys/mount.h>

using namespace TestSupport;

// Writing the settings file on a full disk: the old file stays whole, the write reports failure
// and the user is told. The disk is a small tmpfs in a mount namespace of this test's own (needs
// root, as in CI), filled to the last block.
class TestSettingsFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void optionsDialogSaysNotSaved();
    void targetSizeKeySaysNotSaved();

private:
    // Fills the disk, leaving the settings file as it is.
    void fillDisk();
    void freeDisk();

    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
    QString m_ini;
    QByteArray m_original;
    std::unique_ptr<ConfigSandbox> m_sandbox;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestSettingsFullDisk::initTestCase()
{
    QVERIFY(m_mountPoint.isValid());
    // Only this thread moves to the new namespace; the test's file work runs on it.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", QFile::encodeName(m_mountPoint.path()).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("a private tmpfs needs root (CAP_SYS_ADMIN)");
    m_mounted = true;
}

void TestSettingsFullDisk::cleanupTestCase()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_mountPoint.path()).constData(), MNT_DETACH);
}

void TestSettingsFullDisk::init()
{
    m_sandbox = std::make_unique<ConfigSandbox>();
    m_messages = std::make_unique<MessageRecorder>();
    // The tools' INI as start-up read it, moved onto the small disk.
    m_original = IniFile::readAll(m_sandbox->iniPath()) + "TargetVideoSize=2\nAutoPlayOnOpen=1\n";
    m_ini = m_mountPoint.filePath("Velmora1.ini");
    QFile file(m_ini);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(m_original), m_original.size());
    file.close();
    AppSettings::instance().setFiles(m_ini, AppSettings::instance().systemIniPaths());
    fillDisk();
}

void TestSettingsFullDisk::cleanup()
{
    freeDisk();
    QFile::remove(m_ini);
    m_messages.reset();
    m_sandbox.reset();
}

void TestSettingsFullDisk::fillDisk()
{
    QFile filler(m_mountPoint.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // The last partial blocks too.
    while (filler.write(block.left(1)) == 1) {
    }
}

void TestSettingsFullDisk::freeDisk()
{
    QFile::remove(m_mountPoint.filePath("filler"));
}

void TestSettingsFullDisk::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<int>("keys");
    QTest::newRow("one key in place") << 1;
    QTest::newRow("four keys, some appended") << 4;
}

void TestSettingsFullDisk::failedWriteKeepsTheOldFile()
{
    QFETCH(int, keys);
    QList<IniFile::KeyValue> entries{{"TargetVideoSize", "3"}, {"PictureFilePath", "/p"},
                                     {"AudioFilePath", "/a"}, {"DestinationFolderPath", "/d"}};
    QVERIFY(!IniFile::writeStrings(m_ini, "Velmora 1", entries.mid(0, keys)));
    QCOMPARE(IniFile::readAll(m_ini), m_original);
    // No half-written temporary file is left beside it.
    QCOMPARE(QDir(m_mountPoint.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // With room again the same write goes through.
    freeDisk();
    QVERIFY(IniFile::writeStrings(m_ini, "Velmora 1", entries.mid(0, keys)));
    QCOMPARE(IniFile::readString(m_ini, "Velmora 1", "TargetVideoSize", "x"), QString("3"));
}

void TestSettingsFullDisk::optionsDialogSaysNotSaved()
{
    AppSettings::instance().set(Settings::AutoPlayOnOpen, true);
    OptionsDialog dialog(nullptr);
    dialog.show();
    dialog.autoPlayBox()->setChecked(false);
    dialog.accept();
    QCOMPARE(m_messages->messages.size(), 1);
    QVERIFY(m_messages->messages.first().text.startsWith("The settings could not be saved in:\n\n   " + m_ini));
    // The dialog stays open with the user's choice, so OK can be tried again.
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QVERIFY(AppSettings::instance().autoPlayOnOpen());
    QCOMPARE(IniFile::readAll(m_ini), m_original);
}

void TestSettingsFullDisk::targetSizeKeySaysNotSaved()
{
    MainWindow window;
    QVERIFY(window.initialize());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    m_messages->messages.clear();
    QTest::keyClick(&window, Qt::Key_4);
    // The size holds for this run; the file keeps the old one and the user reads why, once the
    // picture is redone at the new size.
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 3);
    QVERIFY(waitForPictureStep(&window));
    QCOMPARE(m_messages->messages.size(), 1);
    QVERIFY(m_messages->messages.first().text.startsWith("The settings could not be saved in:"));
    QCOMPARE(IniFile::readAll(m_ini), m_original);
    // A start with that file still finds its tools.
    AppSettings::instance().load();
    QCOMPARE(AppSettings::instance().imageToolPath(), convertPath());
}

QTEST_MAIN(TestSettingsFullDisk)
#include "tst_settingsfulldisk.moc"
