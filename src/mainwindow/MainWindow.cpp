#include "mainwindow/MainWindow.h"

#include "base/AppSettings.h"
#include "base/MessageBox.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "dialogs/ActualSizeViewer.h"
#include "dialogs/CaptionDialog.h"
#include "dialogs/OpenFileDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/PictuneBuild.h"
#include "dialogs/SaveAsDialog.h"
#include "mainwindow/FileDropFilter.h"
#include "mainwindow/MainLayout.h"
#include "media/AudioLength.h"
#include "media/AudioPreview.h"
#include "media/FontList.h"
#include "media/OpenableFiles.h"
#include "tools/DesktopLauncher.h"
#include "widgets/DialogTemplate.h"
#include "widgets/DialogToolTips.h"
#include "widgets/PictureBox.h"
#include "widgets/SkinArtwork.h"
#include "widgets/SkinButton.h"
#include "widgets/TemplateControls.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleHints>
#include <QUrl>
#include <QWindow>

namespace {

bool g_buildRunning = false;

// The skin's background color under the bands and frame.
const QColor SkinFill(1, 75, 140);
// How far from the edge a press resizes the frameless window.
constexpr int ResizeMargin = 6;

const int SkinnedButtons[] = {1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108, 1109, 1110,
                              1112, 1113, 1114, 1116, 1117, 1118};

struct WebPage
{
    int command;
    const char *text;
    const char *url;
};

const WebPage WebPages[] = {
    {MainWindow::ID_USER_GUIDE, "&User Guide", "https://velmora.app/guide"},
    {MainWindow::ID_TRAINING_VIDEOS, "&Training Videos", "https://velmora.app/videos"},
    {MainWindow::ID_HELP_DESK, "&Help Desk", "https://velmora.app/help"},
    {MainWindow::ID_OTHER_PRODUCT_1, "Velmora &Slides", "https://velmora.app/slides"},
    {MainWindow::ID_OTHER_PRODUCT_2, "Velmora &Loops", "https://velmora.app/loops"},
    {MainWindow::ID_OTHER_PRODUCT_3, "Velmora &Covers", "https://velmora.app/covers"},
};

const QString ClearPictureTip = QStringLiteral("Click here to clear the current Picture File");
const QString ClearAudioTip = QStringLiteral("Click here to clear the current Audio File");

} // namespace

bool MainWindow::buildRunning()
{
    return g_buildRunning;
}

