#include "TestSupport.h"

#include "app/Application.h"
#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/MessageBox.h"
#include "base/Paths.h"
#include "dialogs/CaptionDialog.h"
#include "dialogs/CompletionDialog.h"
#include "dialogs/SaveAsDialog.h"
#include "mainwindow/FileDropFilter.h"
#include "mainwindow/MainWindow.h"
#include "media/AudioPreview.h"
#include "media/FontList.h"
#include "tools/DesktopLauncher.h"
#include "widgets/DialogTemplate.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

using namespace TestSupport;

namespace {

// Records what would be opened on the desktop instead of opening it.
class QuietLauncher : public DesktopLauncher
{
public:
    bool openUrl(const QUrl &url) override
    {
        urls << url;
        return true;
    }
    bool startDetached(const QString &, const QStringList &) override { return true; }
    void showItems(const QStringList &, std::function<void(bool)> done) override { done(true); }
    QList<QUrl> urls;
};

// Answers every modal dialog of a given kind while it lives.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(std::function<bool(QWidget *)> answer)
        : m_answer(std::move(answer))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget *modal = QApplication::activeModalWidget())
                if (m_answer(modal))
                    ++handled;
        });
        m_timer.start(30);
    }
    int handled = 0;

private:
    QTimer m_timer;
    std::function<bool(QWidget *)> m_answer;
};

// Closes the completion dialog that ends a successful build.
bool closeCompletionDialog(QWidget *modal)
{
    auto *done = qobject_cast<CompletionDialog *>(modal);
    if (done)
        done->done(2);
    return done;
}

void sendDrag(QWidget *window, const QStringList &paths, QEvent::Type type)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << (p.isEmpty() ? QUrl() : QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    if (type == QEvent::DragEnter) {
        QDragEnterEvent e(QPoint(200, 300), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &e);
    } else if (type == QEvent::Drop) {
        QDropEvent e(QPointF(200, 300), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &e);
    } else {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(window, &e);
    }
}

void dropFile(QWidget *window, const QString &path)
{
    sendDrag(window, {path}, QEvent::DragEnter);
    sendDrag(window, {path}, QEvent::Drop);
}

QString probe(const QString &file, const QString &entries)
{
    return runCommand(ffprobePath(), {"-v", "error", "-show_entries", entries, "-of", "csv=p=0", file}).trimmed();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roadOfOneVideo();
    void startUpState();
    void rootOutputFolder();
    void createChecks_data();
    void createChecks();
    void dragAndDrop_data();
    void dragAndDrop();
    void audioDragWithAutoPlay();
    void openFileDialog();
    void keys();
    void menuJustClosedSwallowsOneClick();
    void sameSizeWritesNothing();
    void exitQuestion();
    void widerWindow();
    void textOnAndOff();
    void textDialogCaptionReachesVideo();
    void saveAs();
    void applicationRunsTheInitializedWindow();

private:
    std::unique_ptr<MainWindow> makeWindow();

    QTemporaryDir m_media;
    QString m_picture;     // 800x600 JPEG
    QString m_portrait;    // PNG
    QString m_song;        // 3 s MP3
    QString m_flac;        // 2 s FLAC
    QString m_notPicture;  // text named .jpg
    std::unique_ptr<ConfigSandbox> m_sandbox;
    std::unique_ptr<MessageRecorder> m_messages;
    QuietLauncher m_launcher;
    QTemporaryDir m_out;
};

