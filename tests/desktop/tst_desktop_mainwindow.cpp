#include "DesktopSupport.h"
#include "base/AppSettings.h"
#include "MainWindowFixture.h"

#include "dialogs/CaptionDialog.h"
#include "dialogs/WindowPlacement.h"
#include "dialogs/CaptionDialogRules.h"
#include "dialogs/UserGuide.h"
#include "widgets/FontComboBox.h"
#include "widgets/DialogTemplate.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindow.h"
#include "media/AudioPreview.h"
#include "model/PicturePreparation.h"
#include "widgets/PictureBox.h"
#include "widgets/SkinButton.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace TestSupport;

namespace {

// Calls `handle` once with the first pop-up menu that shows while it lives; a menu's own event
// loop runs under the code that opened it, so the test looks at it from a timer.
class PopupWatcher : public QObject
{
public:
    explicit PopupWatcher(std::function<void(QMenu *)> handle)
        : m_handle(std::move(handle))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible() || !QTest::qWaitForWindowExposed(menu))
                return;
            m_timer.stop();
            seen = true;
            m_handle(menu);
        });
        m_timer.start(20);
    }
    bool seen = false;

private:
    QTimer m_timer;
    std::function<void(QMenu *)> m_handle;
};

QPoint globalCentre(QWidget *widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

} // namespace

// The main window on a real desktop: openbox frames and places it, input comes from XTest and
// files from a real XDND drag.
class TestDesktopMainWindow : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void positionMatchesServer();
    void rightClick_data();
    void rightClick();
    void focusReturnsToBody_data();
    void focusReturnsToBody();
    void dropWhileCaptionDialogRuns();
    void captionDialogPlacement();
    void fontListHeight();
    void openFileDialogBesideWindow();
    void digitsInTextFields();
    void sizeMenuKeys_data();
    void sizeMenuKeys();

private:
    std::unique_ptr<MainWindow> makeSettledWindow();
    void previewFollowsKeys(MainWindow *window, QFileDialog *dialog);
};

std::unique_ptr<MainWindow> TestDesktopMainWindow::makeSettledWindow()
{
    auto window = makeWindow();
    if (!window)
        return {};
    const Desktop::ServerWindow server = Desktop::waitForSettledWindow(window.get());
    if (!server.viewable)
        return {};
    // Qt hears of the window manager's placement through events of its own, a moment later.
    QDeadlineTimer deadline(5000);
    while (window->geometry() != server.client && !deadline.hasExpired())
        QTest::qWait(10);
    return window;
}

void TestDesktopMainWindow::positionMatchesServer()
{
    // The window manager's reply races the window's own idea of its place: try several starts.
    for (int start = 0; start < 4; ++start) {
        auto window = makeSettledWindow();
        QVERIFY(window);
        const Desktop::ServerWindow server = Desktop::serverWindow(window->winId());
        QCOMPARE(window->geometry(), server.client);
        QCOMPARE(window->mapToGlobal(QPoint(0, 0)), server.client.topLeft());
    }
}

void TestDesktopMainWindow::rightClick_data()
{
    QTest::addColumn<int>("control");   // 0: the body, beside the controls
    QTest::addColumn<QString>("menu");  // the first entry of the menu that opens, "" for none

    QTest::addRow("play") << int(MainWindow::PlayButton) << "&Restart Playback";
    QTest::addRow("body") << 0 << "Target Video Size";
    QTest::addRow("picture") << int(MainWindow::PicturePreview) << "Target Video Size";
    QTest::addRow("step 1 marker") << int(MainWindow::Step1Pending) << "";
    QTest::addRow("options") << int(MainWindow::OptionsButton) << "";
}

