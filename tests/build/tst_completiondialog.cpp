// The completion dialog and the desktop hand-offs behind its buttons.
#include "common/TestSupport.h"
#include "dialogs/CompletionDialog.h"
#include "tools/DesktopLauncher.h"

#include <QDBusConnection>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <cstdlib>

using Dlg = CompletionDialog;

namespace {

const QString Player = QStringLiteral("/opt/a player/play");

// Watches what would be opened instead of opening it; the file manager call is real unless faked.
class RecordingLauncher : public DesktopLauncher
{
public:
    QList<QUrl> urls;
    QList<QStringList> started; // program first, then its arguments
    QList<QStringList> shown;
    int fileManagerAnswer = -1; // -1: ask over D-Bus for real; 0/1: answer at once

    void openUrl(const QUrl &url, std::function<void(bool)> done) override
    {
        urls << url;
        if (done)
            done(true);
    }
    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        started << (QStringList{program} + arguments);
        return true;
    }
    void showItems(const QStringList &fileUrls, std::function<void(bool)> done) override
    {
        shown << fileUrls;
        if (fileManagerAnswer < 0)
            DesktopLauncher::showItems(fileUrls, std::move(done));
        else
            done(fileManagerAnswer == 1);
    }
};

// Stands in for the desktop's file manager on the test's own bus.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> calls;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId)
    {
        Q_UNUSED(startupId);
        calls << uris;
    }
};

// A session bus of the test's own, with nothing that can be started on demand.
struct PrivateBus
{
    QByteArray address;
    long pid = 0;
    QTemporaryDir dir;

    PrivateBus()
    {
        const QString config = dir.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                   "<auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>");
        file.close();
        // The daemon's own output goes to a file: a pipe closed behind it would kill it.
        const QString printed = dir.filePath("bus.txt");
        const QByteArray command = "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file='"
            + QFile::encodeName(config) + "' > '" + QFile::encodeName(printed) + "'";
        if (std::system(command.constData()) != 0)
            return;
        QFile result(printed);
        if (!result.open(QIODevice::ReadOnly))
            return;
        const QList<QByteArray> lines = result.readAll().split('\n');
        if (lines.size() >= 2) {
            address = lines.at(0).trimmed();
            pid = lines.at(1).trimmed().toLong();
        }
        if (!address.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }
    ~PrivateBus()
    {
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
};

} // namespace

class TestCompletionDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutAndSizes();
    void enterUploads();
    void playerTwice();
    void playerWindow_data();
    void playerWindow();
    void locate_data();
    void locate();
    void fileManagerOverDBus();
    void desktopCannotOpen_data();
    void desktopCannotOpen();
    void realDetachedStart();
    void closing_data();
    void closing();

private:
    std::unique_ptr<TestSupport::ConfigSandbox> m_sandbox;
    RecordingLauncher m_launcher;
};

void TestCompletionDialog::init()
{
    m_sandbox = std::make_unique<TestSupport::ConfigSandbox>();
    m_launcher = RecordingLauncher();
    DesktopLauncher::setInstance(&m_launcher);
}

void TestCompletionDialog::cleanup()
{
    DesktopLauncher::setInstance(nullptr);
    m_sandbox.reset();
}

void TestCompletionDialog::layoutAndSizes()
{
    Dlg dialog("/v/my clip.webm", QSize(), Player);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Pictune Complete"));
    const QList<QPair<int, QString>> buttons{{Dlg::UploadNowButton, "Upload Now"},
                                             {Dlg::OpenWithPlayerButton, "Open with Video Player"},
                                             {Dlg::LocateFileButton, "Locate File with File Manager"},
                                             {Dlg::CloseButton, "Close"}};
    for (const auto &[id, text] : buttons) {
        QVERIFY2(dialog.controlAs<QPushButton>(id), qPrintable(text));
        QCOMPARE(dialog.controlAs<QPushButton>(id)->text(), text);
    }
    QVERIFY(dialog.controlAs<QPushButton>(Dlg::UploadNowButton)->isDefault());

    auto *intro = dialog.findChildren<QLabel *>().first();
    QCOMPARE(intro->text().split('\n'),
             QStringList({"Your Pictune is now Complete, and the Save As Path",
                          "has been copied to the Clipboard, for easy Pasting.", "",
                          "What would you like to do next?"}));
    // At first the player's key help lies just below the visible area.
    auto *group = dialog.findChild<QGroupBox *>();
    QCOMPARE(group->title(), QString("Video Player Controls"));
    QCOMPARE(dialog.height(), dialog.compactHeight());
    QCOMPARE(group->geometry().top(), dialog.compactHeight());
    QVERIFY(dialog.fullHeight() > group->geometry().bottom());
    QVERIFY(dialog.controlAs<QPushButton>(Dlg::CloseButton)->geometry().bottom() < dialog.compactHeight());
    QVERIFY(dialog.width() > dialog.controlAs<QPushButton>(Dlg::UploadNowButton)->geometry().right());
}