void TestMainWindow::initTestCase()
{
    m_picture = m_media.filePath("photo one.jpg");
    m_portrait = m_media.filePath("portrait.png");
    m_song = m_media.filePath("song.mp3");
    m_flac = m_media.filePath("tone.flac");
    m_notPicture = m_media.filePath("fake.jpg");
    int rc = 0;
    runCommand(convertPath(), {"-size", "800x600", "gradient:red-blue", m_picture}, &rc);
    QCOMPARE(rc, 0);
    runCommand(convertPath(), {"-size", "300x600", "xc:green", m_portrait}, &rc);
    QCOMPARE(rc, 0);
    runCommand(ffmpegPath(), {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-q:a", "5", m_song}, &rc);
    QCOMPARE(rc, 0);
    runCommand(ffmpegPath(), {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:duration=2", m_flac}, &rc);
    QCOMPARE(rc, 0);
    QFile fake(m_notPicture);
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("this is not a picture\n");
    fake.close();
    DesktopLauncher::setInstance(&m_launcher);
}

void TestMainWindow::init()
{
    m_sandbox = std::make_unique<ConfigSandbox>();
    m_sandbox->writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nAutoPlayOnOpen=0\nDestinationFolderPath=%4\n")
                            .arg(convertPath(), ffmpegPath(), ffplayPath(), m_out.path())
                            .toUtf8());
    AppSettings::instance().autoPlayOnOpen = false;
    m_messages = std::make_unique<MessageRecorder>(QMessageBox::Ok);
}

void TestMainWindow::cleanup()
{
    m_messages.reset();
    m_sandbox.reset();
}

std::unique_ptr<MainWindow> TestMainWindow::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    if (!window->initialize())
        return {};
    window->show();
    // The posted start-up checks (layout and font list) run once the event loop runs.
    QTest::qWait(1);
    return window;
}

void TestMainWindow::roadOfOneVideo()
{
    auto window = makeWindow();
    QVERIFY(window);

    dropFile(window.get(), m_picture);
    QVERIFY(window->control(MainWindow::IDC_STEP1_CHECKED)->isVisible());
    QCOMPARE(window->picture().sourcePath(), m_picture);

    dropFile(window.get(), m_song);
    QCOMPARE(window->audioPath(), m_song);
    QVERIFY(window->control(MainWindow::IDC_STEP2_CHECKED)->isVisible());
    QVERIFY(window->control(MainWindow::IDC_CREATE)->isEnabled());
    QVERIFY(!window->playing());
    QVERIFY(qAbs(window->audioDuration() - 3.0) < 0.1);

    const QString webm = m_out.path() + "/MyPictune.webm";
    QCOMPARE(window->outputEdit()->text(), webm);

    int completions = 0;
    ModalAnswerer closer([&](QWidget *modal) {
        const bool closed = closeCompletionDialog(modal);
        completions += closed;
        return closed;
    });
    window->runCommand(MainWindow::IDC_CREATE);
    QCOMPARE(completions, 1);
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(probe(webm, "stream=codec_name,width,height"), QStringLiteral("vp8,640,360\nvorbis"));
    QCOMPARE(QGuiApplication::clipboard()->text(), webm);
    QVERIFY(window->outputPathTyped());

    // Key 1 switches to 1280x720 and records it.
    QTest::keyClick(window->outputEdit(), Qt::Key_1);
    QCOMPARE(AppSettings::instance().targetSizeIndex, 0);
    QCOMPARE(IniFile::readString(m_sandbox->iniPath(), "Velmora 1", "TargetVideoSize", "x"), QStringLiteral("0"));
    QCOMPARE(window->outputEdit()->text(), webm);   // the digit was not typed

    // A new typed path: no question; the same path again: the replace question.
    const QString mpg = m_out.path() + "/second clip.mpg";
    window->outputEdit()->setText(mpg);
    window->runCommand(MainWindow::IDC_CREATE);
    QCOMPARE(completions, 2);
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(probe(mpg, "stream=codec_name,width,height"), QStringLiteral("mpeg1video,1280,720\nmp2"));

    m_messages->answer = QMessageBox::Yes;
    window->runCommand(MainWindow::IDC_CREATE);
    QCOMPARE(m_messages->messages.size(), 1);
    const RecordedMessage question = m_messages->messages.first();
    QCOMPARE(question.caption, QStringLiteral("Create Pictune..."));
    QCOMPARE(question.text, mpg + " already exists.\nDo you want to replace it?");
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(completions, 3);
}

void TestMainWindow::startUpState()
{
    auto window = makeWindow();
    QVERIFY(window);
    for (int id : {MainWindow::IDC_PLAY, MainWindow::IDC_PAUSE, MainWindow::IDC_CREATE})
        QVERIFY(!window->control(id)->isEnabled());
    for (int id : {1106, 1108, 1110, 1112, 1101, 1102, 1104})
        QVERIFY2(window->control(id)->isVisible(), qPrintable(QString::number(id)));
    for (int id : {1105, 1107, 1109, 1113, 1103, 1100})
        QVERIFY2(!window->control(id)->isVisible(), qPrintable(QString::number(id)));
    const QString canvas = TargetSizeTable::instance().row(2).blankCanvasPath;
    QCOMPARE(window->picture().currentPicturePath(), canvas);
    QVERIFY(isNonEmptyFile(canvas));
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(640, 360));
    QVERIFY(window->outputPathTyped());
    QCOMPARE(window->minimumSize(), window->initialSize());
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora"));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);

    // Every temporary picture goes with the window.
    QString folder;
    QVERIFY(getTempFolder(folder));
    dropFile(window.get(), m_picture);
    QVERIFY(!QDir(folder).entryList({"VL_*"}, QDir::Files).isEmpty());
    window.reset();
    QCOMPARE(QDir(folder).entryList({"VL_*"}, QDir::Files), QStringList());
}

void TestMainWindow::rootOutputFolder()
{
    m_sandbox->writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nDestinationFolderPath=/\n")
                            .arg(convertPath(), ffmpegPath(), ffplayPath()).toUtf8());
    auto window = makeWindow();
    QVERIFY(window);
    QCOMPARE(window->outputEdit()->text(), QStringLiteral("/MyPictune.webm"));
}

