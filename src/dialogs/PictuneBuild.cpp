#include "dialogs/PictuneBuild.h"

#include "dialogs/BuildProgressDialog.h"
#include "dialogs/CompletionDialog.h"
#include "model/VideoBuildJob.h"
#include "widgets/DesktopHelpers.h"
#include "widgets/MessageBox.h"

BuildOutcome buildPictune(QWidget *owner, const VideoBuildRequest &request, const QString &playerPath)
{
    VideoBuildJob job(request);
    BuildProgressDialog build(&job, owner);
    const auto outcome = static_cast<BuildOutcome>(build.exec());
    switch (outcome) {
    case BuildOutcome::Done: {
        copyTextToClipboard(request.outputPath);
        CompletionDialog complete(request.outputPath, request.videoSize, playerPath, owner);
        complete.exec();
        break;
    }
    case BuildOutcome::Canceled:
        break;
    case BuildOutcome::PermissionDenied:
        MessageBox::information(owner, QStringLiteral("Was not able to create the output file - permission denied."));
        break;
    case BuildOutcome::Failed:
        MessageBox::warning(owner, QStringLiteral("Was not able to create the output file:\n\n   %1\n\n%2")
                                       .arg(request.outputPath, job.failureReason()));
        break;
    }
    return outcome;
}
