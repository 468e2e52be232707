#include "MainWindowFixture.h"

#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/TargetSizeTable.h"
#include "dialogs/OpenFileDialog.h"
#include "mainwindow/FileDropFilter.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindow.h"
#include "media/AudioPreview.h"
#include "media/FileClassification.h"
#include "model/PicturePreparation.h"
#include "widgets/PictureBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace TestSupport;

// How the main window takes input: drops, the open-file dialog, keys, menus and the mouse on its
// frame.
class TestMainWindowInput : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void dragAndDrop_data();
    void dragAndDrop();
    void audioDragWithAutoPlay();
    void songChosenWithoutPreview();
    void openFileDialog();
    void openFileDialogAutoPlayIsItsOwn_data();
    void openFileDialogAutoPlayIsItsOwn();
    void keys();
    void menuJustClosedSwallowsOneClick();
    void sameSizeWritesNothing();
    void widerWindow();
    void menus();
    void dropsPausedWhileModal();
    void mouseMovesAndResizes();
    void titleBandMaximizesAndRestores();
    void focusFollowsMouse();
};

void TestMainWindowInput::dragAndDrop_data()
{
    QTest::addColumn<QString>("file");        // picture, upper, fake, unknown, three
    QTest::addColumn<bool>("previewShows");   // drag enter shows a picture (not the placeholder)
    QTest::addColumn<bool>("placeholder");
    QTest::addColumn<bool>("dropSets");

    QTest::addRow("picture") << "picture" << true << false << true;
    QTest::addRow("PHOTO.JPG") << "upper" << true << false << true;
    QTest::addRow("text named .jpg") << "fake" << false << true << false;
    QTest::addRow("unknown extension") << "unknown" << false << true << false;
    QTest::addRow("three files, first unnamed") << "three" << true << false << true;
}

void TestMainWindowInput::dragAndDrop()
{
    QFETCH(QString, file);
    QFETCH(bool, previewShows);
    QFETCH(bool, placeholder);
    QFETCH(bool, dropSets);

    QTemporaryDir scratch;
    QStringList paths;
    QString expected;
    if (file == "picture" || file == "three") {
        expected = m_portrait;
        paths = file == "three" ? QStringList{QString(), m_portrait, m_picture} : QStringList{m_portrait};
    } else if (file == "upper") {
        expected = scratch.filePath("PHOTO.JPG");
        QVERIFY(QFile::copy(m_picture, expected));
        paths = {expected};
    } else if (file == "fake") {
        paths = {m_notPicture};
    } else {
        const QString other = scratch.filePath("notes.txt");
        QFile f(other);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("hello");
        f.close();
        paths = {other};
    }

    auto window = makeWindow();
    QVERIFY(window);
    // Start from a set picture, so leaving and failed drops must bring it back.
    dropFile(window.get(), m_picture);
    const QString before = window->picture().currentPicturePath();

    sendDrag(window.get(), paths, QEvent::DragEnter);
    QCOMPARE(window->pictureBox()->isPlaceholder(), placeholder);
    if (previewShows)
        QCOMPARE(window->previewKind(), PreviewKind::Picture);
    sendDrag(window.get(), paths, QEvent::DragLeave);
    QVERIFY(!window->pictureBox()->isPlaceholder());
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(640, 360));
    QCOMPARE(window->picture().sourcePath(), m_picture);

    sendDrag(window.get(), paths, QEvent::DragEnter);
    sendDrag(window.get(), paths, QEvent::Drop);
    QVERIFY(!window->pictureBox()->isPlaceholder());
    QCOMPARE(window->picture().sourcePath(), dropSets ? expected : m_picture);
    if (!dropSets)
        QCOMPARE(window->picture().currentPicturePath(), before);

    // A revoked target takes nothing.
    window->dropTarget()->detach();
    sendDrag(window.get(), {m_portrait}, QEvent::DragEnter);
    sendDrag(window.get(), {m_portrait}, QEvent::Drop);
    QCOMPARE(window->picture().sourcePath(), dropSets ? expected : m_picture);
}