void TestMainWindow::createChecks_data()
{
    QTest::addColumn<QString>("output");     // OUT = the output folder
    QTest::addColumn<QString>("breakWhat");  // picture, audio or nothing
    QTest::addColumn<QString>("message");    // empty: the build runs
    QTest::addColumn<bool>("editFocused");

    const QString ext = "The Save As file path needs to have a \"webm\" or \"mpg\" file extension.\n\nPlease fix this, and try again, thanks.";
    const QString folder = "The Save As directory does not exist.\n\nPlease fix this, and try again, thanks.";
    QTest::addRow("no extension") << "OUT/clip" << "" << ext << true;
    QTest::addRow("dot only in a folder") << "OUT/my.videos/clip" << "" << ext << true;
    QTest::addRow("other extension") << "OUT/clip.mp4" << "" << ext << true;
    QTest::addRow("picture gone") << "OUT/clip.webm" << "picture"
                                  << "The source Picture can not be found.\n\nPlease fix this, and try again, thanks." << false;
    QTest::addRow("audio gone") << "OUT/clip.webm" << "audio"
                                << "The source Audio File can not be found.\n\nPlease fix this, and try again, thanks." << false;
    QTest::addRow("folder missing") << "OUT/nowhere/clip.webm" << "" << folder << true;
    QTest::addRow("relative path") << "clip.webm" << "" << folder << true;
    QTest::addRow("below a file") << "OUT/file/clip.webm" << "" << folder << true;
    QTest::addRow("upper case extension builds") << "OUT/CLIP.WEBM" << "" << "" << false;
}

