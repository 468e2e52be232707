#include "mainwindow/MainWindow.h"

#include "CaptionSession.h"
#include "CreateFlow.h"
#include "DropPause.h"
#include "FileBrowser.h"
#include "FrameHandler.h"
#include "MainInputFilter.h"
#include "OutputPath.h"
#include "PictureStep.h"
#include "StepTips.h"
#include "SongCoverFiles.h"
#include "WindowCommands.h"
#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/TargetSizeTable.h"
#include "dialogs/CaptionDialog.h"
#include "mainwindow/AudioStep.h"
#include "mainwindow/FileDropFilter.h"
#include "media/AudioLength.h"
#include "media/AudioPreview.h"
#include "media/FileClassification.h"
#include "media/FontListQuery.h"
#include "media/SongChecker.h"
#include "media/SongCoverReader.h"
#include "widgets/DialogToolTips.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/SkinArtwork.h"
#include "widgets/SkinButton.h"
#include "widgets/WindowMover.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {

// How far from the edge a press resizes the frameless window.
constexpr int ResizeMargin = 6;

struct ButtonCommand
{
    MainWindow::Control button;
    void (MainWindow::*command)();
};

const ButtonCommand ButtonCommands[] = {
    {MainWindow::MinimizeButton, &MainWindow::showMinimized},
    {MainWindow::MaximizeButton, &MainWindow::showMaximized},
    {MainWindow::RestoreButton, &MainWindow::showNormal},
    {MainWindow::ExitButton, &MainWindow::exitWhenConfirmed},
    {MainWindow::Step1Done, &MainWindow::clearPicture},
    {MainWindow::Step1Pending, &MainWindow::browsePicture},
    {MainWindow::Step2Done, &MainWindow::clearAudio},
    {MainWindow::Step2Pending, &MainWindow::browseAudio},
    {MainWindow::Step3Done, &MainWindow::captionOff},
    {MainWindow::Step3Pending, &MainWindow::openCaptionDialog},
    {MainWindow::SaveAsButton, &MainWindow::chooseOutputPath},
    {MainWindow::CreateButton, &MainWindow::createVideo},
    {MainWindow::OptionsButton, &MainWindow::openOptions},
    {MainWindow::HelpButton, &MainWindow::showHelpMenu},
};

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : TemplateDialog(DialogId::MainWindow, parent, Qt::Window | Qt::FramelessWindowHint)
    , m_dropTarget(new FileDropFilter(this))
    , m_menus(new MainMenus(this))
    , m_fontList(new FontListQuery(this))
{
    new WindowMover(this, ResizeMargin);
    setWindowIcon(SkinArtwork::appIcon());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    createControls();
    connectControls();
    // The window has no title bar; the text shows in the task bar.
    setWindowTitle(QStringLiteral("Velmora"));
}

MainWindow::~MainWindow()
{
    // Also when the window ends without the exit question (a close from outside).
    m_audio->shutdown();
}

