#include "media/OpenableFiles.h"

#include "base/Paths.h"
#include "media/AudioLength.h"
#include "media/OpenableExtensions.h"
#include "media/PictureFile.h"

#include <QDateTime>
#include <QFile>
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

bool isOpenablePicture(const QString &path)
{
    if (OpenableExtensions::kindOf(pathExtension(path)) != FileKind::Picture)
        return false;
    if (regularFileSize(path) <= 0)
        return false;
    return remembered(path, [&] { return !loadPictureFile(path).isNull(); });
}

QString pictureRefusal(const QString &path)
{
    if (OpenableExtensions::kindOf(pathExtension(path)) != FileKind::Picture || regularFileSize(path) <= 0
        || isOpenablePicture(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || sniffPictureFormat(file.read(32)) == PictureFormat::None)
        return {};
    QString why;
    if (loadPictureFile(path, &why).isNull())
        return why;
    return {};
}

bool isOpenableAudio(const QString &path)
{
    if (OpenableExtensions::kindOf(pathExtension(path)) != FileKind::Audio)
        return false;
    if (regularFileSize(path) <= 0)
        return false;
    // Measuring may read the whole file: the window measures later, off its thread.
    return remembered(path, [&] { return probeAudioFile(path); });
}

bool isOpenableFile(const QString &path)
{
    return isOpenablePicture(path) || isOpenableAudio(path);
}