void TestMainWindow::createChecks()
{
    QFETCH(QString, output);
    QFETCH(QString, breakWhat);
    QFETCH(QString, message);
    QFETCH(bool, editFocused);

    QTemporaryDir scratch;
    QFile file(scratch.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    const QString song = scratch.filePath("song.mp3");
    QVERIFY(QFile::copy(m_song, song));

    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), song);
    QCOMPARE(window->audioPath(), song);
    if (breakWhat == "picture")
        QFile::remove(window->picture().currentPicturePath());
    if (breakWhat == "audio")
        QFile::remove(song);
    output.replace("OUT", scratch.path());
    window->outputEdit()->setText(output);
    window->activateWindow();

    ModalAnswerer closer(closeCompletionDialog);
    window->runCommand(MainWindow::IDC_CREATE);
    if (message.isEmpty()) {
        QVERIFY(m_messages->messages.isEmpty());
        QVERIFY(isNonEmptyFile(output));
        return;
    }
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text, message);
    QCOMPARE(m_messages->messages.first().caption, QStringLiteral("Velmora"));
    QCOMPARE(window->outputEdit()->hasFocus(), editFocused);
    if (editFocused)
        QCOMPARE(window->outputEdit()->selectedText(), output);
    QVERIFY(!window->outputPathTyped());
}

void TestMainWindow::dragAndDrop_data()
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

void TestMainWindow::dragAndDrop()
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
        QCOMPARE(window->previewKind(), 1);
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

void TestMainWindow::audioDragWithAutoPlay()
{
    AppSettings::instance().autoPlayOnOpen = true;
    auto window = makeWindow();
    QVERIFY(window);
    AppSettings::instance().autoPlayOnOpen = true;
    dropFile(window.get(), m_song);                 // plays while dragged, taken on drop
    QCOMPARE(window->audioPath(), m_song);
    QVERIFY(window->playing());
    QVERIFY(window->control(MainWindow::IDC_PAUSE)->isVisible());

    sendDrag(window.get(), {m_flac}, QEvent::DragEnter);
    QCOMPARE(window->audioPreview().path(), m_flac);
    QCOMPARE(window->previewKind(), 2);
    sendDrag(window.get(), {m_flac}, QEvent::DragLeave);
    // The window's own file is loaded again, stopped at its start.
    QCOMPARE(window->audioPreview().path(), m_song);
    QVERIFY(window->control(MainWindow::IDC_PLAY)->isVisible());
    QCOMPARE(window->audioPath(), m_song);

    // With auto-play off, dragging plays nothing and dropping sets the file, stopped.
    AppSettings::instance().autoPlayOnOpen = false;
    sendDrag(window.get(), {m_flac}, QEvent::DragEnter);
    QCOMPARE(window->audioPreview().path(), m_song);
    sendDrag(window.get(), {m_flac}, QEvent::Drop);
    QCOMPARE(window->audioPath(), m_flac);
    QCOMPARE(window->audioPreview().path(), m_flac);
    QVERIFY(window->control(MainWindow::IDC_PLAY)->isVisible());

    // Clearing the audio disables play, pause and Create.
    window->runCommand(MainWindow::IDC_STEP2_CHECKED);
    QVERIFY(window->audioPath().isEmpty());
    QVERIFY(!window->control(MainWindow::IDC_CREATE)->isEnabled());
}

void TestMainWindow::openFileDialog()
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
        sawPreview = window->previewKind() == 1 && window->pictureBox()->pictureSize() == QSize(300, 600);
        dialog->reject();
    });
    QCOMPARE(window->browseForFile(FileKind::Picture), 0);
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
    QCOMPARE(window->browseForFile(FileKind::Picture), 1);
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
        QCOMPARE(box->property("controlId").toInt(), 1700);
        QVERIFY(!box->isChecked());
        box->click();
        emit dialog->currentChanged(m_song);
        played = window->playing() && window->audioPreview().path() == m_song;
        box->click();    // unchecking stops the preview
        dialog->selectFile(m_song);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(window->browseForFile(FileKind::Audio), 2);
    QVERIFY(played);
    QCOMPARE(window->audioPath(), m_song);
    QVERIFY(!AppSettings::instance().autoPlayOnOpen);
    QVERIFY(window->control(MainWindow::IDC_PLAY)->isVisible());
}

