#include "pipeline/PictuneBuild.h"

#include "app/MessageBox.h"
#include "app/ShellHelpers.h"
#include "pipeline/CVelmoraPictuneCompleteDlg.h"
#include "pipeline/CVelmoraVideoBuildProgressDlg.h"

#include <QFile>

int BuildPictune(QWidget *owner, const PictuneBuildRequest &request)
{
    CVelmoraVideoBuildProgressDlg build(owner, request.picturePath, request.audioPath,
                                        request.audioDuration, request.outputPath);
    const int result = build.exec();
    switch (result) {
    case CVelmoraVideoBuildProgressDlg::BuildDone: {
        CopyTextToClipboard(request.outputPath);
        CVelmoraPictuneCompleteDlg complete(owner, request.outputPath);
        complete.exec();
        break;
    }
    case CVelmoraVideoBuildProgressDlg::BuildCanceled:
        // A partly written video must not stay behind.
        QFile::remove(request.outputPath);
        break;
    case CVelmoraVideoBuildProgressDlg::BuildPermissionDenied:
        ShowMessage(owner, MessageCaption, MB_OK,
                    QStringLiteral("Was not able to create the output file - permission denied."));
        break;
    case CVelmoraVideoBuildProgressDlg::BuildFailed:
        ShowMessage(owner, MessageCaption, MB_ICONEXCLAMATION, build.failureMessage());
        break;
    default:
        break;
    }
    return result;
}
