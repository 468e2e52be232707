#include "GuideTestSupport.h"
#include "TestSupport.h"

#include "dialogs/GuideWindow.h"
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace TestSupport;

// Help -> User Guide and Help -> Help Desk clicked with the mouse (real input through XTest, by
// xdotool) under Xvfb with openbox, run by tests/desktop/desktop-session.sh; screenshots of the open guide go to
// $VELMORA_GUIDE_SHOTS.
class TestGuideX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void helpMenuWithTheMouse_data();
    void helpMenuWithTheMouse();

private:
    static void click(const QPoint &globalPosition);
    static void shoot(const QString &name);
};

void TestGuideX11::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server: run through tests/desktop/desktop-session.sh");
}

void TestGuideX11::click(const QPoint &globalPosition)
{
    // Detached: the click opens a menu whose loop must keep running meanwhile.
    QProcess::startDetached(QStringLiteral("xdotool"),
                            {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(globalPosition.x()),
                             QString::number(globalPosition.y()), QStringLiteral("click"), QStringLiteral("1")});
}

void TestGuideX11::shoot(const QString &name)
{
    const QString folder = qEnvironmentVariable("VELMORA_GUIDE_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

void TestGuideX11::helpMenuWithTheMouse_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("shot");

    QTest::addRow("User Guide") << QStringLiteral("&User Guide") << QString() << QStringLiteral("help-user-guide");
    QTest::addRow("Help Desk") << QStringLiteral("&Help Desk") << QStringLiteral("troubleshooting") << QStringLiteral("help-desk");
}

void TestGuideX11::helpMenuWithTheMouse()
{
    QFETCH(QString, entry);
    QFETCH(QString, fragment);
    QFETCH(QString, shot);

    ConfigSandbox sandbox;
    MessageRecorder messages;
    RecordingLauncher launcher;
    InstalledGuide guide;
    MainWindow window;
    QVERIFY(window.initialize());
    window.move(30, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(500);   // the layout follows once the event loop runs

    // When the Help menu is up, click its entry.
    bool menuSeen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        for (QAction *action : menu->actions()) {
            if (action->text() == entry) {
                poll.stop();
                menuSeen = true;
                click(menu->mapToGlobal(menu->actionGeometry(action).center()));
                return;
            }
        }
    });
    poll.start(50);
    QWidget *help = window.control(MainWindow::HelpButton);
    click(help->mapToGlobal(help->rect().center()));

    QTRY_VERIFY_WITH_TIMEOUT(window.guideWindow() && window.guideWindow()->isVisible(), 15000);
    QVERIFY(menuSeen);
    GuideWindow *guideWindow = window.guideWindow();
    QVERIFY(QTest::qWaitForWindowExposed(guideWindow));
    QCOMPARE(guideWindow->currentPage().toLocalFile(), guide.indexFile());
    QCOMPARE(guideWindow->currentPage().fragment(), fragment);
    QCOMPARE(guideWindow->browser()->verticalScrollBar()->value() > 0, !fragment.isEmpty());
    // Beside the main window, not blocked by it: the guide takes the keyboard.
    QTRY_VERIFY(guideWindow->isActiveWindow());
    QVERIFY(messages.messages.isEmpty());
    QTest::qWait(600);
    shoot(shot);
}

QTEST_MAIN(TestGuideX11)
#include "tst_guide_x11.moc"