void TestMainWindow::keys()
{
    auto window = makeWindow();
    QVERIFY(window);
    QLineEdit *edit = window->outputEdit();
    edit->setFocus();
    const QString before = edit->text();
    QTest::keyClick(edit, Qt::Key_3);
    QCOMPARE(AppSettings::instance().targetSizeIndex, 2);
    QTest::keyClick(edit, Qt::Key_4);
    QCOMPARE(AppSettings::instance().targetSizeIndex, 3);
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(426, 240));
    QCOMPARE(window->picture().currentPicturePath(), TargetSizeTable::instance().row(3).blankCanvasPath);
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(edit->text(), before + "5");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(window->isVisible());
    QCOMPARE(window->result(), 0);
}

void TestMainWindow::menuJustClosedSwallowsOneClick()
{
    auto window = makeWindow();
    QVERIFY(window);
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        for (QMenu *menu : window->findChildren<QMenu *>())
            if (menu->isVisible())
                menu->close();
    });
    closer.start(30);
    window->runCommand(MainWindow::IDC_HELP);          // the help menu, closed without a choice
    closer.stop();
    QVERIFY(window->menuOpen());
    auto *options = window->control(MainWindow::IDC_OPTIONS);
    QTest::mouseClick(options, Qt::LeftButton);      // press swallowed, release goes through
    QVERIFY(!window->menuOpen());
    QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == window.get());

    // A choice from the menu swallows nothing.
    QTimer chooser;
    connect(&chooser, &QTimer::timeout, this, [&] {
        for (QMenu *menu : window->findChildren<QMenu *>())
            if (menu->isVisible()) {
                menu->setActiveAction(menu->actions().first());
                QTest::keyClick(menu, Qt::Key_Return);
            }
    });
    chooser.start(30);
    window->runCommand(MainWindow::IDC_HELP);
    chooser.stop();
    QVERIFY(!window->menuOpen());
    QCOMPARE(m_launcher.urls.size(), 1);
}

void TestMainWindow::sameSizeWritesNothing()
{
    auto window = makeWindow();
    QVERIFY(window);
    QFile ini(m_sandbox->iniPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray before = ini.readAll();
    ini.close();
    window->setTargetSize(AppSettings::instance().targetSizeIndex);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), before);
    QCOMPARE(window->menuOpen(), false);

    auto menu = std::unique_ptr<QMenu>(window->createMenu(1200));
    const QList<QAction *> sizes = menu->actions().first()->menu()->actions();
    QCOMPARE(sizes.size(), 4);
    QVERIFY(sizes.at(2)->isChecked());
    QCOMPARE(sizes.at(0)->text(), QStringLiteral("&720p (1280x720)"));
    QCOMPARE(menu->actions().last()->text(), QStringLiteral("View Actual Size..."));
}