void TestMainWindowInput::audioDragWithAutoPlay()
{
    AppSettings::instance().set(Settings::AutoPlayOnOpen, true);
    auto window = makeWindow();
    QVERIFY(window);
    AppSettings::instance().set(Settings::AutoPlayOnOpen, true);
    dropFile(window.get(), m_song);                 // plays while dragged, taken on drop
    QCOMPARE(window->audioPath(), m_song);
    QVERIFY(window->playing());
    QVERIFY(window->control(MainWindow::PauseButton)->isVisible());

    sendDrag(window.get(), {m_flac}, QEvent::DragEnter);
    QTRY_COMPARE(window->audioPreview().path(), m_flac);
    QCOMPARE(window->previewKind(), PreviewKind::Audio);
    sendDrag(window.get(), {m_flac}, QEvent::DragLeave);
    // The window's own file is loaded again, stopped at its start.
    QCOMPARE(window->audioPreview().path(), m_song);
    QVERIFY(window->control(MainWindow::PlayButton)->isVisible());
    QCOMPARE(window->audioPath(), m_song);

    // With auto-play off, dragging plays nothing and dropping sets the file, stopped.
    AppSettings::instance().set(Settings::AutoPlayOnOpen, false);
    sendDrag(window.get(), {m_flac}, QEvent::DragEnter);
    QCOMPARE(window->audioPreview().path(), m_song);
    sendDrag(window.get(), {m_flac}, QEvent::Drop);
    QCOMPARE(window->audioPath(), m_flac);
    QCOMPARE(window->audioPreview().path(), m_flac);
    QVERIFY(window->control(MainWindow::PlayButton)->isVisible());

    // Clearing the audio disables play, pause and Create.
    window->clearAudio();
    QVERIFY(window->audioPath().isEmpty());
    QVERIFY(!window->control(MainWindow::CreateButton)->isEnabled());
}

void TestMainWindowInput::songChosenWithoutPreview()
{
    AppSettings::instance().set(Settings::AutoPlayOnOpen, true);
    auto window = makeWindow();
    QVERIFY(window);
    AppSettings::instance().set(Settings::AutoPlayOnOpen, true);
    // An earlier selection still plays when another name is typed and opened.
    window->previewFile(classifyFile(m_song));
    QVERIFY(window->playing());
    window->openFile(m_flac);
    QTRY_COMPARE(window->audioPath(), m_flac);
    QCOMPARE(window->audioPreview().path(), m_flac);
    QVERIFY(window->control(MainWindow::PlayButton)->isVisible());

    // The song previewed is the one chosen: it plays on.
    window->previewFile(classifyFile(m_song));
    window->openFile(m_song);
    QTRY_COMPARE(window->audioPath(), m_song);
    QCOMPARE(window->audioPreview().path(), m_song);
    QVERIFY(window->playing());
}

void TestMainWindowInput::openFileDialog()
{
    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_picture);

    // Selecting previews; cancel brings the window's picture back.
    bool sawPreview = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Picture File..."));
        emit dialog->currentChanged(m_portrait);
        sawPreview = window->previewKind() == PreviewKind::Picture && window->pictureBox()->pictureSize() == QSize(300, 600);
        dialog->reject();
    });
    QCOMPARE(window->browseForFile(FileKind::Picture), FileKind::None);
    QVERIFY(sawPreview);
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(640, 360));
    QCOMPARE(window->picture().sourcePath(), m_picture);

    // OK takes the file; the next picture dialog opens in its folder.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        QVERIFY(dialog);
        dialog->selectFile(m_portrait);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(window->browseForFile(FileKind::Picture), FileKind::Picture);
    QCOMPARE(window->picture().sourcePath(), m_portrait);
    QString nextFolder;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        nextFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    window->browseForFile(FileKind::Picture);
    QCOMPARE(nextFolder, QFileInfo(m_portrait).absolutePath());

    // The auto-play box plays the selected song and forgets its state when the dialog closes.
    bool played = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        auto *box = dialog->findChild<QCheckBox *>();
        QVERIFY(box);
        QCOMPARE(box->property("controlId").toInt(), int(OpenFileDialog::AutoPlayCheckBox));
        QVERIFY(!box->isChecked());
        box->click();
        emit dialog->currentChanged(m_song);
        played = window->playing() && window->audioPreview().path() == m_song;
        box->click();    // unchecking stops the preview
        dialog->selectFile(m_song);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(window->browseForFile(FileKind::Audio), FileKind::Audio);
    QVERIFY(played);
    QCOMPARE(window->audioPath(), m_song);
    QVERIFY(!AppSettings::instance().autoPlayOnOpen());
    QVERIFY(window->control(MainWindow::PlayButton)->isVisible());
}