void TestCompletionDialog::enterUploads()
{
    Dlg dialog("/v/clip.webm", QSize(), Player);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWidget *focus = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    QTest::keyClick(focus, Qt::Key_Return);
    QCOMPARE(m_launcher.urls.size(), 1);
    const QUrl page = m_launcher.urls.first();
    QCOMPARE(page.scheme(), QString("https"));
    QVERIFY(page.path().contains("upload"));
    QVERIFY(dialog.isVisible());
    QVERIFY(m_launcher.started.isEmpty());
}

void TestCompletionDialog::playerTwice()
{
    const QString output = "/v/my \"odd\" clip -1.webm";
    Dlg dialog(output, QSize(), Player);
    dialog.show();
    const QStringList expected{Player, "-loop", "999", "-autoexit", output};
    for (int click = 1; click <= 2; ++click) {
        QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::OpenWithPlayerButton), Qt::LeftButton);
        QCOMPARE(m_launcher.started.size(), click);
        QCOMPARE(m_launcher.started.last(), expected);
        QCOMPARE(dialog.height(), dialog.fullHeight());
        QVERIFY(dialog.isVisible());
    }
}

void TestCompletionDialog::playerWindow_data()
{
    QTest::addColumn<QSize>("video");
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QStringList>("window"); // -x, -y, -left, -top

    const QRect fullHd(0, 0, 1920, 1080);
    QTest::addRow("fits: actual size, centered") << QSize(1280, 720) << fullHd
                                                 << QStringList{"1280", "720", "319", "167"};
    QTest::addRow("as large as the screen") << QSize(1920, 1080) << fullHd
                                            << QStringList{"1875", "1055", "21", "0"};
    QTest::addRow("laptop with a panel") << QSize(1920, 1080) << QRect(0, 0, 1366, 740)
                                         << QStringList{"1271", "715", "46", "0"};
    QTest::addRow("second screen below a panel") << QSize(854, 480) << QRect(1920, 30, 1280, 994)
                                                 << QStringList{"854", "480", "2132", "274"};
    QTest::addRow("size unknown") << QSize() << fullHd << QStringList();
}

void TestCompletionDialog::playerWindow()
{
    QFETCH(QSize, video);
    QFETCH(QRect, workArea);
    QFETCH(QStringList, window);
    // openbox's frame of a player window: a 20-pixel title, 1-pixel sides, a 5-pixel handle.
    const QStringList arguments = Dlg::playerArguments("/v/clip.webm", video, workArea, QMargins(1, 20, 1, 5));
    QStringList expected{"-loop", "999", "-autoexit"};
    if (!window.isEmpty())
        expected << "-x" << window.at(0) << "-y" << window.at(1) << "-left" << window.at(2) << "-top" << window.at(3);
    QCOMPARE(arguments, expected << "/v/clip.webm");
}

void TestCompletionDialog::locate_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("folderOpened");
    QTest::addRow("file manager shows the file") << 1 << 0;
    QTest::addRow("no file manager: the folder opens") << 0 << 1;
}

void TestCompletionDialog::locate()
{
    QFETCH(int, answer);
    QFETCH(int, folderOpened);
    m_launcher.fileManagerAnswer = answer;
    Dlg dialog("/v/my 100% clip.webm", QSize(), Player);
    dialog.show();
    QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::LocateFileButton), Qt::LeftButton);
    QCOMPARE(m_launcher.shown, QList<QStringList>{{"file:///v/my%20100%25%20clip.webm"}});
    QCOMPARE(m_launcher.urls.size(), folderOpened);
    if (folderOpened)
        QCOMPARE(m_launcher.urls.first(), QUrl::fromLocalFile("/v"));
    QVERIFY(dialog.isVisible());
}