void TestMainWindow::exitQuestion()
{
    auto window = makeWindow();
    QVERIFY(window);
    m_messages->answer = QMessageBox::No;
    window->runCommand(MainWindow::IDC_EXIT);
    QVERIFY(window->isVisible());
    QCOMPARE(m_messages->messages.last().text, QStringLiteral("Are you sure you want to exit?"));
    QCOMPARE(m_messages->messages.last().icon, QMessageBox::NoIcon);
    QCOMPARE(m_messages->messages.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m_messages->messages.last().defaultButton, QMessageBox::No);

    // During a build the window refuses to close.
    bool refused = false;
    ModalAnswerer cancelBuild([&](QWidget *modal) {
        if (modal == window.get() || qobject_cast<CompletionDialog *>(modal))
            return false;
        if (!refused) {
            window->runCommand(MainWindow::IDC_EXIT);
            refused = true;
            QMetaObject::invokeMethod(modal, "requestCancel");
        }
        return true;
    });
    dropFile(window.get(), m_song);
    window->outputEdit()->setText(m_out.path() + "/exit.webm");
    window->runCommand(MainWindow::IDC_CREATE);
    QVERIFY(refused);
    QCOMPARE(m_messages->messages.at(1).text,
             QStringLiteral("A Pictune is currently being created.  Please Cancel its creation before closing, thanks."));
    QVERIFY(!QFile::exists(m_out.path() + "/exit.webm"));   // a cancelled build leaves nothing

    m_messages->answer = QMessageBox::Yes;
    window->runCommand(MainWindow::IDC_EXIT);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::widerWindow()
{
    auto window = makeWindow();
    QVERIFY(window);
    auto pos = [&](int id) { return window->control(id)->pos(); };
    const QPoint exit = pos(1104), help = pos(1118), step = pos(1106), create = pos(1116), play = pos(1112);
    const int editWidth = window->outputEdit()->width();
    window->resize(window->width() + 100, window->height());
    QTRY_COMPARE(pos(1104), exit + QPoint(100, 0));
    QCOMPARE(pos(1118), help + QPoint(100, 0));
    QCOMPARE(pos(1106).x(), step.x() + 50);
    QCOMPARE(pos(1116).x(), create.x() + 50);
    QCOMPARE(pos(1112).x(), play.x() + 50);
    QCOMPARE(window->outputEdit()->width(), editWidth + 100);
    // The picture box keeps the video's shape.
    const QSize box = window->pictureBox()->size();
    QVERIFY(qAbs(box.width() * 360 - box.height() * 640) <= 640);

    // Never smaller than at start.
    window->resize(100, 100);
    QCOMPARE(window->size(), window->initialSize());
}

void TestMainWindow::textOnAndOff()
{
    auto window = makeWindow();
    QVERIFY(window);
    // The step-3 markers: text off shows the plain picture again and keeps the settings.
    window->textSettings().fontName = "DejaVu-Sans-Bold";
    window->textSettings().text = "Hello";
    window->picture().setState(PicturePreparation::State::Plain);
    QVERIFY(window->picture().renderText(window.get(), window->textSettings()));
    window->picture().setState(PicturePreparation::State::WithText);
    window->textSettings().textOn = true;
    window->runCommand(MainWindow::IDC_STEP3_CHECKED);
    QCOMPARE(window->textSettings().textOn, false);
    QCOMPARE(window->textSettings().text, QStringLiteral("Hello"));
    QCOMPARE(window->picture().currentPicturePath(), TargetSizeTable::instance().current().blankCanvasPath);
    QVERIFY(window->control(1110)->isVisible());
    QVERIFY(window->dropTarget()->isAttached());
}

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Pixels brighter than grey in the middle third of a picture: the caption's white letters on the
// black canvas.
int brightPixelsInMiddle(const QImage &image)
{
    int bright = 0;
    for (int y = image.height() / 3; y < 2 * image.height() / 3; ++y)
        for (int x = image.width() / 3; x < 2 * image.width() / 3; ++x)
            bright += qGray(image.pixel(x, y)) > 200;
    return bright;
}

} // namespace

void TestMainWindow::textDialogCaptionReachesVideo()
{
    auto window = makeWindow();
    QVERIFY(window);
    const QString withText = window->picture().withTextPath();

    // Cancel after a few previews: settings and picture as before.
    const CaptionSettings before = window->textSettings();
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<CaptionDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        text->setFocus();
        QTest::keyClicks(text, "abc");
        QTest::qWait(600);
        dialogControlAs<QPushButton>(dialog, 2)->click();
    });
    window->runCommand(MainWindow::IDC_STEP3_UNCHECKED);
    QVERIFY(window->textSettings() == before);
    QCOMPARE(window->textSettings().textOn, false);
    QCOMPARE(window->picture().currentPicturePath(), TargetSizeTable::instance().current().blankCanvasPath);
    QVERIFY(window->control(MainWindow::IDC_STEP3_UNCHECKED)->isVisible());

    // Typing previews in the main window; OK turns the caption on and the video carries it.
    QByteArray firstPreview;
    QByteArray typedPreview;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<CaptionDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QTest::qWait(300);
        firstPreview = fileBytes(withText);
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        text->selectAll();
        text->setFocus();
        QTest::keyClicks(text, "BIG WORDS");
        QTest::qWait(800);
        typedPreview = fileBytes(withText);
        dialogControlAs<QPushButton>(dialog, 1)->click();
    });
    window->runCommand(MainWindow::IDC_STEP3_UNCHECKED);
    QVERIFY(!firstPreview.isEmpty());
    QVERIFY(typedPreview != firstPreview);
    QCOMPARE(window->textSettings().textOn, true);
    QCOMPARE(window->textSettings().text, QStringLiteral("BIG WORDS"));
    QVERIFY(window->control(MainWindow::IDC_STEP3_CHECKED)->isVisible());
    QCOMPARE(window->picture().currentPicturePath(), withText);

    dropFile(window.get(), m_song);
    const QString video = m_out.path() + "/caption.webm";
    window->outputEdit()->setText(video);
    ModalAnswerer closer(closeCompletionDialog);
    window->runCommand(MainWindow::IDC_CREATE);
    QVERIFY(isNonEmptyFile(video));
    const QString frame = m_out.path() + "/frame.png";
    int rc = -1;
    runCommand(ffmpegPath(), {"-v", "error", "-y", "-i", video, "-frames:v", "1", frame}, &rc);
    QCOMPARE(rc, 0);
    const QImage image(frame);
    QCOMPARE(image.size(), QSize(640, 360));
    QVERIFY2(brightPixelsInMiddle(image) > 500, "the caption is not in the video's frame");
}