MainWindow::MainWindow(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_toolTips(std::make_unique<DialogToolTips>())
    , m_audio(std::make_unique<AudioPreview>())
{
    setWindowIcon(SkinArtwork::appIcon());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    const qreal ratio = qApp->devicePixelRatio();
    for (int i = 0; i < 10; ++i)
        m_skin[size_t(i)] = SkinArtwork::skinBitmap(1500 + i, ratio);
    m_dropTarget = new FileDropFilter(this);
    createControls();
    // The window has no title bar; the text shows in the task bar.
    setWindowTitle(QStringLiteral("Velmora"));
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // Also when the window ends without the exit question (a close from outside).
    m_audio->shutdown();
    deleteBlankCanvases();
    restoreDialogFont(m_fontState);
}

void MainWindow::createControls()
{
    ControlFactories factories;
    factories.insert(IDC_PICTURE, [](const DialogControlTemplate &, QWidget *parent) -> QWidget * {
        auto *box = new PictureBox(parent);
        // Clicks on the picture are clicks on the window's body.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    });
    factories.insert(IDC_OUTPUT_PATH, [](const DialogControlTemplate &item, QWidget *parent) -> QWidget * {
        return new QLineEdit(item.text, parent);
    });
    factories.insert(IDC_FOCUS_SINK, [](const DialogControlTemplate &item, QWidget *parent) -> QWidget * {
        return new QPushButton(item.text, parent);
    });
    createDialogControls(this, 101, factories);
    m_pictureBox = qobject_cast<PictureBox *>(control(IDC_PICTURE));
    m_outputEdit = qobject_cast<QLineEdit *>(control(IDC_OUTPUT_PATH));
    // A dropped URL must never be pasted into the output path.
    m_outputEdit->setAcceptDrops(false);
    m_outputEdit->setAccessibleName(QStringLiteral("Save As path"));
    m_pictureBox->setAccessibleName(QStringLiteral("Picture preview"));
    connectControls();
}

void MainWindow::connectControls()
{
    for (int id : SkinnedButtons) {
        if (auto *button = qobject_cast<QAbstractButton *>(control(id)))
            connect(button, &QAbstractButton::clicked, this, [this, id] { runCommand(id); });
    }
    connect(m_outputEdit, &QLineEdit::textChanged, this, [this] { m_outputPathTyped = true; });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            m_menuOpen = false;
    });
}

AudioPreview &MainWindow::audioPreview() const
{
    return *m_audio;
}

QWidget *MainWindow::control(int id) const
{
    return dialogControl(this, id);
}

bool MainWindow::initialize()
{
    applyDialogFont(this, 101, 96.0, m_fontState);
    m_initialWidth = width();
    m_initialHeight = height();

    const QString audioFailure = m_audio->start();
    if (!audioFailure.isEmpty()) {
        MessageBox::information(this, audioFailure);
        return false;
    }

    for (int id : SkinnedButtons)
        SkinButton::attachAndLoad(id, this);

    for (int id = IDC_MINIMIZE; id <= IDC_EXIT; ++id)
        m_frameGroup.addControl(control(id), 1.0f, 1.0f);
    for (int id = IDC_STEP1_CHECKED; id <= IDC_STEP3_UNCHECKED; ++id)
        m_stepGroup.addControl(control(id), 1.0f, 1.0f);
    m_cornerGroup.addControl(control(IDC_OPTIONS), 1.0f, 1.0f);
    m_cornerGroup.addControl(control(IDC_HELP), 1.0f, 1.0f);

    m_toolTips->createTips(101, this);

    setAudioFile(QString());
    m_pictureBox->setDrawMode(PictureBox::FitLetterbox);
    m_dropTarget->attach(this, this);

    const QString folder = AppSettings::instance().read(Settings::DestinationFolder);
    // The root folder already ends in a separator.
    m_outputEdit->setText(folder.endsWith(QLatin1Char('/')) ? folder + QStringLiteral("MyPictune.webm")
                                                            : folder + QStringLiteral("/MyPictune.webm"));

    if (!createBlankCanvases(this)) {
        deleteBlankCanvases();
        MessageBox::information(this, QStringLiteral("The Blank Bitmap Files could not be created in the system Temp directory.  Sorry, can't continue."));
        return false;
    }
    m_pictureBox->loadFromFile(TargetSizeTable::instance().current().blankCanvasPath);

    setMinimumSize(m_initialWidth, m_initialHeight);
    qApp->installEventFilter(this);
    m_initialized = true;
    QMetaObject::invokeMethod(this, &MainWindow::initChecks, Qt::QueuedConnection);
    return true;
}

int MainWindow::initChecks()
{
    layoutControls();
    if (!queryFontList()) {
        MessageBox::critical(nullptr, QStringLiteral("Can't get the Font List, using the convert executable, specified in:\n\n   %1\n\nSorry, can't continue.")
                        .arg(AppSettings::instance().iniPath));
        done(0);
        return -1;
    }
    return 1;
}

// ---------------------------------------------------------------- steps

void MainWindow::markStep(int checkedId, int uncheckedId, bool done)
{
    control(checkedId)->setVisible(done);
    control(uncheckedId)->setVisible(!done);
}

bool MainWindow::prepareSourcePicture(const QString &path)
{
    // Input waits while the image tool runs; drops wait too.
    m_preparingPicture = true;
    // The box shows nothing while the picture is redone, and only a picture that was prepared.
    m_pictureBox->loadFromFile(QString());
    m_pictureBox->update();
    const bool ok = m_picture.setSourcePicture(this, path, &m_textSettings);
    if (ok)
        m_pictureBox->loadFromFile(m_picture.currentPicturePath());
    m_preparingPicture = false;
    return ok;
}

void MainWindow::setPictureFile(const QString &path)
{
    const QString previous = m_picture.sourcePath();
    bool set = !path.isEmpty();
    if (!prepareSourcePicture(path) && set) {
        // Never show a picture as set that is not prepared: go back to the previous one, or none.
        set = false;
        if (!previous.isEmpty() && previous != path && prepareSourcePicture(previous))
            set = true;
        else
            prepareSourcePicture(QString());
        m_pictureBox->loadFromFile(m_picture.currentPicturePath());
    }
    QString tip = ClearPictureTip;
    if (set) {
        markStep(IDC_STEP1_CHECKED, IDC_STEP1_UNCHECKED, true);
        tip = QStringLiteral("%1, which is set to:\n\n%2").arg(ClearPictureTip, m_picture.sourcePath());
    } else {
        markStep(IDC_STEP1_CHECKED, IDC_STEP1_UNCHECKED, false);
        m_pictureBox->loadFromFile(m_picture.currentPicturePath());
    }
    m_toolTips->updateTip(tip, this, IDC_STEP1_CHECKED);
    m_pictureBox->update();
}

void MainWindow::setAudioFile(const QString &path)
{
    m_audioPath = path;
    QString tip = ClearAudioTip;
    if (!path.isEmpty()) {
        if (!AppSettings::instance().autoPlayOnOpen)
            m_audio->open(path);
        markStep(IDC_STEP2_CHECKED, IDC_STEP2_UNCHECKED, true);
        for (int id : {IDC_PLAY, IDC_PAUSE, IDC_CREATE})
            control(id)->setEnabled(true);
        double seconds = 0.0;
        if (measureAudioFile(path, seconds))
            m_audioDuration = seconds;
        tip = QStringLiteral("%1, which is set to:\n\n%2\n\nDuration: %3")
                  .arg(ClearAudioTip, m_audioPath, formatDuration(m_audioDuration));
    } else {
        markStep(IDC_STEP2_CHECKED, IDC_STEP2_UNCHECKED, false);
        for (int id : {IDC_PLAY, IDC_PAUSE, IDC_CREATE})
            control(id)->setEnabled(false);
        pauseAudio();
    }
    m_toolTips->updateTip(tip, this, IDC_STEP2_CHECKED);
}

void MainWindow::textOff()
{
    if (m_dropTarget->isAttached())
        revokeDropTarget();
    m_textSettings.textOn = false;
    m_picture.setState(PicturePreparation::State::Plain);
    m_pictureBox->loadFromFile(m_picture.currentPicturePath());
    markStep(IDC_STEP3_CHECKED, IDC_STEP3_UNCHECKED, false);
    registerDropTarget();
}

void MainWindow::openTextDialog()
{
    CaptionDialog dialog(&m_textDialogX, &m_textDialogY, &m_textSettings, this);
    const int result = dialog.exec();
    if (result == QDialog::Accepted) {
        // The last preview may not be of the confirmed settings (a change only the timer saw, a
        // dropped or failed preview): draw them before calling the step done.
        const bool current = m_picture.state() == PicturePreparation::State::WithText
            && dialog.workingSettings() == m_textSettings && isNonEmptyFile(m_picture.withTextPath());
        bool drawn = current;
        if (!current) {
            m_picture.setState(PicturePreparation::State::Plain);
            m_pictureBox->loadFromFile(QString());
            m_preparingPicture = true;
            drawn = m_picture.renderText(this, m_textSettings);
            m_preparingPicture = false;
            if (drawn)
                m_picture.setState(PicturePreparation::State::WithText);
            m_pictureBox->loadFromFile(m_picture.currentPicturePath());
        }
        if (drawn) {
            m_textSettings.textOn = true;
            markStep(IDC_STEP3_CHECKED, IDC_STEP3_UNCHECKED, true);
        }
    } else {
        m_picture.setState(PicturePreparation::State::Plain);
        m_pictureBox->loadFromFile(m_picture.currentPicturePath());
    }
}

// ---------------------------------------------------------------- private messages

int MainWindow::previewFile(const QString &path)
{
    m_previewKind = 0;
    if (!isNonEmptyFile(path))
        return 1;
    if (isOpenablePicture(path)) {
        m_pictureBox->loadFromFile(path);
        m_previewKind = 1;
        return 1;
    }
    if (isOpenableAudio(path) && AppSettings::instance().autoPlayOnOpen) {
        playAudio(path);
        control(IDC_PLAY)->setEnabled(true);
        control(IDC_PAUSE)->setEnabled(true);
        m_previewKind = 2;
    }
    return 1;
}

int MainWindow::endPreview()
{
    if (m_previewKind == 1 || m_pictureBox->isPlaceholder()) {
        m_pictureBox->loadFromFile(m_picture.currentPicturePath());
        m_pictureBox->update();
    } else if (m_previewKind == 2 && AppSettings::instance().autoPlayOnOpen) {
        pauseAudio();
        const bool haveAudio = !m_audioPath.isEmpty();
        control(IDC_PLAY)->setEnabled(haveAudio);
        control(IDC_PAUSE)->setEnabled(haveAudio);
        if (haveAudio && m_audioPath != m_audio->path())
            m_audio->open(m_audioPath);
    }
    return 1;
}

int MainWindow::openFile(const QString &path)
{
    if (!isNonEmptyFile(path))
        return 1;
    if (isOpenablePicture(path)) {
        setPictureFile(path);
        return 1;
    }
    if (isOpenableAudio(path)) {
        const bool autoPlay = AppSettings::instance().autoPlayOnOpen;
        if (m_playing || !autoPlay) {
            setAudioFile(path);
            if (!autoPlay)
                pauseAudio();
        } else if (m_audio->open(path)) {
            // Auto-play is on but no preview played it (the dialog's box was ticked late): the
            // file is still the user's choice, so take it, stopped at its start.
            setAudioFile(path);
            pauseAudio();
        }
    }
    return 1;
}

int MainWindow::showPlaceholder()
{
    m_pictureBox->loadPlaceholder();
    return 1;
}

int MainWindow::previewCaption(CaptionPreviewSource *dialog)
{
    if (m_textPreviewBusy)
        return 0;
    m_textPreviewBusy = true;
    CaptionSettings &working = dialog->workingSettings();
    dialog->readControls(working);
    m_picture.setState(PicturePreparation::State::Plain);
    m_pictureBox->loadFromFile(QString());
    m_preparingPicture = true;
    if (m_picture.renderText(this, working)) {
        m_picture.setState(PicturePreparation::State::WithText);
        m_pictureBox->loadFromFile(m_picture.currentPicturePath());
    }
    m_preparingPicture = false;
    m_pictureBox->update();
    m_textPreviewBusy = false;
    return 1;
}

// ---------------------------------------------------------------- audio

void MainWindow::playAudio(const QString &path)
{
    m_audio->play(path).apply(control(IDC_PLAY), control(IDC_PAUSE), m_playing, m_menuOpen);
}

void MainWindow::pauseAudio()
{
    m_audio->pause().apply(control(IDC_PLAY), control(IDC_PAUSE), m_playing, m_menuOpen);
}

void MainWindow::restartAudio()
{
    m_audio->restart().apply(control(IDC_PLAY), control(IDC_PAUSE), m_playing, m_menuOpen);
}

void MainWindow::stopAudio()
{
    m_audio->stop().apply(control(IDC_PLAY), control(IDC_PAUSE), m_playing, m_menuOpen);
}

// ---------------------------------------------------------------- commands

void MainWindow::runCommand(int id)
{
    switch (id) {
    case IDC_MINIMIZE:
        showMinimized();
        break;
    case IDC_MAXIMIZE:
        showMaximized();
        break;
    case IDC_RESTORE:
        showNormal();
        break;
    case IDC_EXIT:
        if (confirmExit())
            done(0);
        break;
    case IDC_STEP1_CHECKED:
        setPictureFile(QString());
        m_pictureBox->update();
        break;
    case IDC_STEP1_UNCHECKED:
    case IDC_STEP2_UNCHECKED: {
        if (m_dropTarget->isAttached())
            revokeDropTarget();
        browseForFile(id == IDC_STEP1_UNCHECKED ? FileKind::Picture : FileKind::Audio);
        registerDropTarget();
        break;
    }
    case IDC_STEP2_CHECKED:
        setAudioFile(QString());
        break;
    case IDC_STEP3_CHECKED:
        textOff();
        break;
    case IDC_STEP3_UNCHECKED:
        openTextDialog();
        break;
    case IDC_PLAY:
        playAudio(QString());
        break;
    case IDC_PAUSE:
        pauseAudio();
        break;
    case IDC_SAVE_AS:
        saveAsCommand();
        break;
    case IDC_CREATE:
        createCommand();
        break;
    case IDC_OPTIONS:
        openOptions();
        break;
    case IDC_HELP:
        showMenu(1400);
        break;
    case ID_SIZE_720P:
    case ID_SIZE_480P:
    case ID_SIZE_360P:
    case ID_SIZE_240P:
        setTargetSize(id - ID_SIZE_720P);
        break;
    case ID_VIEW_ACTUAL_SIZE:
        viewActualSize();
        break;
    case ID_RESTART_PLAYBACK:
        restartAudio();
        break;
    case ID_STOP_PLAYBACK:
        stopAudio();
        break;
    case ID_ABOUT:
        showAbout();
        break;
    default:
        if (id >= ID_USER_GUIDE && id <= ID_OTHER_PRODUCT_3)
            openWebPage(id);
        break;
    }
}

bool MainWindow::confirmExit()
{
    if (g_buildRunning) {
        MessageBox::information(this, QStringLiteral("A Pictune is currently being created.  Please Cancel its creation before closing, thanks."));
        return false;
    }
    if (MessageBox::question(this, QStringLiteral("Are you sure you want to exit?"), QMessageBox::No,
                             MessageBox::caption(), QMessageBox::NoIcon)
        != QMessageBox::Yes)
        return false;
    m_audio->shutdown();
    m_pictureBox->loadFromFile(QString());
    return true;
}

void MainWindow::setTargetSize(int index)
{
    AppSettings &settings = AppSettings::instance();
    if (index >= 0 && index < TargetSizeTable::RowCount && settings.targetSizeIndex != index) {
        settings.targetSizeIndex = index;
        const QString source = m_picture.sourcePath();
        if (!prepareSourcePicture(source) && !source.isEmpty()) {
            // The picture could not be prepared at the new size: the step goes back to none.
            prepareSourcePicture(QString());
            markStep(IDC_STEP1_CHECKED, IDC_STEP1_UNCHECKED, false);
            m_toolTips->updateTip(ClearPictureTip, this, IDC_STEP1_CHECKED);
            m_pictureBox->loadFromFile(m_picture.currentPicturePath());
        }
        settings.write(Settings::TargetVideoSize, index);
    }
    m_menuOpen = false;
}

void MainWindow::revokeDropTarget()
{
    m_dropTarget->detach();
}

void MainWindow::registerDropTarget()
{
    if (!m_dropTarget->isAttached())
        m_dropTarget->attach(this, this);
}

int MainWindow::browseForFile(FileKind kind)
{
    AppSettings &settings = AppSettings::instance();
    static bool firstPictureBrowse = true;
    static bool firstAudioBrowse = true;
    QString folder;
    if (kind == FileKind::Picture)
        folder = firstPictureBrowse ? settings.read(Settings::PictureFolder) : m_lastPictureFolder;
    else if (kind == FileKind::Audio)
        folder = firstAudioBrowse ? settings.read(Settings::AudioFolder) : m_lastAudioFolder;

    const bool rememberedAutoPlay = settings.autoPlayOnOpen;
    m_previewKind = 0;
    OpenFileDialog dialog(this, this, kind, folder);
    m_openFileDialog = &dialog;
    const int result = dialog.exec();
    m_openFileDialog = nullptr;
    const QStringList chosen = dialog.selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty()) {
        if (m_previewKind != 0)
            endPreview();
        settings.autoPlayOnOpen = rememberedAutoPlay;
        return 0;
    }
    const QString path = chosen.first();
    openFile(path);
    settings.autoPlayOnOpen = rememberedAutoPlay;
    const QString chosenFolder = pathFolder(path);   // the dialog gives absolute paths
    if (kind == FileKind::Picture) {
        firstPictureBrowse = false;
        m_lastPictureFolder = chosenFolder;
    } else if (kind == FileKind::Audio) {
        firstAudioBrowse = false;
        m_lastAudioFolder = chosenFolder;
        stopAudio();
    }
    return int(kind);
}

