#pragma once

#include "widgets/TemplateDialog.h"

#include <QElapsedTimer>

enum class BuildOutcome;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class ElidedPathLabel;
class VideoBuildJob;

// The modal dialog that shows a video build: where it goes, its size, how far it has come, the time
// it has taken and, once its pace is known, the time it probably still needs, and a Cancel button. The build starts once the dialog is shown; the dialog never hides while the
// encoder runs and ends by itself with the build's outcome (int(BuildOutcome)).
class BuildProgressDialog : public TemplateDialog
{
    Q_OBJECT

public:
    enum Control {
        CancelButton = 2000,
        OutputPathLabel = 2001,
        VideoSizeLabel = 2002,
        ProgressBar = 2003,
        PercentLabel = 2004,
        ElapsedLabel = 2005,
        TimeLeftLabel = 2006,
    };

    // The job is not taken over and must outlive the dialog.
    BuildProgressDialog(VideoBuildJob *job, QWidget *parent = nullptr);

    VideoBuildJob *job() const { return m_job; }
    // A duration as the dialog shows it: m:ss, or h:mm:ss from an hour on.
    static QString timeText(qint64 seconds);

public slots:
    // The Cancel button, Escape and the close box: ask the job to stop its encoder.
    void requestCancel();
    // Escape only asks for a cancel: the dialog ends by itself once the encoder has stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showProgress(int position, int percent);
    void showEncoderEnded(BuildOutcome outcome);
    void showTimes();

    VideoBuildJob *m_job;
    QPushButton *m_cancelButton;
    ElidedPathLabel *m_pathLabel;
    ElidedPathLabel *m_sizeLabel;
    QProgressBar *m_progress;
    QLabel *m_percentLabel;
    QLabel *m_elapsedLabel;
    QLabel *m_timeLeftLabel;
    QElapsedTimer m_sinceStart;
    QTimer *m_clock;
    int m_position = 0;
    // The encoder's first report, where the pace is measured from; -1 before it.
    qint64 m_firstReportMs = -1;
    int m_firstPosition = 0;
};
