#include "media/SongFileTags.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

// Pictures the audio library attaches; other types and links ("-->") are passed over.
bool isKnownPictureType(const QByteArray &mime)
{
    static const char *const Known[] = {"image/gif", "image/jpeg", "image/jpg", "image/png", "image/tiff",
                                        "image/bmp", "image/webp", "JPG", "PNG"};
    return std::any_of(std::begin(Known), std::end(Known),
                       [&mime](const char *known) { return qstricmp(mime.constData(), known) == 0; });
}

constexpr int FrontCover = 3;

// Reads a file front to back through a small window, optionally undoing ID3's unsynchronisation
// (a 0x00 after each 0xff is dropped), so a frame of any size is skipped without being held.
class TagStream
{
public:
    TagStream(const SongByteReader &read, qint64 at, qint64 end)
        : m_read(read)
        , m_at(at)
        , m_end(end)
    {
    }

    void setUnsync(bool unsync) { m_unsync = unsync; }
    qint64 position() const { return m_at; }
    bool atEnd() { return !fill(); }

    // Up to `count` bytes (fewer only at the end).
    QByteArray read(qint64 count)
    {
        QByteArray bytes;
        bytes.reserve(int(std::min<qint64>(count, 1 << 16)));
        while (count > 0 && fill()) {
            if (!m_unsync) {
                const qint64 n = std::min<qint64>(count, m_window.size() - m_offset);
                bytes.append(m_window.constData() + m_offset, int(n));
                m_offset += int(n);
                m_at += n;
                count -= n;
                continue;
            }
            char c;
            if (next(c)) {
                bytes.append(c);
                --count;
            }
        }
        return bytes;
    }

    // The bytes up to the raw offset `end`.
    QByteArray readTo(qint64 end)
    {
        QByteArray bytes;
        while (m_at < end && fill()) {
            char c;
            if (!m_unsync)
                bytes += read(std::min<qint64>(end - m_at, m_window.size() - m_offset));
            else if (next(c))
                bytes.append(c);
        }
        return bytes;
    }

    // Passes over `count` bytes; false when the file ends first.
    bool skip(qint64 count)
    {
        if (!m_unsync) {
            const qint64 buffered = m_window.size() - m_offset;
            if (count <= buffered) {
                m_offset += int(count);
                m_at += count;
                return true;
            }
            m_at += count;
            m_window.clear();
            m_offset = 0;
            m_lastFf = false;
            return m_at <= m_end;
        }
        char c;
        while (count > 0) {
            if (!fill())
                return false;
            if (next(c))
                --count;
        }
        return true;
    }

    // Moves to a raw offset.
    void seek(qint64 at)
    {
        m_at = at;
        m_window.clear();
        m_offset = 0;
        m_lastFf = false;
    }

private:
    bool fill()
    {
        if (m_offset < m_window.size())
            return true;
        if (m_at >= m_end)
            return false;
        m_window.resize(int(std::min<qint64>(1 << 16, m_end - m_at)));
        const qint64 n = m_read(m_at, m_window.data(), m_window.size());
        m_window.resize(n > 0 ? int(n) : 0);
        m_offset = 0;
        if (n <= 0)
            m_end = m_at;
        return n > 0;
    }

    // One byte of unsynchronised data into c; false for a 0x00 that only follows a 0xff.
    // fill() was true.
    bool next(char &c)
    {
        c = m_window.at(m_offset++);
        ++m_at;
        const bool stuffing = m_lastFf && c == '\0';
        m_lastFf = quint8(c) == 0xff;
        return !stuffing;
    }

    const SongByteReader &m_read;
    qint64 m_at;
    qint64 m_end;
    QByteArray m_window;
    int m_offset = 0;
    bool m_unsync = false;
    bool m_lastFf = false;
};

quint32 be(const QByteArray &bytes, int at, int count)
{
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | quint8(bytes.at(at + i));
    return value;
}

quint32 syncsafe(const QByteArray &bytes, int at)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 7 | (quint8(bytes.at(at + i)) & 0x7f);
    return value;
}

