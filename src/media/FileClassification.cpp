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


// A 12-megapixel picture takes a while to decode, and a drag asks on entering and again on
// dropping: answers are kept for the file as it is now (same size and modification time).
struct Answer
{
    qint64 size;
    QDateTime modified;
    FileClassification file;
};

QList<Answer> &answers()
{
    static QList<Answer> recent;
    return recent;
}

void remember(qint64 size, const QDateTime &modified, const FileClassification &file)
{
    answers().prepend({size, modified, file});
    if (answers().size() > 8)
        answers().removeLast();
}

enum class SongCheck { Now, Later };

FileClassification classify(const QString &path, SongCheck songCheck)
{
    FileClassification file;
    file.path = path;
    const FileKind kind = OpenableExtensions::kindOf(pathExtension(path));
    const qint64 size = regularFileSize(path);
    if (kind == FileKind::None || size <= 0)
        return file;
    const QDateTime modified = QFileInfo(path).lastModified();
    for (const Answer &a : std::as_const(answers())) {
        if (a.file.path == path && a.size == size && a.modified == modified)
            return a.file;
    }
    if (kind == FileKind::Audio) {
        if (songCheck == SongCheck::Later) {
            file.kind = FileClassification::Kind::Song;
            file.checked = false;
            return file;
        }
        // Nothing waits on this but the start of the program: the budget of a check off the
        // window's thread.
        file = checkSongFile(path);
    } else {
        file = classifyPicture(path);
    }
    remember(size, modified, file);
    return file;
}

} // namespace

FileClassification classifyFile(const QString &path)
{
    return classify(path, SongCheck::Now);
}

FileClassification classifyFileQuickly(const QString &path)
{
    return classify(path, SongCheck::Later);
}

FileClassification checkSongFile(const QString &path, const std::atomic<bool> *cancel)
{
    FileClassification file;
    file.path = path;
    if (probeAudioFile(path, cancel, SongCheckBudgetMs))
        file.kind = FileClassification::Kind::Song;
    return file;
}

void rememberSongCheck(const FileClassification &file)
{
    const qint64 size = regularFileSize(file.path);
    if (size > 0 && file.checked)
        remember(size, QFileInfo(file.path).lastModified(), file);
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
