#include "mainwindow/FileSelection.h"

#include "app/Paths.h"
#include "audio/AudioEngine.h"
#include "mainwindow/OpenableExtensions.h"
#include "pipeline/PictureFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QList>

#include <functional>

namespace {

// A drag asks about the same file on enter, on drop and again when the window takes it: a
// 12-megapixel picture would be decoded each time. Answers are kept for the file as it is now
// (same size and modification time).
struct Answer
{
    QString path;
    qint64 size;
    QDateTime modified;
    bool openable;
};

bool remembered(const QString &path, const std::function<bool()> &check)
{
    static QList<Answer> answers;
    const QFileInfo info(path);
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    for (const Answer &a : answers) {
        if (a.path == path && a.size == size && a.modified == modified)
            return a.openable;
    }
    const bool openable = check();
    answers.prepend({path, size, modified, openable});
    if (answers.size() > 8)
        answers.removeLast();
    return openable;
}

} // namespace

bool IsOpenablePicture(const QString &path)
{
    if (OpenableExtensions::kindOf(PathExtension(path)) != FileKind::Picture)
        return false;
    if (RegularFileSize(path) <= 0)
        return false;
    return remembered(path, [&] { return !LoadPictureFile(path).isNull(); });
}

bool IsOpenableAudio(const QString &path)
{
    if (OpenableExtensions::kindOf(PathExtension(path)) != FileKind::Audio)
        return false;
    if (RegularFileSize(path) <= 0)
        return false;
    return remembered(path, [&] {
        double seconds = 0.0;
        return MeasureAudioFile(path, seconds);
    });
}

bool IsOpenableFile(const QString &path)
{
    return IsOpenablePicture(path) || IsOpenableAudio(path);
}
