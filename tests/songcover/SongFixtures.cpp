#include "SongFixtures.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

namespace SongFixtures {

namespace {

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    return be32(quint32(data.size())) + type + data + be32(crc32(type + data));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool ffmpeg(const QStringList &arguments)
{
    int rc = -1;
    const QString output = TestSupport::runCommand(
        TestSupport::ffmpegPath(), QStringList{"-v", "error", "-nostdin", "-y"} + arguments, &rc);
    if (rc != 0)
        qWarning("ffmpeg failed: %s", qPrintable(output));
    return rc == 0;
}

QStringList codecFor(const QString &suffix)
{
    if (suffix == "mp3")
        return {"-c:a", "libmp3lame", "-id3v2_version", "3"};
    if (suffix == "flac")
        return {"-c:a", "flac"};
    if (suffix == "m4a")
        return {"-c:a", "aac"};
    return {"-c:a", "libvorbis"};
}

} // namespace

bool makePicture(const QString &path, int width, int height, const QColor &color)
{
    int rc = -1;
    TestSupport::runCommand(TestSupport::convertPath(),
                            {"-size", QStringLiteral("%1x%2").arg(width).arg(height),
                             "xc:" + color.name(), path},
                            &rc);
    return rc == 0;
}

bool makeSong(const QString &path, const QString &cover, const Tags &tags)
{
    const QString suffix = QFileInfo(path).suffix();
    QStringList args{"-f", "lavfi", "-i", "sine=frequency=440:duration=2"};
    QStringList metadata;
    for (const auto &[key, value] : tags)
        metadata << "-metadata" << QString::fromUtf8(key) + "=" + value;
    if (cover.isEmpty())
        return ffmpeg(args + QStringList{"-map", "0:a"} + codecFor(suffix) + metadata + QStringList{path});

    if (suffix == "ogg") {
        // Through a metadata file: the base64 block outgrows what one argument may hold.
        const QByteArray picture = fileBytes(cover);
        const QByteArray mime = cover.endsWith("png") ? "image/png" : "image/jpeg";
        QByteArray text = ";FFMETADATA1\nMETADATA_BLOCK_PICTURE="
            + flacPictureBlock(picture, mime).toBase64().replace("=", "\\=") + "\n";
        QTemporaryDir dir;
        const QString metaFile = dir.filePath("meta.txt");
        if (!writeFile(metaFile, text))
            return false;
        return ffmpeg(args + QStringList{"-f", "ffmetadata", "-i", metaFile, "-map", "0:a", "-map_metadata", "1"}
                      + codecFor(suffix) + metadata + QStringList{path});
    }
    args << "-i" << cover << "-map" << "0:a" << "-map" << "1:v" << codecFor(suffix) << "-c:v" << "copy"
         << "-disposition:v" << "attached_pic" << "-metadata:s:v" << "comment=Cover (front)";
    return ffmpeg(args + metadata + QStringList{path});
}

bool makeOggWithNoisePicture(const QString &path, const QString &title, int pictureBytes)
{
    QByteArray picture(pictureBytes, '\0');
    quint32 x = 12345;
    for (char &c : picture) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    picture.replace(0, 8, QByteArray("\x89PNG\r\n\x1a\n", 8));
    const QString cover = path + ".png";
    if (!writeFile(cover, picture))
        return false;
    const bool made = makeSong(path, cover, {{"title", title}});
    QFile::remove(cover);
    return made;
}

QByteArray flacPictureBlock(const QByteArray &picture, const QByteArray &mime)
{
    return be32(3) + be32(quint32(mime.size())) + mime + be32(0) + be32(0) + be32(0) + be32(24)
        + be32(0) + be32(quint32(picture.size())) + picture;
}

bool makeMp3WithRawCover(const QString &path, const QByteArray &title, const QByteArray &picture,
                         const QByteArray &mime)
{
    QTemporaryDir dir;
    const QString bare = dir.filePath("bare.mp3");
    if (!ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a", "libmp3lame",
                 "-write_xing", "0", "-id3v2_version", "0", bare}))
        return false;
    const auto frame = [](const QByteArray &id, const QByteArray &body) {
        return id + be32(quint32(body.size())) + QByteArray(2, '\0') + body;
    };
    const QByteArray frames = frame("TIT2", '\0' + title)
        + frame("APIC", '\0' + mime + '\0' + char(3) + '\0' + picture);
    const quint32 size = quint32(frames.size());
    QByteArray header("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        header += char((size >> shift) & 0x7f);
    return writeFile(path, header + frames + fileBytes(bare));
}