void TestCompletionDialog::fileManagerOverDBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        QSKIP("no private session bus");
    FakeFileManager fileManager;
    QVERIFY(bus.registerObject("/org/freedesktop/FileManager1", &fileManager,
                               QDBusConnection::ExportScriptableSlots));
    QVERIFY(bus.registerService("org.freedesktop.FileManager1"));

    Dlg dialog("/v/clip é.mpg", QSize(), Player);
    dialog.show();
    QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::LocateFileButton), Qt::LeftButton);
    QTRY_COMPARE(fileManager.calls.size(), 1);
    QCOMPARE(fileManager.calls.first(), QStringList{"file:///v/clip%20%C3%A9.mpg"});
    QTest::qWait(50);
    QVERIFY(m_launcher.urls.isEmpty());

    // Gone from the bus: the folder opens instead.
    QVERIFY(bus.unregisterService("org.freedesktop.FileManager1"));
    bus.unregisterObject("/org/freedesktop/FileManager1");
    QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::LocateFileButton), Qt::LeftButton);
    QTRY_COMPARE(m_launcher.urls.size(), 1);
    QCOMPARE(m_launcher.urls.first(), QUrl::fromLocalFile("/v"));
    QCOMPARE(fileManager.calls.size(), 1);
}

void TestCompletionDialog::desktopCannotOpen_data()
{
    QTest::addColumn<QByteArray>("xdgOpen"); // the script on the PATH, none when empty
    QTest::addColumn<bool>("failure");
    QTest::addRow("no method available") << QByteArray("echo 'xdg-open: no method available' >&2\nexit 3\n") << true;
    QTest::addRow("no xdg-open") << QByteArray() << true;
    QTest::addRow("folder opened") << QByteArray("exit 0\n") << false;
}

void TestCompletionDialog::desktopCannotOpen()
{
    QFETCH(QByteArray, xdgOpen);
    QFETCH(bool, failure);
    // No file manager answers on this bus: the folder goes to xdg-open, whose exit status counts.
    DesktopLauncher::setInstance(nullptr);
    QTemporaryDir tools;
    const QString record = tools.filePath("arguments.txt");
    if (!xdgOpen.isEmpty())
        QVERIFY(!TestSupport::writeScript(tools.filePath("xdg-open"),
                                          "#!/bin/sh\necho \"$@\" > '" + QFile::encodeName(record) + "'\n" + xdgOpen)
                     .isEmpty());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()));
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
    TestSupport::MessageRecorder messages;

    Dlg dialog("/v/my clip.webm", QSize(), Player);
    dialog.show();
    QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::LocateFileButton), Qt::LeftButton);
    if (failure) {
        QTRY_COMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.messages.first().text, Dlg::locateFailedMessage("/v/my clip.webm"));
        QCOMPARE(messages.messages.first().icon, QMessageBox::Warning);
    } else {
        QTRY_VERIFY(QFile::exists(record));
        QTest::qWait(100);
        QVERIFY(messages.messages.isEmpty());
    }
    if (!xdgOpen.isEmpty()) {
        QFile arguments(record);
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(arguments.readAll(), QByteArray("/v\n"));
    }
    QCOMPARE(Dlg::locateFailedMessage("/v/my clip.webm"),
             QString("No File Manager could be opened to show:\n\n   /v/my clip.webm\n\nPlease check that a File "
                     "Manager is installed, thanks."));
}

void TestCompletionDialog::realDetachedStart()
{
    DesktopLauncher::setInstance(nullptr);
    QTemporaryDir dir;
    const QString record = dir.filePath("arguments.txt");
    const QString player = dir.filePath("player");
    QVERIFY(!TestSupport::writeScript(
                 player, QStringLiteral("#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; done > '%1.part'\nmv '%1.part' '%1'\n")
                             .arg(record)
                             .toUtf8())
                 .isEmpty());

    const QString output = dir.filePath("my 'clip' $HOME.webm");
    Dlg dialog(output, QSize(), player);
    dialog.show();
    QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::OpenWithPlayerButton), Qt::LeftButton);
    QTRY_VERIFY(QFile::exists(record));
    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), "-loop\n999\n-autoexit\n" + output + "\n");
}

void TestCompletionDialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("Close button") << "button";
    QTest::addRow("Escape") << "escape";
    QTest::addRow("close box") << "close";
}

void TestCompletionDialog::closing()
{
    QFETCH(QString, how);
    Dlg dialog("/v/clip.webm", QSize(), Player);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    if (how == "button")
        QTest::mouseClick(dialog.controlAs<QPushButton>(Dlg::CloseButton), Qt::LeftButton);
    else if (how == "escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), 2);
    QVERIFY(!dialog.isVisible());
    QVERIFY(m_launcher.urls.isEmpty() && m_launcher.started.isEmpty());
}

int main(int argc, char **argv)
{
    PrivateBus bus; // before the application, so its session bus is this one
    QApplication app(argc, argv);
    TestCompletionDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_completiondialog.moc"