void MainWindow::createControls()
{
    ControlFactories factories;
    factories.insert(PicturePreview, [](const DialogControlTemplate &, QWidget *parent) -> QWidget * {
        auto *box = new PictureBox(parent);
        // Clicks on the picture are clicks on the window's body.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    });
    createTemplateControls(factories);
    m_pictureBox = controlAs<PictureBox>(PicturePreview);
    m_outputEdit = controlAs<QLineEdit>(OutputPathEdit);
    // A dropped URL must never be pasted into the output path.
    m_outputEdit->setAcceptDrops(false);
    m_outputEdit->setAccessibleName(QStringLiteral("Save As path"));
    m_pictureBox->setAccessibleName(QStringLiteral("Picture preview"));
    m_frame = new FrameHandler(this, {control(MaximizeButton), control(RestoreButton), control(CreateButton),
                                      control(SaveAsButton), m_outputEdit, m_pictureBox, control(PlayButton),
                                      control(PauseButton), control(Step1Done)});
    m_pictureStep = std::make_unique<PictureStep>(this, m_pictureBox, &m_captionSettings, m_canvases);
    m_output = new OutputPath(m_outputEdit, this);
    m_browser = std::make_unique<FileBrowser>(this, this);
    m_previewCheck = new SongChecker(this);
    m_openCheck = new SongChecker(this);
    connect(m_previewCheck, &SongChecker::checked, this, &MainWindow::songCheckedForPreview);
    connect(m_openCheck, &SongChecker::checked, this, &MainWindow::songCheckedForOpen);
    m_audio = new AudioStep(control(PlayButton), control(PauseButton), this);
    m_cover = std::make_unique<SongCoverFiles>(*m_pictureStep, *m_audio);
    connect(m_audio, &AudioStep::songRead, this, &MainWindow::takeSongInfo);
    connect(m_audio, &AudioStep::menuCommandDone, m_menus, [this] { m_menus->setMenuOpen(false); });
    connect(m_cover.get(), &SongCoverFiles::pictureChanged, this, &MainWindow::showPictureStep);
    m_caption = new CaptionSession(this, *m_pictureStep, m_captionSettings);
    m_create = new CreateFlow(this, *m_audio, *m_output, *m_pictureStep);
    m_commands = new WindowCommands(this, m_menus, m_dropTarget, *m_pictureStep);
    connect(m_caption, &CaptionSession::ended, this, [this](bool on) {
        if (on)
            markStep(Step3Done, Step3Pending, true);
        emit captionDialogEnded();
    });
}

void MainWindow::connectControls()
{
    for (const ButtonCommand &entry : ButtonCommands)
        connect(controlAs<QAbstractButton>(entry.button), &QAbstractButton::clicked, this, entry.command);

    using Command = MainMenus::Command;
    for (int i = 0; i < MainMenus::SizeCount; ++i)
        connect(m_menus->sizeAction(i), &QAction::triggered, this, [this, i] { setTargetSize(i); });
    connect(controlAs<QAbstractButton>(PlayButton), &QAbstractButton::clicked, m_audio, &AudioStep::resume);
    connect(controlAs<QAbstractButton>(PauseButton), &QAbstractButton::clicked, m_audio, &AudioStep::pause);
    connect(m_menus->action(Command::RestartPlayback), &QAction::triggered, m_audio, &AudioStep::restart);
    connect(m_menus->action(Command::StopPlayback), &QAction::triggered, m_audio, &AudioStep::stop);
    connect(m_audio, &AudioStep::lengthMeasured, this, &MainWindow::audioMeasured);
    connect(&AppSettings::instance(), &AppSettings::changed, this, &MainWindow::settingChanged);
}

bool MainWindow::initialize()
{
    applyTemplateFont();
    m_initialSize = size();

    const QString audioFailure = m_audio->start();
    if (!audioFailure.isEmpty()) {
        MessageBox::information(this, audioFailure);
        return false;
    }

    // The picture and the path in this range wear no skin: attachAndLoad passes them by.
    for (int id = MinimizeButton; id <= HelpButton; ++id)
        SkinButton::attachAndLoad(id, this);
    m_frame->anchor(controls(MinimizeButton, ExitButton), controls(Step1Done, Step3Pending),
                    controls(OptionsButton, HelpButton));

    attachToolTips();

    setAudioFile(QString());
    m_pictureBox->setDrawMode(PictureBox::FitLetterbox);
    m_dropTarget->attach(this, this);

    m_output->setDefault(AppSettings::instance().read(Settings::DestinationFolder),
                         AppSettings::instance().read(Settings::OutputFormat));

    PictureProblem problem;
    if (!m_canvases.create(AppSettings::instance().imageToolPath(), AppSettings::instance().backgroundColor(), &problem)) {
        MessageBox::information(this, blankCanvasProblemMessage(problem));
        m_canvases.clear();
        // A hung tool has been named; the temporary folder is not to blame then.
        if (problem.kind != PictureProblem::Kind::TimedOut)
            MessageBox::information(this, QStringLiteral("The Blank Bitmap Files could not be created in the system Temp directory.  Sorry, can't continue."));
        return false;
    }
    m_pictureBox->loadFromFile(m_canvases.currentPath());

    setMinimumSize(m_initialSize);
    QList<QWidget *> hoverFocus = controls(MinimizeButton, HelpButton);
    hoverFocus.removeOne(m_pictureBox);
    auto *input = new MainInputFilter(this, hoverFocus, m_outputEdit, m_menus, controls(PlayButton, PauseButton));
    connect(input, &MainInputFilter::targetSizeChosen, this, &MainWindow::setTargetSize);
    connect(input, &MainInputFilter::playbackMenuRequested, this, [this] { m_commands->showMenu(MainMenus::Popup::Playback); });
    m_frame->start(m_initialSize);
    QMetaObject::invokeMethod(this, &MainWindow::runStartupChecks, Qt::QueuedConnection);
    return true;
}

void MainWindow::runStartupChecks()
{
    m_frame->layOut();
    // Read as a job, so that the window stays usable meanwhile and the message comes on time.
    connect(m_fontList, &FontListQuery::finished, this, [this](bool listed) {
        if (!listed) {
            m_captionAfterFontList = false;
            MessageBox::critical(nullptr, QStringLiteral("Can't get the Font List, using the convert executable, specified in:\n\n   %1\n\nSorry, can't continue.")
                                              .arg(AppSettings::instance().iniPath()));
            done(0);
            return;
        }
        if (std::exchange(m_captionAfterFontList, false))
            openCaptionDialog();
    });
    m_fontList->start(AppSettings::instance().imageToolPath());
}

bool MainWindow::fontListPending() const
{
    return m_fontList->isRunning();
}

// ---------------------------------------------------------------- steps

QList<QWidget *> MainWindow::controls(Control first, Control last) const
{
    QList<QWidget *> range;
    for (int id = first; id <= last; ++id)
        range << control(id);
    return range;
}

void MainWindow::markStep(Control done, Control pending, bool isDone)
{
    control(done)->setVisible(isDone);
    control(pending)->setVisible(!isDone);
}

void MainWindow::setStepTip(Control step, const QString &text)
{
    if (DialogToolTips *tips = toolTips())
        tips->updateTip(stepTipText(text), this, step);
}

PicturePreparation &MainWindow::picture()
{
    return m_pictureStep->preparation();
}

bool MainWindow::outputPathTyped() const
{
    return m_output->isTyped();
}

PictureStep *MainWindow::pictureStep() const
{
    return m_pictureStep.get();
}

bool MainWindow::pictureIsSongCover() const
{
    return m_cover->isShown();
}

void MainWindow::setPictureFile(const QString &path, std::optional<PictureFileInfo> info)
{
    m_pictureStep->take(path, true, [this](bool set) {
        showPictureStep(set);
        // Dropped while the text dialog runs: the new picture shows the caption being edited.
        if (set && m_caption->dialog())
            m_pictureStep->previewCaption(m_caption->dialog());
    }, std::move(info));
}

void MainWindow::showPictureStep(bool set)
{
    m_cover->dropUnlessShown();
    markStep(Step1Done, Step1Pending, set);
    setStepTip(Step1Done, pictureStepTip(set, pictureIsSongCover(), picture().sourcePath(), m_cover->songPath()));
}

void MainWindow::setAudioFile(const QString &path)
{
    m_audio->take(path);
    const bool set = !path.isEmpty();
    markStep(Step2Done, Step2Pending, set);
    for (Control id : {PlayButton, PauseButton, CreateButton})
        control(id)->setEnabled(set);
    if (!set)
        m_audio->pause();
    updateAudioTip();
    updateCoverTip();
    if (CaptionDialog *dialog = m_caption->dialog())
        dialog->setSongTags(path, nullptr);
}

void MainWindow::updateAudioTip()
{
    setStepTip(Step2Done, audioStepTip(m_audio->path(), m_audio->isMeasuring(), m_audio->duration(), m_audio->tags()));
}

void MainWindow::updateCoverTip()
{
    setStepTip(Step1Pending, pendingPictureStepTip(m_audio->path(), m_cover->coverProblem()));
}

void MainWindow::takeSongInfo(const SongInfo &info)
{
    updateAudioTip();
    if (CaptionDialog *dialog = m_caption->dialog())
        dialog->setSongTags(info.songPath, &m_audio->tags());
    m_cover->offer(info.coverPath, info.songPath, info.coverProblem);
    updateCoverTip();
}

void MainWindow::audioMeasured(const QString &path, AudioLengthResult result)
{
    // A song deleted since it was chosen stays taken: Create says it can not be found.
    if (result.status == AudioLengthResult::Measured || !isNonEmptyFile(path)) {
        updateAudioTip();
    } else {
        // Opening it went well, but the whole file is no song to build from: let it go, and say why.
        setAudioFile(QString());
        const QString text = result.status == AudioLengthResult::TimedOut
            ? QStringLiteral("The length of the Audio File could not be measured in time:\n\n   %1\n\nPlease choose another Audio File, thanks.")
            : QStringLiteral("The Audio File can not be read:\n\n   %1\n\nPlease choose another Audio File, thanks.");
        MessageBox::information(this, text.arg(path));
    }
    // A Create that waited for this length goes on, unless the song was let go.
    m_create->songMeasured(path);
}

void MainWindow::setTargetSize(int index)
{
    AppSettings &settings = AppSettings::instance();
    // The size holds for this run either way; the user learns that the next run forgets it,
    // after what the picture at the new size had to say (settingChanged).
    if (index >= 0 && index < TargetSizeTable::RowCount && settings.targetSizeIndex() != index)
        m_sizeNotSaved = !settings.set(Settings::TargetVideoSize, index);
    m_menus->setMenuOpen(false);
}

void MainWindow::settingChanged(const QString &key)
{
    if (key != Settings::TargetVideoSize.name)
        return;
    m_pictureStep->redo([this](bool kept) {
        // The picture could not be prepared at the new size: the step goes back to none.
        if (!kept)
            showPictureStep(false);
        if (std::exchange(m_sizeNotSaved, false))
            MessageBox::warning(this, AppSettings::instance().notSavedText());
    });
}

void MainWindow::clearPicture()
{
    setPictureFile(QString());
}

void MainWindow::clearAudio()
{
    setAudioFile(QString());
}

void MainWindow::browsePicture()
{
    browseForFile(FileKind::Picture);
}

void MainWindow::browseAudio()
{
    browseForFile(FileKind::Audio);
}

FileKind MainWindow::browseForFile(FileKind kind)
{
    const DropPause pause(m_dropTarget);
    m_previewKind = PreviewKind::Nothing;
    if (m_browser->choose(kind).isEmpty())
        return FileKind::None;
    if (kind == FileKind::Audio)
        m_audio->stop();
    return kind;
}

QDialog *MainWindow::openFileDialog() const
{
    return m_browser->dialog();
}

void MainWindow::captionOff()
{
    m_captionSettings.textOn = false;
    m_pictureStep->showPlain();
    markStep(Step3Done, Step3Pending, false);
}

void MainWindow::openCaptionDialog()
{
    // The dialog offers the listed fonts: it opens once they are known.
    if (m_fontList->isRunning()) {
        m_captionAfterFontList = true;
        return;
    }
    m_caption->open(m_audio->path(), m_audio->tagsRead() ? &m_audio->tags() : nullptr);
}

QPoint MainWindow::captionDialogPosition() const
{
    return m_caption->position();
}

// ---------------------------------------------------------------- previews and drops

void MainWindow::previewFile(const FileClassification &file)
{
    m_previewCheck->cancel();
    m_previewKind = PreviewKind::Nothing;
    if (file.kind == FileClassification::Kind::Song && !file.checked) {
        m_previewCheck->check(file.path);
        // So that ending the preview stops its check, as it would stop its sound.
        if (m_browser->autoPlay())
            m_previewKind = PreviewKind::Audio;
        return;
    }
    if (file.kind == FileClassification::Kind::Picture) {
        m_pictureBox->loadFromFile(file.path);
        m_previewKind = PreviewKind::Picture;
    } else if (file.kind == FileClassification::Kind::Song && m_browser->autoPlay()) {
        m_audio->preview(file.path);
        m_previewKind = PreviewKind::Audio;
    }
}

void MainWindow::songCheckedForPreview(const FileClassification &file)
{
    if (file.kind == FileClassification::Kind::Song)
        previewFile(file);
    else if (m_dropTarget->isDragActive())
        showPlaceholder();
}

void MainWindow::endPreview()
{
    if (m_previewCheck->isChecking()) {
        m_previewCheck->cancel();
        m_previewKind = PreviewKind::Nothing;
    }
    if (m_previewKind == PreviewKind::Picture || m_pictureBox->isPlaceholder()) {
        m_pictureStep->showCurrent();
        m_pictureBox->update();
    } else if (m_previewKind == PreviewKind::Audio && m_browser->autoPlay()) {
        m_audio->endPreview();
    }
}

void MainWindow::openFile(const FileClassification &file)
{
    if (file.kind == FileClassification::Kind::Song && !file.checked) {
        m_previewBeforeOpen = m_previewCheck->path() == file.path
            || (m_openCheck->path() == file.path && m_previewBeforeOpen);
        if (m_previewCheck->isChecking()) {
            m_previewCheck->cancel();
            m_previewKind = PreviewKind::Nothing;
        }
        m_openCheck->check(file.path);
        return;
    }
    switch (file.kind) {
    case FileClassification::Kind::Nothing:
        return;
    case FileClassification::Kind::Picture:
        setPictureFile(file.path, file.picture);
        return;
    case FileClassification::Kind::Refused:
        // The box leaves the drag's placeholder before the message says why.
        endPreview();
        MessageBox::information(this, refusedPictureMessage(file.path, file.refusal));
        return;
    case FileClassification::Kind::Song:
        break;
    }
    const QString &path = file.path;
    // With auto-play on, the preview of this very file goes on playing. What the player holds
    // decides, not whether something plays: after an earlier preview it may hold another file.
    const bool autoPlay = m_browser->autoPlay();
    if (autoPlay && m_audio->player().path() == path) {
        setAudioFile(path);
        return;
    }
    // Any other song is taken stopped at its start. With auto-play on, no preview played it (a
    // typed name, the box ticked late) and it must open; without, the step takes the file anyway
    // and the measuring tells the user when it turns out to be no audio.
    if (!m_audio->player().open(path) && autoPlay)
        return;
    setAudioFile(path);
    m_audio->pause();
}

void MainWindow::openFile(const QString &path)
{
    openFile(classifyFileQuickly(path));
}

bool MainWindow::isCheckingSong() const
{
    return m_previewCheck->isChecking() || m_openCheck->isChecking();
}

void MainWindow::songCheckedForOpen(const FileClassification &file)
{
    if (file.kind != FileClassification::Kind::Song) {
        // A drop that turned out to be no song leaves no placeholder behind.
        if (m_pictureBox->isPlaceholder())
            endPreview();
        return;
    }
    if (std::exchange(m_previewBeforeOpen, false))
        previewFile(file);
    openFile(file);
}

void MainWindow::showPlaceholder()
{
    m_pictureBox->loadPlaceholder();
}

bool MainWindow::acceptsDrops() const
{
    return !m_pictureStep->isPreparing();
}

QRect MainWindow::previewArea() const
{
    return QRect(WindowMover::serverMapToGlobal(m_pictureBox, QPoint(0, 0)), m_pictureBox->size());
}

int MainWindow::previewCaption(CaptionPreviewSource *dialog)
{
    return m_pictureStep->previewCaption(dialog) ? 1 : 0;
}

// ---------------------------------------------------------------- output and Create

void MainWindow::chooseOutputPath()
{
    m_output->choose();
}

void MainWindow::createVideo()
{
    m_create->create();
}

bool MainWindow::createWaiting() const
{
    return m_create->isWaiting();
}

// ---------------------------------------------------------------- other windows

void MainWindow::openOptions()
{
    m_commands->openOptions();
}

void MainWindow::showHelpMenu()
{
    m_commands->showMenu(MainMenus::Popup::Help);
}

void MainWindow::openUserGuide(UserGuide::Section section)
{
    m_commands->openUserGuide(section);
}

GuideWindow *MainWindow::guideWindow() const
{
    return m_commands->guideWindow();
}

// ---------------------------------------------------------------- frame and input

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_frame->paint(painter);
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    // The window mover takes the left button.
    if (event->button() == Qt::RightButton) {
        m_commands->showMenu(MainMenus::Popup::TargetSize);
        event->accept();
        return;
    }
    TemplateDialog::mousePressEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape never end the window.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- closing

void MainWindow::exitWhenConfirmed()
{
    if (m_create->isBuilding()) {
        MessageBox::information(this, QStringLiteral("A Pictune is currently being created.  Please Cancel its creation before closing, thanks."));
        return;
    }
    if (MessageBox::question(this, QStringLiteral("Are you sure you want to exit?"), QMessageBox::No,
                             MessageBox::caption(), QMessageBox::NoIcon)
        != QMessageBox::Yes)
        return;
    m_create->endWait();
    m_audio->shutdown();
    m_pictureBox->loadFromFile(QString());
    done(0);
}

void MainWindow::reject()
{
    // A close request from outside (the task bar) ends the window, but never during a build.
    if (m_create->isBuilding())
        return;
    m_create->endWait();
    TemplateDialog::reject();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_create->isBuilding()) {
        event->ignore();
        return;
    }
    m_create->endWait();
    TemplateDialog::closeEvent(event);
}
