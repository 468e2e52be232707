#include "CreateCheck.h"

#include "media/OpenableExtensions.h"

CreateCheck checkCreate(const CreateCheckInput &in)
{
    if (in.outputPathTyped && in.outputExists)
        return CreateCheck::AskReplace;
    const QString extension = pathExtension(in.outputPath);
    if (extension != QLatin1String("webm") && extension != QLatin1String("mpg")
        && extension != QLatin1String("mp4"))
        return CreateCheck::WrongExtension;
    if (!in.pictureExists)
        return CreateCheck::PictureMissing;
    // A song that measured 0 seconds cannot be built: nothing may divide by its length.
    if (!in.audioExists || !(in.audioDuration > 0.0))
        return CreateCheck::AudioMissing;
    if (!in.pathAbsolute || !in.folderExists)
        return CreateCheck::FolderMissing;
    return CreateCheck::Ready;
}

QString createCheckText(CreateCheck check, const QString &outputPath)
{
    switch (check) {
    case CreateCheck::Ready:
        break;
    case CreateCheck::AskReplace:
        return QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(outputPath);
    case CreateCheck::WrongExtension:
        return QStringLiteral("The Save As file path needs to have a \"webm\", \"mpg\" or \"mp4\" file extension.\n\n"
                              "Please fix this, and try again, thanks.");
    case CreateCheck::PictureMissing:
        return QStringLiteral("The source Picture can not be found.\n\nPlease fix this, and try again, thanks.");
    case CreateCheck::AudioMissing:
        return QStringLiteral("The source Audio File can not be found.\n\nPlease fix this, and try again, thanks.");
    case CreateCheck::FolderMissing:
        return QStringLiteral("The Save As directory does not exist.\n\nPlease fix this, and try again, thanks.");
    }
    return {};
}

bool createCheckSelectsPath(CreateCheck check)
{
    return check == CreateCheck::WrongExtension || check == CreateCheck::FolderMissing;
}