quint32 le32(const QByteArray &bytes)
{
    return quint32(quint8(bytes.at(0))) | quint32(quint8(bytes.at(1))) << 8
        | quint32(quint8(bytes.at(2))) << 16 | quint32(quint8(bytes.at(3))) << 24;
}

// Where the one picture worth reading lies, once every picture has been looked at.
struct CoverPlace
{
    qint64 at = -1;
    qint64 size = -1;
    bool unsync = false;
    bool front = false;

    void offer(qint64 pictureAt, qint64 pictureSize, bool pictureUnsync, int type)
    {
        if (pictureSize <= 0 || (at >= 0 && (front || type != FrontCover)))
            return;
        *this = {pictureAt, pictureSize, pictureUnsync, type == FrontCover};
    }
};

void keepValue(SongFileTags &tags, const QByteArray &key, const QString &value)
{
    if (!value.isEmpty() && !tags.values.contains(key))
        tags.values.insert(key, value);
}

// ID3v2 text, NUL-terminated or not, in its encoding (0 Latin-1, 1 UTF-16 with a byte order mark,
// 2 UTF-16BE, 3 UTF-8).
QString id3Text(int encoding, QByteArray bytes)
{
    if (encoding == 1 || encoding == 2) {
        bytes.truncate(bytes.size() & ~1);
        int end = 0;
        while (end + 1 < bytes.size() && (bytes.at(end) || bytes.at(end + 1)))
            end += 2;
        bytes.truncate(end);
        QStringDecoder::Encoding utf16 = QStringDecoder::Utf16BE;
        if (encoding == 1 && bytes.size() >= 2) {
            if (quint8(bytes.at(0)) == 0xff && quint8(bytes.at(1)) == 0xfe)
                utf16 = QStringDecoder::Utf16LE;
            if ((quint8(bytes.at(0)) == 0xff && quint8(bytes.at(1)) == 0xfe)
                || (quint8(bytes.at(0)) == 0xfe && quint8(bytes.at(1)) == 0xff))
                bytes.remove(0, 2);
        }
        QStringDecoder decoder(utf16);
        return decoder.decode(bytes);
    }
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return encoding == 3 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

// The length of a NUL-terminated string in `bytes` from `at`, terminator included; -1 without one.
int terminatedLength(const QByteArray &bytes, int at, bool wide)
{
    if (!wide) {
        const int nul = bytes.indexOf('\0', at);
        return nul < 0 ? -1 : nul - at + 1;
    }
    for (int i = at; i + 1 < bytes.size(); i += 2) {
        if (!bytes.at(i) && !bytes.at(i + 1))
            return i - at + 2;
    }
    return -1;
}

const char *id3Key(const QByteArray &id)
{
    if (id == "TIT2" || id == "TT2")
        return "title";
    if (id == "TPE1" || id == "TP1")
        return "artist";
    if (id == "TPE2" || id == "TP2")
        return "album_artist";
    if (id == "TALB" || id == "TAL")
        return "album";
    return nullptr;
}

// The head of a picture frame holds its mime type and description before the data; they are
// short, but a description may be long: this much is looked at.
constexpr int PictureHeadBytes = 4096;

void readId3Tag(TagStream &stream, qint64 tagEnd, int version, bool tagUnsync, SongFileTags &tags,
                CoverPlace &cover)
{
    stream.setUnsync(tagUnsync && version < 4);
    const int idLength = version == 2 ? 3 : 4;
    const int headerLength = version == 2 ? 6 : 10;
    while (stream.position() + headerLength <= tagEnd) {
        const QByteArray header = stream.read(headerLength);
        if (header.size() < headerLength || header.at(0) == '\0')
            return;
        const QByteArray id = header.left(idLength);
        qint64 size = version == 2 ? be(header, 3, 3) : version == 3 ? be(header, 4, 4) : syncsafe(header, 4);
        const quint8 format = version == 2 ? 0 : quint8(header.at(9));
        const bool compressed = version == 3 ? (format & 0xc0) : (format & 0x0c);
        const bool frameUnsync = version == 4 && (format & 0x02);
        int prefix = 0;
        if (version == 3 && (format & 0x20))
            prefix += 1;
        if (version == 4)
            prefix += ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
        if (size < prefix || stream.position() + size > tagEnd)
            return;
        const qint64 frameEnd = stream.position() + size;
        const char *key = id3Key(id);
        const bool picture = id == "APIC" || id == "PIC";
        if (compressed || (!key && !picture)) {
            if (!stream.skip(size))
                return;
            continue;
        }
        // A frame of v2.4 may be unsynchronised on its own; its size counts the raw bytes.
        if (frameUnsync)
            stream.setUnsync(true);
        // A v2.3 tag unsynchronised as a whole counts its frames' sizes before the stuffing: their
        // ends are found by reading through them, nothing kept.
        const bool wholeUnsync = tagUnsync && version < 4;
        stream.skip(prefix);
        const qint64 dataAt = stream.position();
        const qint64 dataSize = size - prefix;
        const QByteArray head = stream.read(std::min<qint64>(dataSize, key ? SongFileTags::MaxValueBytes + 1
                                                                           : PictureHeadBytes));
        qint64 end = frameEnd;
        if (wholeUnsync) {
            stream.skip(dataSize - head.size());
            end = stream.position();
        }
        if (key && !head.isEmpty()) {
            keepValue(tags, key, id3Text(quint8(head.at(0)), head.mid(1)));
        } else if (picture && head.size() >= 2) {
            const int encoding = quint8(head.at(0));
            const bool wide = encoding == 1 || encoding == 2;
            int at = 1;
            QByteArray mime;
            if (version == 2) {
                mime = head.mid(1, 3);
                at = 4;
            } else {
                const int length = terminatedLength(head, 1, false);
                mime = head.mid(1, std::max(length - 1, 0));
                at = length < 0 ? -1 : 1 + length;
            }
            const int description = at >= 0 && at < head.size() ? terminatedLength(head, at + 1, wide) : -1;
            if (description >= 0 && isKnownPictureType(mime)) {
                const int type = quint8(head.at(at));
                const int skipped = at + 1 + description;
                if (!wholeUnsync && !frameUnsync) {
                    cover.offer(dataAt + skipped, dataSize - skipped, false, type);
                } else {
                    // Where the data starts in the raw bytes is found by reading up to it again.
                    stream.seek(dataAt);
                    stream.skip(skipped);
                    cover.offer(stream.position(), end - stream.position(), true, type);
                }
            }
        }
        if (wholeUnsync) {
            // Read through again rather than seek: a stuffing byte may follow the frame's last.
            if (stream.position() != end) {
                stream.seek(dataAt);
                stream.skip(dataSize);
            }
            continue;
        }
        stream.seek(frameEnd);
        stream.setUnsync(tagUnsync && version < 4);
    }
}

// Vorbis comments, as FLAC keeps them: key=value pairs in UTF-8 with little-endian lengths.
void readVorbisComments(TagStream &stream, qint64 end, SongFileTags &tags)
{
    QByteArray length = stream.read(4);
    if (length.size() < 4 || !stream.skip(le32(length)))
        return;
    length = stream.read(4);
    if (length.size() < 4)
        return;
    for (quint32 count = le32(length); count > 0 && stream.position() + 4 <= end; --count) {
        const QByteArray field = stream.read(4);
        if (field.size() < 4)
            return;
        const qint64 fieldEnd = stream.position() + le32(field);
        if (fieldEnd > end)
            return;
        const QByteArray head = stream.read(std::min<qint64>(le32(field), 32));
        const int equals = head.indexOf('=');
        const QByteArray name = equals < 0 ? QByteArray() : head.left(equals).toUpper();
        const char *key = name == "TITLE" ? "title"
            : name == "ARTIST"            ? "artist"
            : name == "ALBUMARTIST" || name == "ALBUM ARTIST" ? "album_artist"
            : name == "ALBUM"             ? "album"
                                          : nullptr;
        if (key) {
            QByteArray value = head.mid(equals + 1);
            value += stream.read(std::min<qint64>(fieldEnd - stream.position(),
                                                  SongFileTags::MaxValueBytes - value.size()));
            keepValue(tags, key, QString::fromUtf8(value));
        }
        stream.seek(fieldEnd);
    }
}

// FLAC's PICTURE block: its type, mime type and description before the data.
void readFlacPicture(TagStream &stream, qint64 end, CoverPlace &cover)
{
    const QByteArray head = stream.read(8);
    if (head.size() < 8)
        return;
    const int type = int(be(head, 0, 4));
    const quint32 mimeLength = be(head, 4, 4);
    if (mimeLength > 256)
        return;
    const QByteArray mime = stream.read(mimeLength);
    const QByteArray description = stream.read(4);
    if (description.size() < 4 || !stream.skip(be(description, 0, 4)))
        return;
    const QByteArray sizes = stream.read(20);
    if (sizes.size() < 20)
        return;
    const qint64 size = be(sizes, 16, 4);
    if (stream.position() + size <= end && isKnownPictureType(mime))
        cover.offer(stream.position(), size, false, type);
}

void readFlac(TagStream &stream, qint64 fileSize, SongFileTags &tags, CoverPlace &cover)
{
    for (int blocks = 0; blocks < 4096; ++blocks) {
        const QByteArray header = stream.read(4);
        if (header.size() < 4)
            return;
        const int type = quint8(header.at(0)) & 0x7f;
        const qint64 end = stream.position() + be(header, 1, 3);
        if (end > fileSize)
            return;
        if (type == 4)
            readVorbisComments(stream, end, tags);
        else if (type == 6)
            readFlacPicture(stream, end, cover);
        stream.seek(end);
        if (quint8(header.at(0)) & 0x80)
            return;
    }
}

} // namespace

