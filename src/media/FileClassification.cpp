#include "media/FileClassification.h"

#include "base/Paths.h"
#include "media/AudioLength.h"
#include "media/OpenableExtensions.h"

#include <QDateTime>
#include <QFileInfo>
#include <QList>

#include <utility>

namespace {

FileClassification classifyPicture(const QString &path)
{
    FileClassification file;
    file.path = path;
    QString why;
    if (!loadPictureFile(path, &why, &file.picture).isNull()) {
        file.kind = FileClassification::Kind::Picture;
        return file;
    }
    // Content that is no picture at all (a text named .jpg) is passed over in silence; a picture
    // the program can not use is refused with the reason, so the user learns it.
    if (file.picture.format != PictureFormat::None && !why.isEmpty()) {
        file.kind = FileClassification::Kind::Refused;
        file.refusal = why;
    }
    file.picture = {};
    return file;
}

FileClassification classifySong(const QString &path)
{
    FileClassification file;
    file.path = path;
    if (probeAudioFile(path))
        file.kind = FileClassification::Kind::Song;
    return file;
}

// A 12-megapixel picture takes a while to decode, and a drag asks on entering and again on
// dropping: answers are kept for the file as it is now (same size and modification time).
struct Answer
{
    qint64 size;
    QDateTime modified;
    FileClassification file;
};

} // namespace

FileClassification classifyFile(const QString &path)
{
    const FileKind kind = OpenableExtensions::kindOf(pathExtension(path));
    const qint64 size = regularFileSize(path);
    if (kind == FileKind::None || size <= 0) {
        FileClassification nothing;
        nothing.path = path;
        return nothing;
    }
    static QList<Answer> answers;
    const QDateTime modified = QFileInfo(path).lastModified();
    for (const Answer &a : std::as_const(answers)) {
        if (a.file.path == path && a.size == size && a.modified == modified)
            return a.file;
    }
    const FileClassification file = kind == FileKind::Picture ? classifyPicture(path) : classifySong(path);
    answers.prepend({size, modified, file});
    if (answers.size() > 8)
        answers.removeLast();
    return file;
}

QString notOpenableReason(const FileClassification &file)
{
    if (file.kind == FileClassification::Kind::Refused && !file.refusal.isEmpty())
        return file.refusal;
    const QFileInfo info(file.path);
    if (file.path.isEmpty() || !info.exists())
        return QStringLiteral("It does not exist.");
    if (info.isDir())
        return QStringLiteral("It is a folder.");
    if (!info.isFile())
        return QStringLiteral("It is not a plain file.");
    if (info.size() == 0)
        return QStringLiteral("It is empty.");
    return QStringLiteral("It is neither a picture nor a song.");
}
