#include "DesktopSupport.h"
#include "FileHelpers.h"
#include "TestSupport.h"

#include "app/Application.h"
#include "app/StartupFiles.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace TestSupport;

// The real start-up on a real desktop: openbox places the main window, and the message about the
// command line's files must stand over it wherever that is.
class TestDesktopStartup : public QObject
{
    Q_OBJECT

private slots:
    void notOpenedMessageOverWindow_data();
    void notOpenedMessageOverWindow();
};

void TestDesktopStartup::notOpenedMessageOverWindow_data()
{
    // The message once raced the window manager's placement of the window: several starts.
    QTest::addColumn<int>("start");
    for (int start = 1; start <= 8; ++start)
        QTest::addRow("start %d", start) << start;
}

void TestDesktopStartup::notOpenedMessageOverWindow()
{
    ConfigSandbox sandbox;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath("notes.txt"), "lyrics\n");
    const StartupFiles files = StartupFiles::fromArguments({dir.filePath("notes.txt")});
    QCOMPARE(files.notOpened.size(), 1);

    Desktop::ServerWindow window, box;
    QString boxText;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!message || !message->isVisible())
            return;
        poll.stop();
        auto *main = qobject_cast<QDialog *>(message->parentWidget() ? message->parentWidget()->window() : nullptr);
        boxText = message->text();
        box = Desktop::waitForSettledWindow(message);
        if (main)
            window = Desktop::waitForSettledWindow(main);
        message->done(QMessageBox::Ok);
        if (main)
            main->done(0);
    });
    poll.start(20);
    QCOMPARE(Application().run(files), 0);

    QCOMPARE(boxText, files.notOpenedMessage());
    QVERIFY(box.viewable);
    QVERIFY(window.viewable);
    const QRect windowFrame = window.frameRect();
    const QRect boxFrame = box.frameRect();
    QVERIFY2(windowFrame.contains(boxFrame.center()),
             qPrintable(QStringLiteral("box %1,%2 %3x%4 beside window %5,%6 %7x%8")
                            .arg(boxFrame.x()).arg(boxFrame.y()).arg(boxFrame.width()).arg(boxFrame.height())
                            .arg(windowFrame.x()).arg(windowFrame.y()).arg(windowFrame.width()).arg(windowFrame.height())));
    // Centred over the window (the frame's decoration aside).
    QVERIFY2((boxFrame.center() - windowFrame.center()).manhattanLength() < 80,
             qPrintable(QStringLiteral("box centre %1,%2, window centre %3,%4")
                            .arg(boxFrame.center().x()).arg(boxFrame.center().y())
                            .arg(windowFrame.center().x()).arg(windowFrame.center().y())));
}

QTEST_MAIN(TestDesktopStartup)
#include "tst_desktop_startup.moc"
