#pragma once

#include "dialogs/CaptionPreview.h"
#include "dialogs/FilePreviewReceiver.h"
#include "dialogs/UserGuide.h"
#include "mainwindow/AudioStep.h"
#include "mainwindow/MainMenus.h"
#include "media/OpenableExtensions.h"
#include "media/PictureFile.h"
#include "model/BlankCanvases.h"
#include "model/CaptionSettings.h"
#include "widgets/TemplateDialog.h"

#include <QList>

#include <memory>
#include <optional>

class AudioPreview;
class CaptionDialog;
class CaptionSession;
class CreateFlow;
class FileBrowser;
class FileDropFilter;
class FontListQuery;
class FrameHandler;
class GuideWindow;
class OutputPath;
class PictureBox;
class PicturePreparation;
class PictureStep;
class SongChecker;
class SongCoverFiles;
class WindowCommands;
class QLineEdit;
struct SongInfo;

// The main window: three steps (picture, audio, optional caption), the preview, the output path
// and Create, inside a frameless skinned window.
class MainWindow : public TemplateDialog, public FilePreviewReceiver, public CaptionPreviewTarget
{
    Q_OBJECT

public:
    // The window's controls by their template ids.
    enum Control {
        FocusSink = 1100,
        MinimizeButton = 1101,
        MaximizeButton = 1102,
        RestoreButton = 1103,
        ExitButton = 1104,
        Step1Done = 1105,
        Step1Pending = 1106,
        Step2Done = 1107,
        Step2Pending = 1108,
        Step3Done = 1109,
        Step3Pending = 1110,
        PicturePreview = 1111,
        PlayButton = 1112,
        PauseButton = 1113,
        SaveAsButton = 1114,
        OutputPathEdit = 1115,
        CreateButton = 1116,
        OptionsButton = 1117,
        HelpButton = 1118,
    };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The window's start: font, audio, skin, tips, drops and the blank canvases; false after a
    // failure's message (the window must not run). The layout and font list follow once the
    // event loop runs.
    bool initialize();

    // `info`: the picture's header, when the caller has just read it.
    void setPictureFile(const QString &path, std::optional<PictureFileInfo> info = {});
    void setAudioFile(const QString &path);
    void setTargetSize(int index);
    // True while step 1 shows the cover of the song of step 2, not a picture the user chose.
    bool pictureIsSongCover() const;
    // Opens the open-file dialog; returns the kind of file taken, None when cancelled.
    FileKind browseForFile(FileKind kind);

    // What the buttons do.
    void exitWhenConfirmed();
    void clearPicture();
    void browsePicture();
    void clearAudio();
    void browseAudio();
    void captionOff();
    // Waits for the font list while it is being read.
    void openCaptionDialog();
    // The image tool's font list is still being read.
    bool fontListPending() const;
    void chooseOutputPath();
    void createVideo();
    void openOptions();
    void showHelpMenu();

    // The guide's section in its window (made once, then brought up again).
    void openUserGuide(UserGuide::Section section);
    // The guide's window while it is open, else null.
    GuideWindow *guideWindow() const;

    // FilePreviewReceiver
    void previewFile(const FileClassification &file) override;
    void endPreview() override;
    void openFile(const FileClassification &file) override;
    // Takes a named file the way a drop takes it.
    void openFile(const QString &path);
    // A song's content is being checked before it is previewed or opened.
    bool isCheckingSong() const;
    void showPlaceholder() override;
    PreviewKind previewKind() const override { return m_previewKind; }
    bool acceptsDrops() const override;
    QRect previewArea() const override;

    // CaptionPreviewTarget
    int previewCaption(CaptionPreviewSource *dialog) override;

    // State for tests and the layout.
    AudioStep &audio() const { return *m_audio; }
    AudioPreview &audioPreview() const { return m_audio->player(); }
    PictureBox *pictureBox() const { return m_pictureBox; }
    QLineEdit *outputEdit() const { return m_outputEdit; }
    PicturePreparation &picture();
    // The picture step (tests wait for its signals) and the blank canvases it falls back on.
    PictureStep *pictureStep() const;
    const BlankCanvases &blankCanvases() const { return m_canvases; }
    // The owner of the song's cover copies (tests wait for its signals).
    SongCoverFiles *songCover() const { return m_cover.get(); }
    CaptionSettings &captionSettings() { return m_captionSettings; }
    const QString &audioPath() const { return m_audio->path(); }
    double audioDuration() const { return m_audio->duration(); }
    bool playing() const { return m_audio->isPlaying(); }
    bool outputPathTyped() const;
    bool menuOpen() const { return m_menus->isMenuOpen(); }
    // Create was clicked while the song was measured and goes on once its length is in.
    bool createWaiting() const;
    FileDropFilter *dropTarget() const { return m_dropTarget; }
    MainMenus *menus() const { return m_menus; }
    QSize initialSize() const { return m_initialSize; }
    QPoint captionDialogPosition() const;
    // The open-file dialog while it runs (tests drive it), else null.
    QDialog *openFileDialog() const;

signals:
    // The caption dialog has ended and what its OK or Cancel called for is done.
    void captionDialogEnded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectControls();
    void runStartupChecks();
    QList<QWidget *> controls(Control first, Control last) const;
    void markStep(Control done, Control pending, bool isDone);
    void setStepTip(Control step, const QString &text);
    void showPictureStep(bool set);
    void updateAudioTip();
    // Step 1's empty marker says why the song's cover was left out.
    void updateCoverTip();
    // A song was read: its tags go to the tooltip and the caption dialog, its cover to step 1
    // unless the user chose a picture.
    void takeSongInfo(const SongInfo &info);
    // A setting the window follows was set (the target size).
    void settingChanged(const QString &key);
    // The song's length has arrived, or the song turned out to be unusable.
    void audioMeasured(const QString &path, AudioLengthResult result);
    // A song to preview or to open has been checked; the request goes on as if it had been
    // checked when it was made.
    void songCheckedForPreview(const FileClassification &file);
    void songCheckedForOpen(const FileClassification &file);

    PictureBox *m_pictureBox = nullptr;
    QLineEdit *m_outputEdit = nullptr;
    FileDropFilter *m_dropTarget = nullptr;
    MainMenus *m_menus = nullptr;
    OutputPath *m_output = nullptr;
    // Started by initialize(), shut down by the exit question or the destructor.
    AudioStep *m_audio = nullptr;
    BlankCanvases m_canvases;
    std::unique_ptr<PictureStep> m_pictureStep;
    std::unique_ptr<SongCoverFiles> m_cover;
    std::unique_ptr<FileBrowser> m_browser;
    FrameHandler *m_frame = nullptr;
    CreateFlow *m_create = nullptr;
    WindowCommands *m_commands = nullptr;
    QSize m_initialSize;

    // The last size chosen could not be saved: said once the picture is redone at that size.
    bool m_sizeNotSaved = false;
    PreviewKind m_previewKind = PreviewKind::Nothing;
    // Songs are checked off the window's thread: the latest preview and the latest open, each
    // superseding the one before.
    SongChecker *m_previewCheck = nullptr;
    SongChecker *m_openCheck = nullptr;
    // The song being checked for opening was being checked for its preview too: it is previewed
    // first, as a drop that plays on entering is.
    bool m_previewBeforeOpen = false;
    CaptionSettings m_captionSettings;
    CaptionSession *m_caption = nullptr;
    FontListQuery *m_fontList = nullptr;
    // The caption dialog was asked for while the font list was being read.
    bool m_captionAfterFontList = false;
};