void TestDesktopMainWindow::rightClick()
{
    QFETCH(int, control);
    QFETCH(QString, menu);
    auto window = makeSettledWindow();
    QVERIFY(window);
    window->setAudioFile(m_song);
    QWidget *target = control ? window->control(control) : nullptr;
    const QPoint at = target ? globalCentre(target) : window->mapToGlobal(QPoint(window->width() / 2, 8));

    QString first;
    QSignalSpy restarted(window->menus()->action(MainMenus::Command::RestartPlayback), &QAction::triggered);
    PopupWatcher watcher([&](QMenu *shown) {
        first = shown->actions().value(0) ? shown->actions().first()->text() : QString();
        if (first == QLatin1String("&Restart Playback"))
            // The entry is reachable: a real click on it.
            Desktop::click(shown->mapToGlobal(shown->actionGeometry(shown->actions().first()).center()));
        else
            Desktop::pressKeys({"Escape"});
    });
    QVERIFY(Desktop::click(at, 3));
    QTest::qWait(300);
    if (menu.isEmpty()) {
        QVERIFY2(!watcher.seen, qPrintable(first));
        return;
    }
    QTRY_VERIFY(watcher.seen);
    QCOMPARE(first, menu);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    if (control == MainWindow::PlayButton)
        QCOMPARE(restarted.count(), 1);
}

void TestDesktopMainWindow::focusReturnsToBody_data()
{
    QTest::addColumn<int>("control");
    QTest::addRow("options") << int(MainWindow::OptionsButton);
    QTest::addRow("step 1 marker") << int(MainWindow::Step1Pending);
    QTest::addRow("save as") << int(MainWindow::SaveAsButton);
    QTest::addRow("minimize") << int(MainWindow::MinimizeButton);
}

void TestDesktopMainWindow::focusReturnsToBody()
{
    QFETCH(int, control);
    auto window = makeSettledWindow();
    QVERIFY(window);
    QTRY_VERIFY(window->isActiveWindow());
    auto *button = qobject_cast<SkinButton *>(window->control(control));
    QVERIFY(button);
    // A spot of the body a few pixels beside the control, where leaving it and the next move
    // come closest together, and the picture farther away.
    const QRect area = button->geometry();
    QPoint beside;
    for (QPoint p : {QPoint(area.left() - 3, area.center().y()), QPoint(area.right() + 3, area.center().y()),
                     QPoint(area.center().x(), area.top() - 3), QPoint(area.center().x(), area.bottom() + 3)})
        if (window->rect().contains(p) && !window->childAt(p)) {
            beside = window->mapToGlobal(p);
            break;
        }
    QVERIFY(!beside.isNull());

    for (const QPoint &body : {beside, globalCentre(window->pictureBox())}) {
        QVERIFY(Desktop::movePointer(globalCentre(button)));
        QTRY_VERIFY(button->hasFocus());
        QCOMPARE(button->currentFace(), SkinButton::Face::Focus);
        QVERIFY(Desktop::movePointer(body));
        QTRY_COMPARE(QApplication::focusWidget(), window.get());
        QCOMPARE(button->currentFace(), SkinButton::Face::Up);
    }
}

void TestDesktopMainWindow::dropWhileCaptionDialogRuns()
{
    auto window = makeSettledWindow();
    QVERIFY(window);
    Desktop::DragSource source({m_picture});
    QVERIFY(source.isReady());

    QString action;
    bool ran = false;
    bool holdsFocus = false;
    bool holdsMoves = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        if (!dialog || !Desktop::waitForSettledWindow(dialog).viewable)
            return;
        // A spot of the main window the dialog does not cover.
        const QRect covered = dialog->frameGeometry();
        QPoint target;
        for (QPoint p : {globalCentre(window->pictureBox()), window->mapToGlobal(QPoint(40, window->height() / 2)),
                         window->mapToGlobal(QPoint(window->width() - 40, window->height() / 2))})
            if (!covered.contains(p)) {
                target = p;
                break;
            }
        action = source.dragTo(target, [&] { return window->previewKind() == PreviewKind::Picture; });

        // Other input to the window waits for the dialog, as under a modal one: no focus on
        // hover, no move by dragging the body.
        QWidget *options = window->control(MainWindow::OptionsButton);
        QVERIFY(Desktop::movePointer(globalCentre(options)));
        QTest::qWait(200);
        holdsFocus = !options->hasFocus();
        const QRect before = Desktop::serverWindow(window->winId()).client;
        const QPoint body = window->mapToGlobal(QPoint(window->width() / 2, 8));
        Desktop::movePointer(body);
        Desktop::xdotool({"mousedown", "1"});
        Desktop::movePointer(body + QPoint(60, 40));
        Desktop::xdotool({"mouseup", "1"});
        QTest::qWait(200);
        holdsMoves = Desktop::serverWindow(window->winId()).client == before;
        ran = true;
        dialog->reject();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QVERIFY(ran);
    QCOMPARE(action, QStringLiteral("copy"));
    QCOMPARE(window->picture().sourcePath(), m_picture);
    QVERIFY(holdsFocus);
    QVERIFY(holdsMoves);
}