void TestMainWindowInput::openFileDialogAutoPlayIsItsOwn_data()
{
    QTest::addColumn<bool>("setting");
    QTest::addColumn<bool>("clickBox");
    QTest::addColumn<FileKind>("dialogKind");   // a song chosen in the picture dialog is not stopped
    QTest::addColumn<bool>("plays");

    QTest::addRow("setting on, box unticked") << true << true << FileKind::Audio << false;
    QTest::addRow("setting off, box ticked") << false << true << FileKind::Picture << true;
    QTest::addRow("setting on, box as it starts") << true << false << FileKind::Picture << true;
    QTest::addRow("setting off, box as it starts") << false << false << FileKind::Picture << false;
}

void TestMainWindowInput::openFileDialogAutoPlayIsItsOwn()
{
    QFETCH(bool, setting);
    QFETCH(bool, clickBox);
    QFETCH(FileKind, dialogKind);
    QFETCH(bool, plays);

    AppSettings::instance().set(Settings::AutoPlayOnOpen, setting);
    auto window = makeWindow();
    QVERIFY(window);
    AppSettings::instance().set(Settings::AutoPlayOnOpen, setting);
    const QByteArray ini = IniFile::readAll(m_sandbox->iniPath());

    bool startedFromSetting = false, settingKept = false, previewPlayed = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        QVERIFY(dialog);
        auto *box = dialog->findChild<QCheckBox *>();
        QVERIFY(box);
        startedFromSetting = box->isChecked() == setting;
        if (clickBox)
            box->click();
        settingKept = AppSettings::instance().autoPlayOnOpen() == setting;
        emit dialog->currentChanged(m_song);
        previewPlayed = window->playing() && window->audioPreview().path() == m_song;
        dialog->selectFile(m_song);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(window->browseForFile(dialogKind), dialogKind);
    QVERIFY(startedFromSetting);
    QVERIFY(settingKept);
    QCOMPARE(previewPlayed, plays);
    // The song chosen is the one the player holds, playing on only when the box was ticked.
    QCOMPARE(window->audioPath(), m_song);
    QCOMPARE(window->audioPreview().path(), m_song);
    QCOMPARE(window->playing(), plays);
    QCOMPARE(window->audioPreview().state() == AudioPreview::State::Playing, plays);
    QCOMPARE(AppSettings::instance().autoPlayOnOpen(), setting);
    QCOMPARE(IniFile::readAll(m_sandbox->iniPath()), ini);

    // Once the dialog has closed, a drag plays by the setting again.
    sendDrag(window.get(), {m_flac}, QEvent::DragEnter);
    QCOMPARE(window->audioPreview().path() == m_flac, setting);
    sendDrag(window.get(), {m_flac}, QEvent::DragLeave);
    QCOMPARE(window->audioPreview().path(), m_song);
}

