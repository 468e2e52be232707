#include "dialogs/PictuneBuild.h"

#include "base/DesktopHelpers.h"
#include "base/MessageBox.h"
#include "dialogs/BuildProgressDialog.h"
#include "dialogs/CompletionDialog.h"

#include <QFile>

int buildPictune(QWidget *owner, const PictuneBuildRequest &request)
{
    BuildProgressDialog build(owner, request.picturePath, request.audioPath,
                                        request.audioDuration, request.outputPath);
    const int result = build.exec();
    switch (result) {
    case BuildProgressDialog::BuildDone: {
        copyTextToClipboard(request.outputPath);
        CompletionDialog complete(owner, request.outputPath);
        complete.exec();
        break;
    }
    case BuildProgressDialog::BuildCanceled:
        // A partly written video must not stay behind.
        QFile::remove(request.outputPath);
        break;
    case BuildProgressDialog::BuildPermissionDenied:
        MessageBox::information(owner, QStringLiteral("Was not able to create the output file - permission denied."));
        break;
    case BuildProgressDialog::BuildFailed:
        MessageBox::warning(owner, build.failureMessage());
        break;
    default:
        break;
    }
    return result;
}