void MainWindow::saveAsCommand()
{
    const QString text = m_outputEdit->text();
    // A text without a separator is both the initial folder and the initial name.
    QString folder = pathFolder(text);
    if (folder.isEmpty())
        folder = text;
    SaveAsDialog dialog(this, folder, pathBareName(text), pathExtension(text));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_outputEdit->setText(dialog.selectedFiles().first());
    m_outputPathTyped = false;
}

void MainWindow::selectOutputPath()
{
    m_outputEdit->setFocus();
    m_outputEdit->selectAll();
}

void MainWindow::createCommand()
{
    const QString path = m_outputEdit->text();
    if (m_outputPathTyped && isNonEmptyFile(path)) {
        if (MessageBox::question(this, QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path),
                                 QMessageBox::No, QStringLiteral("Create Pictune..."))
            != QMessageBox::Yes)
            return;
    }
    m_outputPathTyped = false;

    const QString extension = pathExtension(path);
    if (extension != QLatin1String("webm") && extension != QLatin1String("mpg")) {
        MessageBox::information(this, QStringLiteral("The Save As file path needs to have a \"webm\" or \"mpg\" file extension.\n\nPlease fix this, and try again, thanks."));
        selectOutputPath();
        return;
    }
    if (!isNonEmptyFile(m_picture.currentPicturePath())) {
        MessageBox::information(this, QStringLiteral("The source Picture can not be found.\n\nPlease fix this, and try again, thanks."));
        return;
    }
    // A file that measured 0 seconds cannot be built: nothing may divide by its length.
    if (!isNonEmptyFile(m_audioPath) || !(m_audioDuration > 0.0)) {
        MessageBox::information(this, QStringLiteral("The source Audio File can not be found.\n\nPlease fix this, and try again, thanks."));
        return;
    }
    const QString folder = pathFolder(path);
    if (!isAbsolutePath(path) || !isDirectory(folder)) {
        MessageBox::information(this, QStringLiteral("The Save As directory does not exist.\n\nPlease fix this, and try again, thanks."));
        selectOutputPath();
        return;
    }

    stopAudio();
    const TargetSize &size = TargetSizeTable::instance().current();
    VideoBuildRequest request;
    request.encoderPath = AppSettings::instance().encoderPath;
    request.picturePath = m_picture.currentPicturePath();
    request.audioPath = m_audioPath;
    request.audioDuration = m_audioDuration;
    request.outputPath = path;
    request.videoSize = QSize(size.width, size.height);
    g_buildRunning = true;
    const BuildOutcome outcome = buildPictune(this, request, AppSettings::instance().playerPath);
    g_buildRunning = false;
    if (outcome != BuildOutcome::Canceled)
        m_outputPathTyped = true;
}

