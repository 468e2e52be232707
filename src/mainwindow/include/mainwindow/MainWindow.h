#pragma once

#include "dialogs/CaptionPreview.h"
#include "dialogs/FilePreviewReceiver.h"
#include "media/OpenableExtensions.h"
#include "model/CaptionSettings.h"
#include "model/PicturePreparation.h"
#include "widgets/AnchorGroup.h"
#include "widgets/DialogFont.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>

#include <array>
#include <memory>

class AudioPreview;
class SkinButton;
class DialogToolTips;
class FileDropFilter;
class PictureBox;
class QLineEdit;
class QMenu;

// The main window: three steps (picture, audio, optional caption), the preview, the output path
// and Create, inside a frameless skinned window.
class MainWindow : public QDialog, public FilePreviewReceiver, public CaptionPreviewTarget
{
    Q_OBJECT

public:
    enum Control {
        IDC_FOCUS_SINK = 1100,
        IDC_MINIMIZE = 1101,
        IDC_MAXIMIZE = 1102,
        IDC_RESTORE = 1103,
        IDC_EXIT = 1104,
        IDC_STEP1_CHECKED = 1105,
        IDC_STEP1_UNCHECKED = 1106,
        IDC_STEP2_CHECKED = 1107,
        IDC_STEP2_UNCHECKED = 1108,
        IDC_STEP3_CHECKED = 1109,
        IDC_STEP3_UNCHECKED = 1110,
        IDC_PICTURE = 1111,
        IDC_PLAY = 1112,
        IDC_PAUSE = 1113,
        IDC_SAVE_AS = 1114,
        IDC_OUTPUT_PATH = 1115,
        IDC_CREATE = 1116,
        IDC_OPTIONS = 1117,
        IDC_HELP = 1118,
    };

    enum Command {
        ID_SIZE_720P = 1201,
        ID_SIZE_480P = 1202,
        ID_SIZE_360P = 1203,
        ID_SIZE_240P = 1204,
        ID_VIEW_ACTUAL_SIZE = 1205,
        ID_RESTART_PLAYBACK = 1301,
        ID_STOP_PLAYBACK = 1302,
        ID_USER_GUIDE = 1401,
        ID_TRAINING_VIDEOS = 1402,
        ID_HELP_DESK = 1403,
        ID_OTHER_PRODUCT_1 = 1405,
        ID_OTHER_PRODUCT_2 = 1406,
        ID_OTHER_PRODUCT_3 = 1407,
        ID_ABOUT = 1409,
    };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The window's initialization; false after a failure's message (the window must not run).
    bool initialize();

    // WM_INIT_CHECKS: lays the window out and reads the font list; ends the window on failure.
    int initChecks();

    void setPictureFile(const QString &path);
    void setAudioFile(const QString &path);
    bool confirmExit();
    void layoutControls();

    void playAudio(const QString &path);
    void pauseAudio();
    void restartAudio();
    void stopAudio();

    // FilePreviewReceiver
    int previewFile(const QString &path) override;
    int endPreview() override;
    int openFile(const QString &path) override;
    int showPlaceholder() override;
    int previewKind() const override { return m_previewKind; }
    bool acceptsDrops() const override { return !m_preparingPicture; }

    // CaptionPreviewTarget (WM_TEXT_PREVIEW)
    int previewCaption(CaptionPreviewSource *dialog) override;

    // Commands of the buttons and menus, by id.
    void runCommand(int id);
    void saveAsCommand();
    void createCommand();
    // Opens the open-file dialog; returns the kind taken, 0 when cancelled.
    int browseForFile(FileKind kind);
    void setTargetSize(int index);

    // State for tests and the layout.
    QWidget *control(int id) const;
    AudioPreview &audioPreview() const;
    PictureBox *pictureBox() const { return m_pictureBox; }
    QLineEdit *outputEdit() const { return m_outputEdit; }
    PicturePreparation &picture() { return m_picture; }
    CaptionSettings &textSettings() { return m_textSettings; }
    const QString &audioPath() const { return m_audioPath; }
    double audioDuration() const { return m_audioDuration; }
    bool playing() const { return m_playing; }
    bool outputPathTyped() const { return m_outputPathTyped; }
    bool menuOpen() const { return m_menuOpen; }
    FileDropFilter *dropTarget() const { return m_dropTarget; }
    QSize initialSize() const { return {m_initialWidth, m_initialHeight}; }
    QPoint textDialogPosition() const { return {m_textDialogX, m_textDialogY}; }
    static bool buildRunning();

    // The open-file dialog while it runs (tests drive it), else null.
    QDialog *openFileDialog() const { return m_openFileDialog; }

    // What the menus show: each entry's text and command id (0 for a separator or sub-menu).
    QMenu *createMenu(int menuId);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectControls();
    void showMenu(int menuId);
    void markStep(int checkedId, int uncheckedId, bool done);
    void textOff();
    void openTextDialog();
    void openOptions();
    void viewActualSize();
    void showAbout();
    void openWebPage(int command);
    void revokeDropTarget();
    void registerDropTarget();
    bool prepareSourcePicture(const QString &path);
    void focusFollowsMouse(QWidget *widget);
    Qt::Edges edgesAt(const QPoint &pos) const;
    void selectOutputPath();

    PictureBox *m_pictureBox = nullptr;
    QLineEdit *m_outputEdit = nullptr;
    std::unique_ptr<DialogToolTips> m_toolTips;
    // Owned here, started by initialize(), shut down by the exit question or the destructor.
    std::unique_ptr<AudioPreview> m_audio;
    FileDropFilter *m_dropTarget = nullptr;
    DialogFontState m_fontState;
    AnchorGroup m_frameGroup;
    AnchorGroup m_stepGroup;
    AnchorGroup m_cornerGroup;
    std::array<QPixmap, 10> m_skin; // 1500-1509

    int m_initialWidth = 0;
    int m_initialHeight = 0;
    bool m_dragging = false;
    QPoint m_grabOffset;
    QPoint m_pressPos;
    bool m_menuOpen = false;
    int m_textDialogX = -1;
    int m_textDialogY = -1;
    bool m_textPreviewBusy = false;
    bool m_playing = false;
    int m_previewKind = 0;
    int m_lastHoverId = 0;
    QString m_lastPictureFolder;
    QString m_lastAudioFolder;
    bool m_outputPathTyped = true;
    bool m_preparingPicture = false;
    bool m_initialized = false;

    PicturePreparation m_picture;
    QString m_audioPath;
    double m_audioDuration = 0.0;
    CaptionSettings m_textSettings;
    QPointer<QDialog> m_openFileDialog;
};