namespace {

// Writes the pieces one after another; a null piece of a given size is left as a hole.
bool writeSparse(const QString &path, const QList<QPair<QByteArray, qint64>> &pieces)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    qint64 at = 0;
    for (const auto &[bytes, hole] : pieces) {
        if (!file.seek(at) || file.write(bytes) != bytes.size())
            return false;
        at += bytes.size() + hole;
    }
    return file.resize(at);
}

QByteArray plainSong(const QString &suffix)
{
    QTemporaryDir dir;
    const QString bare = dir.filePath("bare." + suffix);
    QStringList args{"-f", "lavfi", "-i", "sine=frequency=440:duration=2"};
    if (suffix == "mp3")
        args << "-c:a" << "libmp3lame" << "-write_xing" << "0" << "-id3v2_version" << "0";
    else
        args << "-c:a" << "flac" << "-metadata" << "title=Plain";
    return ffmpeg(args + QStringList{bare}) ? fileBytes(bare) : QByteArray();
}

} // namespace

bool makeMp3WithSparseCover(const QString &path, const QByteArray &title, qint64 pictureBytes)
{
    const QByteArray bare = plainSong("mp3");
    const QByteArray jpegStart("\xff\xd8\xff\xe0\x00\x10JFIF", 10);
    const QByteArray titleFrame = "TIT2" + be32(quint32(title.size() + 1)) + QByteArray(2, '\0') + '\0' + title;
    const QByteArray apicBody = QByteArray("\0image/jpeg\0\x03\0", 14);
    const qint64 apicSize = apicBody.size() + pictureBytes;
    const QByteArray apicHeader = "APIC" + be32(quint32(apicSize)) + QByteArray(2, '\0');
    const quint32 size = quint32(titleFrame.size() + apicHeader.size() + apicSize);
    QByteArray header("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        header += char((size >> shift) & 0x7f);
    return !bare.isEmpty()
        && writeSparse(path, {{header + titleFrame + apicHeader + apicBody + jpegStart, pictureBytes - jpegStart.size()},
                              {bare, 0}});
}

bool makeFlacWithSparsePictures(const QString &path, int count, qint64 pictureBytes, const QByteArray &cover)
{
    QByteArray bare = plainSong("flac");
    if (bare.size() < 8 || !bare.startsWith("fLaC"))
        return false;
    // STREAMINFO comes first; the pictures follow it, and whether it was the last block moves on
    // to the cover's block.
    const bool streamInfoLast = quint8(bare.at(4)) & 0x80;
    bare[4] = char(quint8(bare.at(4)) & 0x7f);
    const int afterStreamInfo = 8 + int(quint8(bare.at(5)) << 16 | quint8(bare.at(6)) << 8 | quint8(bare.at(7)));
    const auto blockHeader = [](bool last, qint64 size) {
        QByteArray header = be32(quint32(size));
        header[0] = char(last ? 0x86 : 0x06);
        return header;
    };
    // A block's length has 24 bits.
    if (pictureBytes + 64 > 0xffffff || cover.size() + 64 > 0xffffff)
        return false;
    QList<QPair<QByteArray, qint64>> pieces{{bare.left(afterStreamInfo), 0}};
    const QByteArray other = flacPictureBlock({}, "image/png");
    for (int i = 0; i < count; ++i) {
        QByteArray head = other;
        head.replace(0, 4, be32(0));
        head.replace(head.size() - 4, 4, be32(quint32(pictureBytes)));
        pieces.append({blockHeader(false, head.size() + pictureBytes) + head, pictureBytes});
    }
    const QByteArray front = flacPictureBlock(cover, "image/png");
    pieces.append({blockHeader(streamInfoLast, front.size()) + front + bare.mid(afterStreamInfo), 0});
    return writeSparse(path, pieces);
}

QByteArray pngHeaderClaiming(int width, int height)
{
    QByteArray ihdr = be32(quint32(width)) + be32(quint32(height));
    ihdr += QByteArray("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
    // One stored (uncompressed) deflate block of a few bytes: the data ends long before the rows.
    const QByteArray idat("\x78\x01\x01\x04\x00\xfb\xff\x00\x10\x20\x30", 11);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", idat)
        + pngChunk("IEND", {});
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace SongFixtures