void TestMainWindowInput::keys()
{
    auto window = makeWindow();
    QVERIFY(window);
    QLineEdit *edit = window->outputEdit();
    const QString before = edit->text();
    window->setFocus();
    QTest::keyClick(window.get(), Qt::Key_3);
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 2);
    QTest::keyClick(window.get(), Qt::Key_4);
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 3);
    QVERIFY(waitForPictureStep(window.get()));
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(426, 240));
    QCOMPARE(window->picture().currentPicturePath(), window->blankCanvases().path(3));
    QTest::keyClick(window.get(), Qt::Key_5);
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 4);
    QVERIFY(waitForPictureStep(window.get()));
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(1920, 1080));
    QCOMPARE(window->picture().currentPicturePath(), window->blankCanvases().path(4));
    // In the path box every digit is text.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_1);
    QTest::keyClick(edit, Qt::Key_6);
    QCOMPARE(edit->text(), before + "16");
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 4);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(window->isVisible());
    QCOMPARE(window->result(), 0);
}

void TestMainWindowInput::menuJustClosedSwallowsOneClick()
{
    auto window = makeWindow();
    QVERIFY(window);
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        for (QMenu *menu : window->findChildren<QMenu *>())
            if (menu->isVisible())
                menu->close();
    });
    QSignalSpy flag(window->menus(), &MainMenus::menuOpenChanged);
    closer.start(30);
    window->showHelpMenu();          // the help menu, closed without a choice
    closer.stop();
    QVERIFY(window->menuOpen());
    QCOMPARE(flag.size(), 1);
    auto *options = window->control(MainWindow::OptionsButton);
    QTest::mouseClick(options, Qt::LeftButton);      // press swallowed, release goes through
    QVERIFY(!window->menuOpen());
    QCOMPARE(flag.size(), 2);
    QCOMPARE(flag.last().first().toBool(), false);
    QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == window.get());

    // A choice from the menu swallows nothing.
    QTimer chooser;
    connect(&chooser, &QTimer::timeout, this, [&] {
        for (QMenu *menu : window->findChildren<QMenu *>())
            if (menu->isVisible()) {
                // An entry that opens a web page, which the launcher records.
                menu->setActiveAction(window->menus()->otherProductAction(0));
                QTest::keyClick(menu, Qt::Key_Return);
            }
    });
    chooser.start(30);
    window->showHelpMenu();
    chooser.stop();
    QVERIFY(!window->menuOpen());
    QCOMPARE(m_launcher.urls.size(), 1);
    // Set by the menu, cleared by its command.
    QCOMPARE(flag.size(), 4);
    QCOMPARE(flag.at(2).first().toBool(), true);
    QCOMPARE(flag.last().first().toBool(), false);
}

void TestMainWindowInput::sameSizeWritesNothing()
{
    auto window = makeWindow();
    QVERIFY(window);
    QFile ini(m_sandbox->iniPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray before = ini.readAll();
    ini.close();
    window->setTargetSize(AppSettings::instance().targetSizeIndex());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), before);
    QCOMPARE(window->menuOpen(), false);

    auto menu = std::unique_ptr<QMenu>(window->menus()->createMenu(MainMenus::Popup::TargetSize, window.get()));
    const QList<QAction *> sizes = menu->actions().first()->menu()->actions();
    QCOMPARE(sizes.size(), 5);
    QVERIFY(sizes.at(2)->isChecked());
    QCOMPARE(sizes.at(0)->text(), QStringLiteral("&1  720p (1280x720)"));
    QCOMPARE(menu->actions().last()->text(), QStringLiteral("View Actual Size..."));
}

void TestMainWindowInput::widerWindow()
{
    auto window = makeWindow();
    QVERIFY(window);
    auto pos = [&](int id) { return window->control(id)->pos(); };
    using W = MainWindow;
    const QPoint exit = pos(W::ExitButton), help = pos(W::HelpButton), step = pos(W::Step1Pending),
                 create = pos(W::CreateButton), play = pos(W::PlayButton);
    const int editWidth = window->outputEdit()->width();
    window->resize(window->width() + 100, window->height());
    QTRY_COMPARE(pos(W::ExitButton), exit + QPoint(100, 0));
    QCOMPARE(pos(W::HelpButton), help + QPoint(100, 0));
    QCOMPARE(pos(W::Step1Pending).x(), step.x() + 50);
    QCOMPARE(pos(W::CreateButton).x(), create.x() + 50);
    QCOMPARE(pos(W::PlayButton).x(), play.x() + 50);
    QCOMPARE(window->outputEdit()->width(), editWidth + 100);
    // The picture box keeps the video's shape.
    const QSize box = window->pictureBox()->size();
    QVERIFY(qAbs(box.width() * 360 - box.height() * 640) <= 640);

    // Never smaller than at start.
    window->resize(100, 100);
    QCOMPARE(window->size(), window->initialSize());
}

