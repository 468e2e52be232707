#include "dialogs/BuildProgressDialog.h"

#include "model/VideoBuild.h"
#include "model/VideoBuildJob.h"
#include "widgets/DialogTemplate.h"
#include "widgets/ElidedPathLabel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

BuildProgressDialog::BuildProgressDialog(VideoBuildJob *job, QWidget *parent)
    : TemplateDialog(DialogId::BuildProgress, parent)
    , m_job(job)
{
    const auto pathLabel = [](const DialogControlTemplate &item, QWidget *parent) -> QWidget * {
        auto *label = new ElidedPathLabel(parent);
        label->setText(item.text);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    buildFixedLayout({{OutputPathLabel, pathLabel}, {VideoSizeLabel, pathLabel}});

    m_cancelButton = controlAs<QPushButton>(CancelButton);
    m_pathLabel = controlAs<ElidedPathLabel>(OutputPathLabel);
    m_sizeLabel = controlAs<ElidedPathLabel>(VideoSizeLabel);
    m_progress = controlAs<QProgressBar>(ProgressBar);
    m_percentLabel = controlAs<QLabel>(PercentLabel);
    m_elapsedLabel = controlAs<QLabel>(ElapsedLabel);
    m_timeLeftLabel = controlAs<QLabel>(TimeLeftLabel);
    m_progress->setAccessibleName(QStringLiteral("Build progress"));

    const VideoBuildRequest &request = m_job->request();
    m_pathLabel->setText(request.outputPath);
    m_pathLabel->setToolTip(request.outputPath);
    m_sizeLabel->setText(QStringLiteral("%1x%2").arg(request.videoSize.width()).arg(request.videoSize.height()));
    m_progress->setRange(0, m_job->progressMaximum());
    m_progress->setValue(0);
    m_percentLabel->setText(QStringLiteral("0 %"));

    connect(m_cancelButton, &QPushButton::clicked, this, &BuildProgressDialog::requestCancel);
    connect(m_job, &VideoBuildJob::progressChanged, this, &BuildProgressDialog::showProgress);
    connect(m_job, &VideoBuildJob::encoderEnded, this, &BuildProgressDialog::showEncoderEnded);
    connect(m_job, &VideoBuildJob::finished, this, [this](BuildOutcome outcome) {
        m_clock->stop();
        done(int(outcome));
    });
    // The elapsed time moves on between the encoder's reports, which may be seconds apart.
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    m_clock->setTimerType(Qt::PreciseTimer);
    connect(m_clock, &QTimer::timeout, this, &BuildProgressDialog::showTimes);
}

QString BuildProgressDialog::timeText(qint64 seconds)
{
    const QChar zero = QLatin1Char('0');
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg((seconds / 60) % 60, 2, 10, zero).arg(seconds % 60, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, zero);
}

void BuildProgressDialog::showTimes()
{
    const qint64 elapsed = m_sinceStart.elapsed();
    m_elapsedLabel->setText(QStringLiteral("Elapsed: %1").arg(timeText(elapsed / 1000)));
    if (m_firstReportMs < 0)
        return;
    if (const std::optional<qint64> left = secondsLeft(elapsed - m_firstReportMs, m_position - m_firstPosition,
                                                       m_job->progressMaximum() - m_position))
        m_timeLeftLabel->setText(QStringLiteral("Time left: about %1").arg(timeText(*left)));
}

void BuildProgressDialog::showEvent(QShowEvent *event)
{
    TemplateDialog::showEvent(event);
    m_sinceStart.start();
    m_clock->start();
    m_job->start();
}

void BuildProgressDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    requestCancel();
}

void BuildProgressDialog::requestCancel()
{
    m_job->cancel();
}

void BuildProgressDialog::reject()
{
    requestCancel();
}

void BuildProgressDialog::showProgress(int position, int percent)
{
    m_progress->setValue(position);
    m_percentLabel->setText(QStringLiteral("%1 %").arg(percent));
    m_position = position;
    if (m_firstReportMs < 0) {
        m_firstReportMs = m_sinceStart.elapsed();
        m_firstPosition = position;
    }
    showTimes();
}

void BuildProgressDialog::showEncoderEnded(BuildOutcome outcome)
{
    m_cancelButton->setEnabled(false);
    if (outcome == BuildOutcome::Canceled) {
        m_percentLabel->setText(QStringLiteral("*** Canceled ***"));
        m_clock->stop();
        m_timeLeftLabel->clear();
    }
}
