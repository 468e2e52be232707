#include "model/PictureProblem.h"

#include "model/ImageToolArguments.h"

QString pictureProblemMessage(const PictureProblem &problem)
{
    switch (problem.kind) {
    case PictureProblem::Kind::None:
    case PictureProblem::Kind::Canceled:
        break;
    case PictureProblem::Kind::Refused:
        return refusedPictureMessage(problem.path, problem.detail);
    case PictureProblem::Kind::TimedOut:
        return imageToolTimedOutText(problem.detail, problem.timeoutMs);
    case PictureProblem::Kind::Failed:
        return QStringLiteral("Could not create a Temp Image Bitmap here:\n\n   %1\n\n"
                              "Possibly a bad source image file?\n\nOr an invalid Temp directory?")
            .arg(problem.path);
    }
    return {};
}

QString blankCanvasProblemMessage(const PictureProblem &problem)
{
    if (problem.kind == PictureProblem::Kind::TimedOut)
        return imageToolTimedOutText(problem.detail, problem.timeoutMs) + QStringLiteral("\n\nSorry, can't continue.");
    if (problem.isNone())
        return {};
    return QStringLiteral("Could not create a Temp Blank Image Bitmap here:\n\n   %1\n\n"
                          "Possibly an invalid Temp directory?")
        .arg(problem.path);
}