namespace {

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

void TestMainWindowInput::menus()
{
    auto window = makeWindow();
    QVERIFY(window);
    using Popup = MainMenus::Popup;
    const std::unique_ptr<QMenu> size(window->menus()->createMenu(Popup::TargetSize, window.get()));
    QCOMPARE(menuTexts(size.get()), (QStringList{"Target Video Size", "View Actual Size..."}));
    QMenu *sizes = size->actions().first()->menu();
    QCOMPARE(menuTexts(sizes), (QStringList{"&1  720p (1280x720)", "&2  480p (854x480)", "&3  360p (640x360)",
                                      "&4  240p (426x240)", "&5  1080p (1920x1080)"}));
    QVERIFY(size->testAttribute(Qt::WA_NoMouseReplay));
    QVERIFY(sizes->testAttribute(Qt::WA_NoMouseReplay));
    const std::unique_ptr<QMenu> playback(window->menus()->createMenu(Popup::Playback, window.get()));
    QCOMPARE(menuTexts(playback.get()), (QStringList{"&Restart Playback", "&Stop"}));
    const std::unique_ptr<QMenu> help(window->menus()->createMenu(Popup::Help, window.get()));
    QCOMPARE(menuTexts(help.get()), (QStringList{"&User Guide", "&Training Videos", "&Help Desk", "-", "Velmora &Slides",
                                                 "Velmora &Loops", "Velmora &Covers", "-", "&About Velmora..."}));

    // The commands reach the window: a size is taken and checked next time, a page opens,
    // About shows with drops paused.
    sizes->actions().at(0)->trigger();
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 0);
    const std::unique_ptr<QMenu> again(window->menus()->createMenu(Popup::TargetSize, window.get()));
    const QList<QAction *> checked = again->actions().first()->menu()->actions();
    QVERIFY(checked.at(0)->isChecked());
    QVERIFY(!checked.at(2)->isChecked());
    help->actions().at(4)->trigger();
    QCOMPARE(m_launcher.urls, (QList<QUrl>{QUrl("https://velmora.app/slides")}));
    bool pausedInAbout = false;
    m_messages->answerFor = [&](const RecordedMessage &) {
        pausedInAbout = !window->dropTarget()->isAttached();
        return QMessageBox::Ok;
    };
    help->actions().last()->trigger();
    QVERIFY(m_messages->messages.last().text.startsWith("Velmora - Version "));
    QVERIFY(pausedInAbout);
    QVERIFY(window->dropTarget()->isAttached());
}

void TestMainWindowInput::dropsPausedWhileModal()
{
    auto window = makeWindow();
    QVERIFY(window);
    QStringList pausedIn;
    ModalAnswerer answerer([&](QWidget *modal) {
        if (modal == window.get())
            return false;
        if (!window->dropTarget()->isAttached())
            pausedIn << modal->metaObject()->className();
        qobject_cast<QDialog *>(modal)->reject();
        return true;
    });
    window->openOptions();
    window->menus()->action(MainMenus::Command::ViewActualSize)->trigger();
    window->browseForFile(FileKind::Picture);
    QCOMPARE(pausedIn, (QStringList{"OptionsDialog", "ActualSizeViewer", "OpenFileDialog"}));
    QVERIFY(window->dropTarget()->isAttached());

    // A window that took no drops before takes none after.
    window->dropTarget()->detach();
    window->openOptions();
    QVERIFY(!window->dropTarget()->isAttached());
}

