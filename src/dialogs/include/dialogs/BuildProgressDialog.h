#pragma once

#include "model/VideoBuild.h"
#include "widgets/DialogFont.h"

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTemporaryFile;
class QTimer;
class ElidedPathLabel;
class ToolRun;

// The modal dialog in which a video is built: it runs the encoder on the prepared picture and the
// audio, shows how far it has come, lets the user cancel, and ends with a result code.
// The build starts by itself once the dialog is shown; the dialog closes by itself afterwards.
class BuildProgressDialog : public QDialog
{
    Q_OBJECT

public:
    enum Result {
        BuildDone = 1,
        BuildCanceled = 2,
        BuildPermissionDenied = 3,
        // The encoder could not start, failed or wrote nothing: failureMessage() says why, and
        // whatever the encoder had written is already deleted.
        BuildFailed = 4,
    };

    enum Control {
        IDC_CANCEL = 2000,
        IDC_BUILDING_PATH = 2001,
        IDC_VIDEO_SIZE = 2002,
        IDC_PROGRESS = 2003,
        IDC_PERCENT = 2004,
    };

    // The size is the current target size at construction.
    BuildProgressDialog(QWidget *parent, const QString &picturePath,
                                  const QString &audioPath, double audioDuration,
                                  const QString &outputPath);
    ~BuildProgressDialog() override;

    QString picturePath() const { return m_picturePath; }
    QString audioPath() const { return m_audioPath; }
    double audioDuration() const { return m_audioDuration; }
    QString outputPath() const { return m_outputPath; }
    int sizeIndex() const { return m_sizeIndex; }

    // The text to show the user after BuildFailed.
    QString failureMessage() const;
    // The encoder's process id while it runs, else 0.
    qint64 encoderProcessId() const;

public slots:
    // The Cancel button, Escape and the close box: ask the running encoder to stop.
    void requestCancel();
    // Escape only asks for a cancel: the dialog ends by itself once the encoder has stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildBegin();
    void toolLine(const QString &line);
    bool makePrivatePictureCopy(QString &copyPath);
    void finish(int result, int pauseMs);

    QString m_picturePath;
    QString m_audioPath;
    double m_audioDuration;
    QString m_outputPath;
    int m_sizeIndex;

    QPushButton *m_cancelButton;
    ElidedPathLabel *m_pathLabel;
    ElidedPathLabel *m_sizeLabel;
    QProgressBar *m_progress;
    QLabel *m_percentLabel;
    QTimer *m_finishTimer;
    DialogFontState m_fontState;

    int m_range = 1;
    bool m_buildPosted = false;
    bool m_cancelRequested = false;
    int m_pendingResult = 0;
    ToolRun *m_run = nullptr;
    std::unique_ptr<QTemporaryFile> m_pictureCopy;
    QString m_failureReason;
};