void MainWindow::openOptions()
{
    if (m_dropTarget->isAttached())
        revokeDropTarget();
    OptionsDialog dialog(this);
    dialog.exec();
    registerDropTarget();
}

void MainWindow::viewActualSize()
{
    if (m_dropTarget->isAttached())
        revokeDropTarget();
    ActualSizeViewer viewer(m_picture.currentPicturePath(), this);
    viewer.exec();
    registerDropTarget();
    m_menuOpen = false;
}

void MainWindow::showAbout()
{
    const QString text = QStringLiteral(
        "Velmora - Version %1\n\n"
        "Copyright (C) 2026 the Velmora developers.\n"
        "Velmora is provided as is, without warranty of any kind.\n"
        "It drives ImageMagick and FFmpeg, which are the work of their own authors\n"
        "and come under their own licences.")
                             .arg(QStringLiteral(VELMORA_VERSION));
    if (m_dropTarget->isAttached())
        revokeDropTarget();
    MessageBox::information(this, text);
    registerDropTarget();
    m_menuOpen = false;
}

void MainWindow::openWebPage(int command)
{
    for (const WebPage &page : WebPages) {
        if (page.command == command)
            DesktopLauncher::instance().openUrl(QUrl(QString::fromLatin1(page.url)));
    }
    m_menuOpen = false;
}

