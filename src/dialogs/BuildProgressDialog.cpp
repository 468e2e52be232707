#include "dialogs/BuildProgressDialog.h"

#include "model/VideoBuild.h"
#include "model/VideoBuildJob.h"
#include "widgets/DialogTemplate.h"
#include "widgets/ElidedPathLabel.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

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
    connect(m_job, &VideoBuildJob::finished, this, [this](BuildOutcome outcome) { done(int(outcome)); });
}

void BuildProgressDialog::showEvent(QShowEvent *event)
{
    TemplateDialog::showEvent(event);
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
}

void BuildProgressDialog::showEncoderEnded(BuildOutcome outcome)
{
    m_cancelButton->setEnabled(false);
    if (outcome == BuildOutcome::Canceled)
        m_percentLabel->setText(QStringLiteral("*** Canceled ***"));
}