void TestDesktopMainWindow::captionDialogPlacement()
{
    auto window = makeSettledWindow();
    QVERIFY(window);
    // Moved by the window manager just before the dialog opens, before Qt has heard of the move
    // (as on a busy machine, where the event waits): the dialog still goes beside where the
    // window stands. Neither tool lets the event loop run.
    const QRect before = Desktop::serverWindow(window->winId()).client;
    const QString id = QString::number(window->winId());
    QCOMPARE(QProcess::execute("xdotool", {"windowmove", "--sync", id, QString::number(before.x() - 120),
                                           QString::number(before.y() + 90)}),
             0);
    QProcess frame;
    frame.start("xwininfo", {"-id", id});
    QVERIFY(frame.waitForFinished(5000));
    QVERIFY(frame.readAll().contains(QByteArray::number(before.x() - 120)));
    QVERIFY(window->geometry().topLeft() != before.topLeft() + QPoint(-120, 90));
    QList<Desktop::ServerWindow> opened;
    for (int i = 0; i < 3; ++i) {
        QTimer::singleShot(0, this, [&] {
            auto *dialog = window->findChild<CaptionDialog *>();
            if (dialog) {
                opened << Desktop::waitForSettledWindow(dialog);
                dialog->reject();
            }
        });
        QVERIFY(runCaptionDialog(window.get()));
    }
    QCOMPARE(opened.size(), 3);
    const QRect owner = Desktop::serverWindow(window->winId()).frameRect();
    QCOMPARE(owner.topLeft(), before.topLeft() + QPoint(-120, 90));
    // openbox decorates the dialog: its title bar is part of the frame the rule places.
    QVERIFY(opened.first().frame.top() > 0);
    const QRect first = opened.first().frameRect();
    QCOMPARE(first.topLeft(), WindowPlacement::besideOwner(first.size(), owner, window->screen()->availableGeometry()));
    // Reopened where it was closed: no creeping by the title bar.
    QCOMPARE(opened.at(1).frameRect(), first);
    QCOMPARE(opened.at(2).frameRect(), first);
    QCOMPARE(window->captionDialogPosition(), first.topLeft());
}

void TestDesktopMainWindow::fontListHeight()
{
    auto window = makeSettledWindow();
    QVERIFY(window);
    int listHeight = 0;
    int rows = 0;
    int popupHeight = 0;
    bool scrolls = false;
    bool below = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        if (!dialog || !Desktop::waitForSettledWindow(dialog).viewable)
            return;
        auto *fonts = dialogControlAs<FontComboBox>(dialog, CaptionDialog::FontCombo);
        listHeight = fonts->listHeight();
        rows = fonts->count();
        Desktop::click(globalCentre(fonts));
        QWidget *popup = fonts->view()->window();
        if (QTest::qWaitForWindowExposed(popup)) {
            const Desktop::ServerWindow server = Desktop::waitForSettledWindow(popup->winId());
            popupHeight = server.client.height();
            below = server.client.top() >= fonts->mapToGlobal(QPoint(0, fonts->height())).y() - 1;
            scrolls = fonts->view()->verticalScrollBar()->isVisible();
            Desktop::pressKeys({"Escape"});
            QTRY_VERIFY(!popup->isVisible());
        }
        dialog->reject();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QVERIFY(listHeight > 100);
    QVERIFY2(popupHeight > 0 && popupHeight <= listHeight, qPrintable(QString::number(popupHeight)));
    QVERIFY(below);
    // The image tool knows far more fonts than the list shows at once.
    QVERIFY(rows > 30);
    QVERIFY(scrolls);
}

