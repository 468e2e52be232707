#include "mainwindow/FileSelection.h"

#include "app/Paths.h"
#include "audio/AudioEngine.h"
#include "mainwindow/OpenableExtensions.h"
#include "pipeline/PictureFile.h"

bool IsOpenablePicture(const QString &path)
{
    if (OpenableExtensions::kindOf(PathExtension(path)) != FileKind::Picture)
        return false;
    if (RegularFileSize(path) <= 0)
        return false;
    return !LoadPictureFile(path).isNull();
}

bool IsOpenableAudio(const QString &path)
{
    if (OpenableExtensions::kindOf(PathExtension(path)) != FileKind::Audio)
        return false;
    double seconds = 0.0;
    return MeasureAudioFile(path, seconds);
}

bool IsOpenableFile(const QString &path)
{
    return IsOpenablePicture(path) || IsOpenableAudio(path);
}
