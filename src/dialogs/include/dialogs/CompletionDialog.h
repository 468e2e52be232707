#pragma once

#include "widgets/TemplateDialog.h"

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// Offered after a successful build: upload the new video, play it, or show it in the file manager.
// Stays open until closed, so several of these can be done one after the other.
class CompletionDialog : public TemplateDialog
{
    Q_OBJECT

public:
    enum Control {
        UploadNowButton = 2100,
        OpenWithPlayerButton = 2101,
        LocateFileButton = 2102,
        CloseButton = 2,
    };

    // playerPath: the video player that "Open with Video Player" starts; videoSize: the video's
    // frame size, which sizes the player's window (unknown when empty).
    CompletionDialog(const QString &outputPath, const QSize &videoSize, const QString &playerPath,
                     QWidget *parent = nullptr);

    QString outputPath() const { return m_outputPath; }
    // Client heights: the first hides the player's key help below the visible area.
    int compactHeight() const { return m_compactHeight; }
    int fullHeight() const { return m_fullHeight; }

    static QString uploadPageUrl();
    // The player's parameters: play the file over and over (999 times) and exit at its end. Given
    // the video's size and a work area, its window keeps the video's aspect, is scaled down where
    // the video with the player's frame (guessed as `frame`) would not fit the work area, and is
    // centered in it.
    static QStringList playerArguments(const QString &outputPath, const QSize &videoSize = QSize(),
                                       const QRect &workArea = QRect(), const QMargins &frame = QMargins());
    // What the user reads when neither the file manager nor the desktop could show the video.
    static QString locateFailedMessage(const QString &outputPath);

public slots:
    void uploadNow();
    void openWithVideoPlayer();
    void locateFile();
    // Close, Escape and the close box end the dialog with 2.
    void reject() override;

private:
    QString m_outputPath;
    QSize m_videoSize;
    QString m_playerPath;
    int m_compactHeight = 0;
    int m_fullHeight = 0;
};
