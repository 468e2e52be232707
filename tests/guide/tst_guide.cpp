#include "GuideTestSupport.h"
#include "TestSupport.h"

#include "dialogs/GuideWindow.h"
#include "dialogs/UserGuide.h"
#include "mainwindow/FileDropFilter.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

using namespace TestSupport;

// The user guide shipped with the program: found where it is installed, opened at the section
// the Help menu's three commands name, its pictures and links working.
class TestGuide : public QObject
{
    Q_OBJECT

private slots:
    void indexFile_data();
    void indexFile();
    void helpCommandsOpenSections_data();
    void helpCommandsOpenSections();
    void everyPictureLoads();
    void links();
    void browserCannotOpen();
    void missingGuide();

private:
    std::unique_ptr<MainWindow> makeWindow();
};

std::unique_ptr<MainWindow> TestGuide::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    if (!window->initialize())
        return {};
    window->show();
    return window;
}

// The program's folder is <tmp>/usr/bin; each row puts a guide in some of the places looked in.
void TestGuide::indexFile_data()
{
    QTest::addColumn<QStringList>("guides");   // folders under <tmp> that hold an index.html
    QTest::addColumn<QString>("expected");     // the one found, empty for none

    const QString installed = QStringLiteral("usr/share/velmora/guide");
    const QString buildTree = QStringLiteral("usr/bin/guide");
    const QString data = QStringLiteral("data/velmora/guide");
    QTest::addRow("installed beside the program") << QStringList{installed} << installed;
    QTest::addRow("build folder") << QStringList{buildTree} << buildTree;
    QTest::addRow("data folders") << QStringList{data} << data;
    QTest::addRow("installed wins") << QStringList{data, buildTree, installed} << installed;
    QTest::addRow("build folder before data folders") << QStringList{data, buildTree} << buildTree;
    QTest::addRow("nowhere") << QStringList{} << QString();
}

void TestGuide::indexFile()
{
    QFETCH(QStringList, guides);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("usr/bin"));
    for (const QString &folder : guides) {
        QVERIFY(QDir(root.path()).mkpath(folder));
        QFile index(root.filePath(folder + "/index.html"));
        QVERIFY(index.open(QIODevice::WriteOnly));
    }
    qputenv("XDG_DATA_DIRS", root.filePath("data").toLocal8Bit());
    const QString programFolder = root.filePath("usr/bin");
    QCOMPARE(UserGuide::indexFile(programFolder), expected.isEmpty() ? QString() : root.filePath(expected + "/index.html"));
    if (expected.isEmpty()) {
        QCOMPARE(UserGuide::missingMessage(programFolder),
                 QStringLiteral("The User Guide could not be found. It is installed with Velmora, in:\n\n   %1\n\n"
                                "Please reinstall Velmora, thanks.")
                     .arg(root.filePath("usr/share/velmora/guide")));
    }
}

void TestGuide::helpCommandsOpenSections_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("fragment");

    QTest::addRow("User Guide: the contents") << int(MainMenus::Command::UserGuide) << QString();
    QTest::addRow("Training Videos: the walkthrough") << int(MainMenus::Command::TrainingVideos) << QStringLiteral("walkthrough");
    QTest::addRow("Help Desk: troubleshooting") << int(MainMenus::Command::HelpDesk) << QStringLiteral("troubleshooting");
}

void TestGuide::helpCommandsOpenSections()
{
    QFETCH(int, command);
    QFETCH(QString, fragment);

    ConfigSandbox sandbox;
    MessageRecorder messages;
    RecordingLauncher launcher;
    InstalledGuide guide;
    auto window = makeWindow();
    QVERIFY(window);

    // From the other end of the guide first, so the section's own scrolling shows.
    window->openUserGuide(fragment == QLatin1String("troubleshooting") ? UserGuide::Section::Contents
                                                                       : UserGuide::Section::Troubleshooting);
    GuideWindow *shown = window->guideWindow();
    QVERIFY(shown);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const int before = shown->browser()->verticalScrollBar()->value();

    window->menus()->action(MainMenus::Command(command))->trigger();
    QCOMPARE(window->guideWindow(), shown);   // the same window, brought up again
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->currentPage().toLocalFile(), guide.indexFile());
    QCOMPARE(shown->currentPage().fragment(), fragment);
    const int scrolled = shown->browser()->verticalScrollBar()->value();
    if (fragment.isEmpty())
        QCOMPARE(scrolled, 0);
    else
        QVERIFY2(scrolled > 0 && scrolled != before, qPrintable(QString::number(scrolled)));
    QVERIFY(!window->menuOpen());
    QVERIFY(messages.messages.isEmpty());
    QVERIFY(launcher.urls.isEmpty());   // nothing goes out to the web

    // Escape closes the guide; F1 in the main window opens a new one at its contents.
    QTest::keyClick(shown->browser(), Qt::Key_Escape);
    QTRY_VERIFY(!window->guideWindow());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QVERIFY(window->guideWindow() && window->guideWindow()->isVisible());
    QCOMPARE(window->guideWindow()->currentPage().fragment(), QString());
}