void TestDesktopMainWindow::openFileDialogBesideWindow()
{
    auto window = makeSettledWindow();
    QVERIFY(window);
    // Room on the right of the window for the dialog.
    window->move(20, 120);
    QTRY_COMPARE(Desktop::serverWindow(window->winId()).client.topLeft(), QPoint(20, 120));
    QRect dialogFrame;
    QRect preview;
    bool keysDone = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        if (!dialog)
            return;
        const auto close = qScopeGuard([dialog] { dialog->reject(); });
        dialog->setDirectory(m_media.path());
        const Desktop::ServerWindow server = Desktop::waitForSettledWindow(dialog);
        dialogFrame = server.frameRect();
        preview = window->previewArea();
        previewFollowsKeys(window.get(), dialog);
        keysDone = !QTest::currentTestFailed();
    });
    window->browseForFile(FileKind::Picture);
    QVERIFY(keysDone);
    QVERIFY(dialogFrame.isValid());
    QVERIFY2(!dialogFrame.intersects(preview), qPrintable(QStringLiteral("%1 %2").arg(
        QString::number(dialogFrame.x()), QString::number(preview.right()))));
    // The screen has room right of the window: the dialog covers none of it.
    const QRect owner = Desktop::serverWindow(window->winId()).frameRect();
    QVERIFY2(!dialogFrame.intersects(owner), qPrintable(QStringLiteral("%1 %2").arg(
        QString::number(dialogFrame.x()), QString::number(owner.right()))));
    QVERIFY(window->screen()->availableGeometry().contains(dialogFrame));
}

void TestDesktopMainWindow::digitsInTextFields()
{
    auto window = makeSettledWindow();
    QVERIFY(window);
    QTRY_VERIFY(window->isActiveWindow());
    const int size = AppSettings::instance().targetSizeIndex();
    QVERIFY(size != 3);

    // In the path box the digits are typed like any other character.
    QLineEdit *edit = window->outputEdit();
    const QString path = edit->text();
    QVERIFY(path.endsWith(".webm"));
    QVERIFY(Desktop::click(globalCentre(edit)));
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QVERIFY(Desktop::pressKeys({"End", "BackSpace", "BackSpace", "BackSpace", "BackSpace", "m", "p", "4"}));
    QTRY_COMPARE(edit->text(), path.chopped(4) + "mp4");
    QCOMPARE(AppSettings::instance().targetSizeIndex(), size);

    // On a control, the same digit chooses its size.
    QWidget *options = window->control(MainWindow::OptionsButton);
    QVERIFY(Desktop::movePointer(globalCentre(options)));
    QTRY_VERIFY(options->hasFocus());
    QVERIFY(Desktop::pressKeys({"4"}));
    QTRY_COMPARE(AppSettings::instance().targetSizeIndex(), 3);
    QCOMPARE(edit->text(), path.chopped(4) + "mp4");

    // In the caption dialog's text the digits are text too, and F1 still opens the guide.
    QString typed;
    int sizeWhileTyping = -1;
    bool guideAsked = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        if (!dialog || !Desktop::waitForSettledWindow(dialog).viewable)
            return;
        const auto close = qScopeGuard([dialog] { dialog->reject(); });
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        QVERIFY(text);
        QVERIFY(Desktop::click(globalCentre(text)));
        QTRY_VERIFY(text->hasFocus());
        QVERIFY(Desktop::pressKeys({"End", "1", "2"}));
        QTRY_VERIFY(text->toPlainText().endsWith("12"));
        typed = text->toPlainText();
        sizeWhileTyping = AppSettings::instance().targetSizeIndex();
        QVERIFY(Desktop::pressKeys({"F1"}));
        const QString missing = UserGuide::missingMessage(QCoreApplication::applicationDirPath());
        QTRY_VERIFY(window->guideWindow()
                    || std::any_of(m_messages->messages.cbegin(), m_messages->messages.cend(),
                                   [&](const RecordedMessage &m) { return m.text == missing; }));
        guideAsked = true;
    });
    QVERIFY(runCaptionDialog(window.get()));
    QVERIFY(typed.endsWith("12"));
    QCOMPARE(sizeWhileTyping, 3);
    QVERIFY(guideAsked);
}