// ---------------------------------------------------------------- menus

QMenu *MainWindow::createMenu(int menuId)
{
    auto *menu = new QMenu(this);
    // The click that closes a menu must not reach the window as well.
    menu->setAttribute(Qt::WA_NoMouseReplay);
    auto add = [this](QMenu *m, int id, const QString &text) {
        QAction *action = m->addAction(text);
        action->setData(id);
        return action;
    };
    switch (menuId) {
    case 1200: {
        QMenu *sizes = menu->addMenu(QStringLiteral("Target Video Size"));
        sizes->setAttribute(Qt::WA_NoMouseReplay);
        const char *texts[] = {"&720p (1280x720)", "&480p (854x480)", "&360p (640x360)", "&240p (426x240)"};
        for (int i = 0; i < 4; ++i) {
            QAction *a = add(sizes, ID_SIZE_720P + i, QString::fromLatin1(texts[i]));
            a->setCheckable(true);
            a->setChecked(i == AppSettings::instance().targetSizeIndex);
        }
        add(menu, ID_VIEW_ACTUAL_SIZE, QStringLiteral("View Actual Size..."));
        break;
    }
    case 1300:
        add(menu, ID_RESTART_PLAYBACK, QStringLiteral("&Restart Playback"));
        add(menu, ID_STOP_PLAYBACK, QStringLiteral("&Stop"));
        break;
    case 1400:
        for (int i = 0; i < 3; ++i)
            add(menu, WebPages[i].command, QString::fromLatin1(WebPages[i].text));
        menu->addSeparator();
        for (int i = 3; i < 6; ++i)
            add(menu, WebPages[i].command, QString::fromLatin1(WebPages[i].text));
        menu->addSeparator();
        add(menu, ID_ABOUT, QStringLiteral("&About Velmora..."));
        break;
    default:
        break;
    }
    return menu;
}