void TestMainWindowInput::mouseMovesAndResizes()
{
    auto window = makeWindow();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto send = [&window](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, window->mapFromGlobal(QPointF(global)), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    };
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    const QSize size = window->size();

    // Near an edge the cursor shows the resize; on the body it is the window's own.
    send(QEvent::MouseMove, origin + QPoint(2, size.height() / 2), Qt::NoButton);
    QCOMPARE(window->cursor().shape(), Qt::SizeHorCursor);
    send(QEvent::MouseMove, origin + QPoint(size.width() - 1, size.height() - 1), Qt::NoButton);
    QCOMPARE(window->cursor().shape(), Qt::SizeFDiagCursor);
    send(QEvent::MouseMove, origin + QPoint(100, 30), Qt::NoButton);
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);

    // Dragging the body moves the window; the point grabbed stays under the cursor.
    const QPoint start = window->pos();
    const QPoint grab = origin + QPoint(100, 30);
    send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    send(QEvent::MouseMove, grab + QPoint(70, 45), Qt::LeftButton);
    QCOMPARE(window->pos(), start + QPoint(70, 45));
    send(QEvent::MouseButtonRelease, grab + QPoint(70, 45), Qt::NoButton);
    send(QEvent::MouseMove, grab + QPoint(200, 200), Qt::NoButton);
    QCOMPARE(window->pos(), start + QPoint(70, 45));
}

void TestMainWindowInput::titleBandMaximizesAndRestores()
{
    auto window = makeWindow();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    using W = MainWindow;
    QWidget *maximize = window->control(W::MaximizeButton);
    QWidget *restore = window->control(W::RestoreButton);
    // Both points are on the window's own body, one just under the band.
    const QPoint inBand(100, 10);
    const QPoint belowBand(100, 30);
    QVERIFY(!window->childAt(inBand));
    QVERIFY(!window->childAt(belowBand));

    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, belowBand);
    QVERIFY(!window->isMaximized());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, inBand);
    QTRY_VERIFY(window->isMaximized());
    QVERIFY(restore->isVisible());
    QVERIFY(!maximize->isVisible());

    // Restore puts Maximize back; a double click in the band maximizes again, and again restores.
    qobject_cast<QAbstractButton *>(restore)->click();
    QTRY_VERIFY(!window->isMaximized());
    QVERIFY(maximize->isVisible());
    QVERIFY(!restore->isVisible());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, inBand);
    QTRY_VERIFY(window->isMaximized());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, inBand);
    QTRY_VERIFY(!window->isMaximized());
    QVERIFY(maximize->isVisible());
}

void TestMainWindowInput::focusFollowsMouse()
{
    auto window = makeWindow();
    QVERIFY(window);
    // Moves as the window system delivers them: leaving a control for the body brings the
    // window no Enter, only moves.
    auto moveTo = [&](QWidget *widget) {
        QTest::mouseMove(window->windowHandle(), widget->mapTo(window.get(), widget->rect().center()));
    };
    QWidget *options = window->control(MainWindow::OptionsButton);
    QWidget *picture = window->pictureBox();
    moveTo(options);
    QCOMPARE(window->focusWidget(), options);
    moveTo(picture);
    QCOMPARE(window->focusWidget(), window.get());
    moveTo(options);
    QCOMPARE(window->focusWidget(), options);
    QTest::mouseMove(window->windowHandle(), QPoint(window->width() / 2, 8));
    QCOMPARE(window->focusWidget(), window.get());
    // Once the mouse was over the path, the body leaves the focus there for typing.
    moveTo(window->outputEdit());
    QCOMPARE(window->focusWidget(), window->outputEdit());
    moveTo(picture);
    QCOMPARE(window->focusWidget(), window->outputEdit());
    moveTo(options);
    QCOMPARE(window->focusWidget(), options);
}

QTEST_MAIN(TestMainWindowInput)
#include "tst_mainwindow_input.moc"
