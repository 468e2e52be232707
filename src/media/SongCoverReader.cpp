#include "media/SongCoverReader.h"

#include "AudioInput.h"
#include "media/SongFileTags.h"
#include "base/Paths.h"
#include "media/AudioError.h"
#include "media/PictureFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// Enough bytes of a tag for MaxSongTagLength characters in any script; a tag of megabytes is
// never converted whole.
constexpr int MaxTagBytes = MaxSongTagLength * 8;

static_assert(SongFileTags::MaxValueBytes >= MaxTagBytes);

QString tagValue(const AVDictionary *metadata, const char *key)
{
    const AVDictionaryEntry *entry = av_dict_get(metadata, key, nullptr, 0);
    if (!entry || !entry->value)
        return {};
    const QByteArray bytes = QByteArray(entry->value).left(MaxTagBytes);
    return cleanSongTag(QString::fromUtf8(bytes));
}

// ID3v2 and FLAC tags are read by the tag reader; other containers keep tags on the file (MP4,
// ID3v1, APE) or on the audio stream (Ogg).
QString findTag(const SongFileTags &fileTags, const AVFormatContext *format, const AVStream *audio,
                std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const QString value = cleanSongTag(fileTags.values.value(key).left(MaxTagBytes));
        if (!value.isEmpty())
            return value;
        for (const AVDictionary *metadata : {format->metadata, audio ? audio->metadata : nullptr}) {
            const QString value = tagValue(metadata, key);
            if (!value.isEmpty())
                return value;
        }
    }
    return {};
}

const AVStream *coverStream(const AVFormatContext *format)
{
    const AVStream *first = nullptr;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream *stream = format->streams[i];
        if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->attached_pic.size <= 0)
            continue;
        const AVDictionaryEntry *kind = av_dict_get(stream->metadata, "comment", nullptr, 0);
        if (kind && qstrcmp(kind->value, "Cover (front)") == 0)
            return stream;
        if (!first)
            first = stream;
    }
    return first;
}

QString suffixFor(PictureFormat format)
{
    return format == PictureFormat::Jpeg ? QStringLiteral("jpg")
                                         : QString::fromLatin1(pictureFormatName(format));
}

// Copies the cover into the folder and checks it as any picture the user opens; the copy's path,
// or empty with *why set.
QString copyCover(const QByteArray &bytes, const QString &folder, QString *why)
{
    const PictureFormat format = sniffPictureFormat(bytes.left(32));
    if (format == PictureFormat::None) {
        *why = QStringLiteral("not a picture format the program opens");
        return {};
    }
    if (folder.isEmpty()) {
        *why = QStringLiteral("no folder for the copy");
        return {};
    }
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("VL_Cover_XXXXXX.") + suffixFor(format)));
    file.setAutoRemove(false);
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        *why = QStringLiteral("the copy could not be written");
        file.remove();
        return {};
    }
    file.close();
    const QString path = file.fileName();
    if (loadPictureFile(path, why).isNull()) {
        QFile::remove(path);
        return {};
    }
    return path;
}

} // namespace

SongInfo readSongInfo(const QString &songPath, const QString &coverFolder)
{
    SongInfo info;
    info.songPath = songPath;
    if (songPath.isEmpty())
        return info;
    AudioInput input;
    if (input.open(songPath) != AudioOk)
        return info;
    info.readable = true;
    const AVFormatContext *format = input.format();
    const AVStream *audio = input.stream();
    const int fd = input.descriptor();
    const SongFileTags fileTags = readSongFileTags(
        [fd](qint64 offset, char *data, qint64 size) { return qint64(::pread(fd, data, size_t(size), off_t(offset))); },
        QFileInfo(songPath).size(), MaxSongCoverBytes);
    info.tags.title = findTag(fileTags, format, audio, {"title"});
    info.tags.artist = findTag(fileTags, format, audio, {"artist", "album_artist"});
    info.tags.album = findTag(fileTags, format, audio, {"album"});

    if (fileTags.coverSize > MaxSongCoverBytes) {
        info.coverProblem = QStringLiteral("too large (%1 bytes)").arg(fileTags.coverSize);
        return info;
    }
    if (fileTags.coverSize > 0) {
        info.coverPath = copyCover(fileTags.coverBytes, coverFolder, &info.coverProblem);
        return info;
    }
    const AVStream *cover = coverStream(format);
    if (!cover)
        return info;
    if (cover->attached_pic.size > MaxSongCoverBytes) {
        info.coverProblem = QStringLiteral("too large (%1 bytes)").arg(cover->attached_pic.size);
        return info;
    }
    const QByteArray bytes(reinterpret_cast<const char *>(cover->attached_pic.data), cover->attached_pic.size);
    info.coverPath = copyCover(bytes, coverFolder, &info.coverProblem);
    return info;
}

SongCoverReader::SongCoverReader(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<SongInfo>();
}

SongCoverReader::~SongCoverReader()
{
    for (QThread *thread : std::as_const(m_threads)) {
        thread->wait();
        delete thread;
    }
    for (const QString &cover : std::as_const(m_unclaimed))
        QFile::remove(cover);
}

void SongCoverReader::read(const QString &songPath)
{
    const quint64 request = ++m_request;
    m_pending = !songPath.isEmpty();
    if (!m_pending)
        return;
    if (m_coverFolder.isEmpty())
        getTempFolder(m_coverFolder);
    const QString folder = m_coverFolder;
    QThread *thread = QThread::create([this, request, songPath, folder] {
        const SongInfo info = readSongInfo(songPath, folder);
        if (!info.coverPath.isEmpty()) {
            const QMutexLocker locker(&m_unclaimedLock);
            m_unclaimed.append(info.coverPath);
        }
        // The destructor waits for this thread, so `this` outlives the call; the queued result
        // goes with it when the reader is deleted first.
        QMetaObject::invokeMethod(this, [this, request, info] { deliver(request, info); }, Qt::QueuedConnection);
    });
    m_threads.append(thread);
    connect(thread, &QThread::finished, this, [this, thread] {
        m_threads.removeOne(thread);
        thread->deleteLater();
    });
    thread->start(QThread::LowPriority);
}

void SongCoverReader::deliver(quint64 request, const SongInfo &info)
{
    {
        const QMutexLocker locker(&m_unclaimedLock);
        m_unclaimed.removeOne(info.coverPath);
    }
    if (request != m_request) {
        if (!info.coverPath.isEmpty())
            QFile::remove(info.coverPath);
        return;
    }
    m_pending = false;
    emit songRead(info);
}
