#include "DesktopSupport.h"
#include "MainWindowFixture.h"

#include "dialogs/ActualSizeViewer.h"
#include "dialogs/CaptionDialog.h"
#include "dialogs/CompletionDialog.h"
#include "dialogs/GuideWindow.h"
#include "dialogs/WindowPlacement.h"
#include "mainwindow/MainWindow.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace TestSupport;

namespace {

// Keeps what the completion dialog would start, to start it here as a child of the test.
class PlayerLauncher : public QuietLauncher
{
public:
    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        started = QStringList{program} + arguments;
        return true;
    }
    QStringList started;
};

// The X server's work area: the screen less what panels reserve (_NET_WORKAREA of openbox).
QRect workAreaOf(QWidget *window)
{
    return window->screen()->availableGeometry();
}

// True when a frame of that width fits whole on one side of the owner within the work area.
bool roomBeside(const QRect &owner, int width, const QRect &workArea)
{
    return owner.left() - workArea.left() >= width || workArea.right() - owner.right() >= width;
}

// A picture of the whole screen in VELMORA_WINDOW_SHOTS, named after the screen and `name`.
void shootScreen(const QString &name)
{
    const QString folder = qEnvironmentVariable("VELMORA_WINDOW_SHOTS");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    const QString file = QStringLiteral("%1/%2-%3.png").arg(folder, qEnvironmentVariable("VELMORA_DESKTOP_SIZE"), name);
    QProcess::execute(QStringLiteral("import"), {"-window", "root", file});
}

QString describe(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

} // namespace

// Where windows open and how big, measured as the window manager frames them, on the screen size
// the test runs on (see velmora_add_desktop_test's SCREENS).
class TestDesktopWindows : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void viewerFitsWorkArea();
    void playerFitsWorkArea();
    void besideMainWindow_data();
    void besideMainWindow();

private:
    std::unique_ptr<MainWindow> makeSettledWindow(const QPoint &where);
    // Opens the window of `kind` beside the main window, measures its frame and closes it.
    Desktop::ServerWindow openBeside(MainWindow *window, const QString &kind);
};

std::unique_ptr<MainWindow> TestDesktopWindows::makeSettledWindow(const QPoint &where)
{
    auto window = makeWindow();
    if (!window || !Desktop::waitForSettledWindow(window.get()).viewable)
        return {};
    window->move(where);
    QDeadlineTimer deadline(5000);
    while (Desktop::serverWindow(window->winId()).frameRect().topLeft() != where && !deadline.hasExpired())
        QTest::qWait(20);
    // Qt hears of the window manager's placement a moment later.
    const QRect client = Desktop::waitForSettledWindow(window->winId()).client;
    while (window->geometry() != client && !deadline.hasExpired())
        QTest::qWait(10);
    return window;
}

void TestDesktopWindows::viewerFitsWorkArea()
{
    // The prepared picture of the largest video size.
    const QString picture = m_out.filePath(QStringLiteral("full-hd.png"));
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(qRgb(0, 160, 0));
    QVERIFY(image.save(picture));
    auto window = makeSettledWindow(QPoint(100, 40));
    QVERIFY(window);

    ActualSizeViewer viewer(picture, window.get());
    QVERIFY(viewer.initialize());
    viewer.show();
    const Desktop::ServerWindow server = Desktop::waitForSettledWindow(&viewer);
    QVERIFY(server.viewable && server.framed);
    const QRect workArea = workAreaOf(window.get());
    const QRect frame = server.frameRect();
    QVERIFY2(workArea.contains(frame), qPrintable(describe(frame) + " in " + describe(workArea)));
    // Scaled no more than it must: one side fills the work area; the picture's shape is kept.
    QVERIFY2(frame.width() == workArea.width() || frame.height() == workArea.height(), qPrintable(describe(frame)));
    QVERIFY(qAbs(server.client.width() * 1080 - server.client.height() * 1920) <= 1920);
    QCOMPARE(viewer.windowTitle(),
             ActualSizeViewer::titleFor(100 * server.client.width() / 1920));
    QVERIFY(viewer.windowTitle().contains(QLatin1String("Scaled to")));
    shootScreen(QStringLiteral("viewer"));
}