SongFileTags readSongFileTags(const SongByteReader &read, qint64 fileSize, qint64 maxCoverBytes)
{
    SongFileTags tags;
    CoverPlace cover;
    TagStream stream(read, 0, fileSize);
    // ID3v2 tags may come one after another, and before a FLAC file's own header.
    for (int tag = 0; tag < 16; ++tag) {
        const qint64 at = stream.position();
        const QByteArray header = stream.read(10);
        if (header.size() < 10 || !header.startsWith("ID3") || quint8(header.at(3)) < 2
            || quint8(header.at(3)) > 4 || ((header.at(6) | header.at(7) | header.at(8) | header.at(9)) & 0x80)) {
            stream.seek(at);
            break;
        }
        const int version = header.at(3);
        const quint8 flags = quint8(header.at(5));
        qint64 tagEnd = std::min(at + 10 + syncsafe(header, 6), fileSize);
        if (version >= 3 && (flags & 0x40)) {
            // The extended header: its size excludes itself in v2.3, includes itself in v2.4.
            const QByteArray extended = stream.read(4);
            if (extended.size() < 4)
                break;
            stream.skip(version == 3 ? be(extended, 0, 4) : qint64(syncsafe(extended, 0)) - 4);
        }
        readId3Tag(stream, tagEnd, version, flags & 0x80, tags, cover);
        stream.setUnsync(false);
        stream.seek(tagEnd + (version == 4 && (flags & 0x10) ? 10 : 0));
    }
    {
        const qint64 at = stream.position();
        if (stream.read(4) == "fLaC")
            readFlac(stream, fileSize, tags, cover);
        else
            stream.seek(at);
    }
    if (cover.at < 0)
        return tags;
    tags.coverSize = cover.size;
    if (cover.size > maxCoverBytes)
        return tags;
    stream.seek(cover.at);
    stream.setUnsync(cover.unsync);
    tags.coverBytes = stream.readTo(cover.at + cover.size);
    tags.coverSize = tags.coverBytes.size();
    return tags;
}