void TestMainWindow::saveAs()
{
    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_song);
    const QString existing = m_out.path() + "/old clip.final.mpg";
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("an older video");
    file.close();
    window->outputEdit()->setText(existing);

    // The dialog starts in the path's folder with its bare name, the current format first; a name
    // typed without extension gets the chosen filter's.
    QStringList filters;
    QString name;
    QString folder;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<SaveAsDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Save Pictune As..."));
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name = edit->text();
        edit->setText("holiday");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->runCommand(MainWindow::IDC_SAVE_AS);
    QCOMPARE(filters, (QStringList{"MPEG-1 Facebook Compatible (mpg) (*.mpg)", "WebM Files (webm) (*.webm)"}));
    QCOMPARE(name, QStringLiteral("old clip.final"));
    QCOMPARE(folder, QFileInfo(m_out.path()).absoluteFilePath());
    const QString chosen = m_out.path() + "/holiday.mpg";
    QCOMPARE(window->outputEdit()->text(), chosen);
    QVERIFY(!window->outputPathTyped());

    // Chosen with Save As: the first build asks nothing, the second asks before replacing.
    ModalAnswerer closer(closeCompletionDialog);
    window->runCommand(MainWindow::IDC_CREATE);
    QVERIFY(m_messages->messages.isEmpty());
    QVERIFY(isNonEmptyFile(chosen));
    m_messages->answer = QMessageBox::No;
    window->runCommand(MainWindow::IDC_CREATE);
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().caption, QStringLiteral("Create Pictune..."));
    QVERIFY(window->outputPathTyped());

    QCOMPARE(SaveAsDialog::filtersFor("webm").first(), QStringLiteral("WebM Files (webm) (*.webm)"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a.b", "WebM Files (webm) (*.webm)"), QStringLiteral("/v/a.b.webm"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a.MPG", "WebM Files (webm) (*.webm)"), QStringLiteral("/v/a.MPG"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a", "MPEG-1 Facebook Compatible (mpg)"), QStringLiteral("/v/a.mpg"));
}

void TestMainWindow::applicationRunsTheInitializedWindow()
{
    bool sawReadyWindow = false;
    ModalAnswerer watcher([&](QWidget *modal) {
        auto *window = qobject_cast<MainWindow *>(modal);
        if (!window)
            return false;
        sawReadyWindow = window->control(MainWindow::IDC_STEP1_UNCHECKED)->isVisible()
            && window->outputEdit()->text().endsWith("/MyPictune.webm")
            && !fontNameList().isEmpty();
        window->done(0);
        return true;
    });
    Application app;
    QCOMPARE(app.run(), 0);
    QVERIFY(sawReadyWindow);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