void TestDesktopWindows::playerFitsWorkArea()
{
    const QString video = m_out.filePath(QStringLiteral("full-hd.webm"));
    QCOMPARE(QProcess::execute(QStringLiteral(VELMORA_TEST_FFMPEG),
                               {"-v", "error", "-f", "lavfi", "-i", "color=c=blue:s=1920x1080:r=2:d=2", "-c:v",
                                "libvpx", "-y", video}),
             0);
    auto window = makeSettledWindow(QPoint(60, 60));
    QVERIFY(window);
    PlayerLauncher launcher;
    DesktopLauncher::setInstance(&launcher);
    const auto restore = qScopeGuard([this] { DesktopLauncher::setInstance(&m_launcher); });

    CompletionDialog dialog(video, QSize(1920, 1080), QStringLiteral(VELMORA_TEST_FFPLAY), window.get());
    dialog.show();
    QVERIFY(Desktop::waitForSettledWindow(&dialog).viewable);
    auto *play = dialog.controlAs<QPushButton>(CompletionDialog::OpenWithPlayerButton);
    QVERIFY(Desktop::click(play->mapToGlobal(play->rect().center())));
    QTRY_VERIFY(!launcher.started.isEmpty());

    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(launcher.started.first(), launcher.started.mid(1) << "-an");
    QVERIFY(player.waitForStarted(5000));
    const auto stop = qScopeGuard([&player] {
        player.kill();
        player.waitForFinished(5000);
    });
    // The player's window, by the process it belongs to.
    WId playerWindow = 0;
    QDeadlineTimer deadline(15000);
    while (!playerWindow && !deadline.hasExpired()) {
        QString found;
        Desktop::xdotool({"search", "--onlyvisible", "--pid", QString::number(player.processId())}, &found);
        playerWindow = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0).toULongLong();
        if (!playerWindow)
            QTest::qWait(50);
    }
    QVERIFY(playerWindow);
    const Desktop::ServerWindow server = Desktop::waitForSettledWindow(playerWindow);
    QVERIFY(server.viewable && server.framed);
    const QRect workArea = workAreaOf(&dialog);
    const QRect frame = server.frameRect();
    QVERIFY2(workArea.contains(frame), qPrintable(describe(frame) + " in " + describe(workArea)));
    QVERIFY(qAbs(server.client.width() * 1080 - server.client.height() * 1920) <= 1920);
    qInfo("player: %s in %s", qPrintable(describe(frame)), qPrintable(describe(workArea)));
    shootScreen(QStringLiteral("player"));
}

void TestDesktopWindows::besideMainWindow_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("atLeftEdge");
    for (const char *kind : {"caption", "open", "guide"}) {
        QTest::addRow("%s, window centered", kind) << QString::fromLatin1(kind) << false;
        QTest::addRow("%s, window at the left edge", kind) << QString::fromLatin1(kind) << true;
    }
}

void TestDesktopWindows::besideMainWindow()
{
    QFETCH(QString, kind);
    QFETCH(bool, atLeftEdge);
    auto probe = makeWindow();
    QVERIFY(probe);
    const QRect workArea = workAreaOf(probe.get());
    const QSize size = Desktop::waitForSettledWindow(probe.get()).frameRect().size();
    probe.reset();
    QRect place(QPoint(), size);
    place.moveCenter(workArea.center());
    if (atLeftEdge)
        place.moveLeft(workArea.left());
    auto window = makeSettledWindow(place.topLeft());
    QVERIFY(window);

    const Desktop::ServerWindow opened = openBeside(window.get(), kind);
    QVERIFY(opened.viewable && opened.framed);
    const QRect owner = Desktop::serverWindow(window->winId()).frameRect();
    const QRect frame = opened.frameRect();
    const QString where = describe(frame) + " beside " + describe(owner) + " in " + describe(workArea);
    QVERIFY2(workArea.contains(frame), qPrintable(where));
    QCOMPARE(frame.topLeft(), WindowPlacement::besideOwner(frame.size(), owner, workArea));
    if (roomBeside(owner, frame.width(), workArea))
        QVERIFY2(!frame.intersects(owner), qPrintable(where));
    else
        QVERIFY2(frame.left() == workArea.left() || frame.right() == workArea.right(), qPrintable(where));
    qInfo("%s: %s", qPrintable(kind), qPrintable(where));
}

Desktop::ServerWindow TestDesktopWindows::openBeside(MainWindow *window, const QString &kind)
{
    Desktop::ServerWindow measured;
    if (kind == QLatin1String("guide")) {
        auto *guide = new GuideWindow(window);
        guide->showPage(QUrl::fromLocalFile(QStringLiteral(VELMORA_TEST_SOURCE_DIR "/../doc/guide/index.html")));
        measured = Desktop::waitForSettledWindow(guide);
        shootScreen(QStringLiteral("guide-%1").arg(QTest::currentDataTag()).replace(' ', '_'));
        guide->close();
        return measured;
    }
    QTimer::singleShot(0, this, [&] {
        QWidget *dialog = kind == QLatin1String("open") ? static_cast<QWidget *>(window->openFileDialog())
                                                        : window->findChild<CaptionDialog *>();
        if (!dialog)
            return;
        measured = Desktop::waitForSettledWindow(dialog);
        shootScreen(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        qobject_cast<QDialog *>(dialog)->reject();
    });
    if (kind == QLatin1String("open"))
        window->browseForFile(FileKind::Picture);
    else
        runCaptionDialog(window);
    return measured;
}

QTEST_MAIN(TestDesktopWindows)
#include "tst_desktop_windows.moc"