void TestGuide::everyPictureLoads()
{
    InstalledGuide guide;
    GuideWindow window;
    window.showPage(QUrl::fromLocalFile(guide.indexFile()));
    QTextDocument *document = window.browser()->document();
    int pictures = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            const QVariant image = window.browser()->loadResource(QTextDocument::ImageResource, QUrl(name));
            QVERIFY2(image.isValid() && !image.value<QByteArray>().isEmpty(), qPrintable(name));
            ++pictures;
        }
    }
    QVERIFY2(pictures >= 8, qPrintable(QString::number(pictures)));
    QVERIFY(document->toPlainText().contains("Can't initialize the s1 path from"));
}

void TestGuide::links()
{
    RecordingLauncher launcher;
    InstalledGuide guide;
    GuideWindow window;
    const QUrl index = QUrl::fromLocalFile(guide.indexFile());
    window.showPage(index);

    // A section of the guide opens in the window, and Back returns.
    emit window.browser()->anchorClicked(QUrl("#options"));
    QCOMPARE(window.currentPage().fragment(), QStringLiteral("options"));
    QVERIFY(window.browser()->isBackwardAvailable());
    window.browser()->backward();
    QCOMPARE(window.currentPage(), index);

    // The web goes to the desktop's browser, and so does the guide itself on request.
    emit window.browser()->anchorClicked(QUrl("https://velmora.app/"));
    QCOMPARE(launcher.urls, QList<QUrl>{QUrl("https://velmora.app/")});
    QCOMPARE(window.currentPage(), index);
    auto *inBrowser = window.findChild<QPushButton *>();
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->accessibleName() == QLatin1String("Open in Web Browser"))
            inBrowser = button;
    }
    inBrowser->click();
    QCOMPARE(launcher.urls.last(), index);
}

void TestGuide::browserCannotOpen()
{
    // The desktop has no browser: xdg-open says so by its exit status, and the user reads it.
    QTemporaryDir tools;
    QVERIFY(!writeScript(tools.filePath("xdg-open"), "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n")
                 .isEmpty());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()));
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
    MessageRecorder messages;
    InstalledGuide guide;
    GuideWindow window;
    const QUrl index = QUrl::fromLocalFile(guide.indexFile());
    window.showPage(index);
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->accessibleName() == QLatin1String("Open in Web Browser"))
            button->click();
    }
    QTRY_COMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().text, GuideWindow::browserFailedMessage(index));
    QCOMPARE(messages.messages.first().owner, &window);
    QCOMPARE(GuideWindow::browserFailedMessage(index),
             "No Web Browser could be opened to show:\n\n   " + guide.indexFile()
                 + "\n\nPlease check that a Web Browser is installed, thanks.");

    // A web address in the guide meets the same end.
    emit window.browser()->anchorClicked(QUrl("https://velmora.app/"));
    QTRY_COMPARE(messages.messages.size(), 2);
    QVERIFY(messages.messages.last().text.contains("\n   https://velmora.app/\n"));
}

void TestGuide::missingGuide()
{
    ConfigSandbox sandbox;
    MessageRecorder messages;
    QTemporaryDir empty;
    qputenv("XDG_DATA_DIRS", empty.path().toLocal8Bit());
    auto window = makeWindow();
    QVERIFY(window);
    window->menus()->action(MainMenus::Command::HelpDesk)->trigger();
    QVERIFY(!window->guideWindow());
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().text, UserGuide::missingMessage(QCoreApplication::applicationDirPath()));
    QCOMPARE(messages.messages.first().owner, window.get());
    QVERIFY(window->dropTarget()->isAttached());
}

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