void TestDesktopMainWindow::sizeMenuKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("size");
    QTest::addRow("1: 1280x720") << "1" << 0;
    QTest::addRow("4: 426x240") << "4" << 3;
    QTest::addRow("5: 1920x1080") << "5" << 4;
}

void TestDesktopMainWindow::sizeMenuKeys()
{
    QFETCH(QString, key);
    QFETCH(int, size);
    auto window = makeSettledWindow();
    QVERIFY(window);
    QVERIFY(AppSettings::instance().targetSizeIndex() != size);
    // In the size menu, the key that chooses a size on the window chooses the same entry.
    bool sent = false;
    PopupWatcher watcher([&](QMenu *shown) {
        QVERIFY(Desktop::pressKeys({"Down", "Right"}));
        QTRY_VERIFY(QApplication::activePopupWidget() && QApplication::activePopupWidget() != shown);
        QVERIFY(QTest::qWaitForWindowExposed(QApplication::activePopupWidget()));
        sent = Desktop::pressKeys({key});
    });
    QVERIFY(Desktop::click(window->mapToGlobal(QPoint(window->width() / 2, 8)), 3));
    QTRY_VERIFY(watcher.seen);
    QTRY_VERIFY(sent);
    QTRY_COMPARE(AppSettings::instance().targetSizeIndex(), size);
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

// Real keys in the open dialog of the media folder (fake.jpg, photo one.jpg, portrait.png): the
// picture box shows what the keyboard selects, as it does for the mouse.
void TestDesktopMainWindow::previewFollowsKeys(MainWindow *window, QFileDialog *dialog)
{
    const QSize own = window->pictureBox()->pictureSize();
    const QSize photo(800, 600);
    const QSize portrait(300, 600);
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name && name->completer());
    QTRY_VERIFY(dialog->isActiveWindow());
    QTRY_COMPARE(QApplication::focusWidget(), name);

    // The name box: a partial name selects nothing; a completion chosen with the arrow keys
    // previews its file, and going back to the partial name ends the preview.
    QVERIFY(Desktop::pressKeys({"p", "o", "r", "t"}));
    QWidget *completions = name->completer()->popup();
    QTRY_VERIFY(completions->isVisible());
    QCOMPARE(window->previewKind(), PreviewKind::Nothing);
    QVERIFY(Desktop::pressKeys({"Down"}));
    QTRY_COMPARE(window->pictureBox()->pictureSize(), portrait);
    QVERIFY(Desktop::pressKeys({"Down"}));
    QTRY_COMPARE(window->pictureBox()->pictureSize(), own);
    QVERIFY(Desktop::pressKeys({"Escape"}));
    QTRY_VERIFY(!completions->isVisible());

    // The file list: arrow keys and type-ahead.
    QAbstractItemView *files = nullptr;
    for (const char *view : {"treeView", "listView"}) {
        auto *candidate = dialog->findChild<QAbstractItemView *>(QLatin1String(view));
        if (candidate && candidate->isVisible())
            files = candidate;
    }
    QVERIFY(files);
    auto *model = qobject_cast<QFileSystemModel *>(files->model());
    QVERIFY(model);
    QTRY_VERIFY(files->visualRect(model->index(m_notPicture)).isValid());
    QVERIFY(Desktop::click(files->viewport()->mapToGlobal(files->visualRect(model->index(m_notPicture)).center())));
    QTRY_COMPARE(QApplication::focusWidget(), files);
    QCOMPARE(window->pictureBox()->pictureSize(), own);

    const struct {
        QStringList keys;
        QSize shown;
    } steps[] = {
        {{"Down"}, photo},
        {{"Down"}, portrait},
        {{"Home"}, own},   // not a picture: the preview ends
        {{"p", "o"}, portrait},
    };
    for (const auto &step : steps) {
        QVERIFY(Desktop::pressKeys(step.keys));
        QTRY_COMPARE(window->pictureBox()->pictureSize(), step.shown);
    }
}

QTEST_MAIN(TestDesktopMainWindow)
#include "tst_desktop_mainwindow.moc"