void MainWindow::showMenu(int menuId)
{
    std::unique_ptr<QMenu> menu(createMenu(menuId));
    QAction *chosen = menu->exec(QCursor::pos());
    const int id = chosen ? chosen->data().toInt() : 0;
    menu.reset();
    m_menuOpen = true;
    if (id != 0)
        runCommand(id);
}

// ---------------------------------------------------------------- frame

void MainWindow::layoutControls()
{
    if (!m_initialized)
        return;
    MainLayoutInput in;
    in.client = size();
    in.initial = QSize(m_initialWidth, m_initialHeight);
    in.createButton = control(IDC_CREATE)->size();
    in.saveAsButton = control(IDC_SAVE_AS)->size();
    in.editHeight = m_outputEdit->height();
    in.titleHeight = m_skin[1].isNull() ? 37 : int(m_skin[1].height() / m_skin[1].devicePixelRatio());
    in.stepMarkerHeight = control(IDC_STEP1_CHECKED)->height();
    in.playButtonWidth = control(IDC_PLAY)->width();
    const TargetSize &target = TargetSizeTable::instance().current();
    in.video = QSize(target.width, target.height);

    const MainLayoutResult r = computeMainLayout(in);
    m_frameGroup.moveBy(r.frameGroupOffset.x(), r.frameGroupOffset.y());
    control(IDC_CREATE)->move(r.createButton);
    control(IDC_SAVE_AS)->move(r.saveAsButton);
    m_outputEdit->setGeometry(r.edit);
    m_pictureBox->setGeometry(r.pictureBox);
    control(IDC_PLAY)->move(r.playButton);
    control(IDC_PAUSE)->move(r.playButton);
    m_stepGroup.moveBy(r.stepGroupOffset.x(), r.stepGroupOffset.y());
    m_cornerGroup.moveBy(r.cornerGroupOffset.x(), r.cornerGroupOffset.y());
    update();
}

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int w = width();
    p.fillRect(rect(), SkinFill);
    auto logical = [](const QPixmap &pm) { return QSizeF(pm.size()) / pm.devicePixelRatio(); };

    const QPixmap &band = m_skin[0];
    if (!band.isNull())
        p.drawTiledPixmap(QRect(0, 0, w, int(logical(band).height())), band);
    const QPixmap &title = m_skin[1];
    if (!title.isNull())
        p.drawPixmap(QPointF(w / 2 - 176 / 2, 37), title);

    const QRect b = m_pictureBox->geometry();
    const int left = b.x();
    const int top = b.y();
    const int right = b.x() + b.width();
    const int bottom = b.y() + b.height();
    auto piece = [&](int index, int x, int y, int pw, int ph) {
        const QPixmap &pm = m_skin[size_t(index)];
        if (pm.isNull() || pw <= 0 || ph <= 0)
            return;
        p.drawTiledPixmap(QRect(x, y, pw, ph), pm);
    };
    piece(2, left - 23, top - 11, 23, 11);
    piece(3, right, top - 11, 23, 11);
    piece(4, right, bottom, 23, 42);
    piece(5, left - 23, bottom, 23, 42);
    piece(6, left, top - 11, b.width(), 11);
    piece(7, right, top, 23, b.height());
    piece(8, left, bottom, b.width(), 42);
    piece(9, left - 23, top, 23, b.height());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutControls();
}

void MainWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_initialized) {
        const bool maximized = isMaximized();
        control(IDC_RESTORE)->setVisible(maximized);
        control(IDC_MAXIMIZE)->setVisible(!maximized);
        layoutControls();
    }
}

Qt::Edges MainWindow::edgesAt(const QPoint &pos) const
{
    if (isMaximized())
        return {};
    Qt::Edges edges;
    if (pos.x() < ResizeMargin)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - ResizeMargin)
        edges |= Qt::RightEdge;
    if (pos.y() < ResizeMargin)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - ResizeMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        if (edges && windowHandle() && windowHandle()->startSystemResize(edges))
            return;
        m_grabOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        m_pressPos = event->globalPosition().toPoint();
        m_dragging = true;
        event->accept();
        return;
    }
    if (event->button() == Qt::RightButton) {
        showMenu(1200);
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        if ((edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge)))
            setCursor((edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
                          ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        QDialog::mouseMoveEvent(event);
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Wayland ignores programmatic moves: hand the drag to the compositor once it is one.
        if ((global - m_pressPos).manhattanLength() >= QGuiApplication::styleHints()->startDragDistance()
            && windowHandle()) {
            m_dragging = false;
            windowHandle()->startSystemMove();
        }
        return;
    }
    move(global - m_grabOffset);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < 26) {
        if (control(IDC_MAXIMIZE)->isVisible())
            runCommand(IDC_MAXIMIZE);
        else
            runCommand(IDC_RESTORE);
    }
    QDialog::mouseDoubleClickEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape never end the window.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::reject()
{
    // A close request from outside (the task bar) ends the window, but never during a build.
    if (g_buildRunning)
        return;
    QDialog::reject();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (g_buildRunning) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void MainWindow::focusFollowsMouse(QWidget *widget)
{
    const int id = widget == this ? 0 : ::controlIdOf(widget);
    if (id >= IDC_MINIMIZE && id <= IDC_HELP && id != IDC_PICTURE) {
        m_lastHoverId = id;
        widget->setFocus(Qt::MouseFocusReason);
    } else if (m_lastHoverId != IDC_OUTPUT_PATH) {
        // The hidden focus-sink button cannot take the focus in Qt: the window itself does.
        setFocus(Qt::MouseFocusReason);
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        const int k = key->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        if (k >= Qt::Key_1 && k <= Qt::Key_4 && !(key->modifiers() & Qt::KeypadModifier)) {
            if (event->type() == QEvent::KeyPress)
                setTargetSize(k - Qt::Key_1);
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_menuOpen) {
            m_menuOpen = false;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton) {
            const int id = ::controlIdOf(widget);
            if (id == IDC_PLAY || id == IDC_PAUSE)
                showMenu(1300);
        }
        break;
    }
    case QEvent::Enter:
        focusFollowsMouse(widget);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
