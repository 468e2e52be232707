#include "media/PictureFile.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace {

void setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
}

// Opens a regular file for reading. The open does not block, so a FIFO or a device under a
// picture's name is refused instead of hanging the program.
std::unique_ptr<QFile> openRegularFile(const QString &path, QString *why)
{
    if (path.isEmpty()) {
        setWhy(why, QStringLiteral("No file was named."));
        return nullptr;
    }
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setWhy(why, QStringLiteral("The file can not be opened."));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setWhy(why, QStringLiteral("It is not a plain file."));
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setWhy(why, QStringLiteral("The file can not be opened."));
        return nullptr;
    }
    return file;
}

QString tooLargeReason(const QSize &size, PicturePixels pixels, qint64 maxPixels)
{
    const qint64 area = qint64(size.width()) * size.height();
    const auto megapixels = [](qint64 n) { return QString::number(double(n) / 1e6, 'f', 2); };
    QString kind;
    if (pixels == PicturePixels::Palette)
        kind = QStringLiteral(" of a picture with a palette");
    else if (pixels == PicturePixels::PngGrey)
        kind = QStringLiteral(" of a grey PNG");
    return QStringLiteral("It is %1 x %2 pixels (%3 megapixels): at most %4 megapixels%5 can be "
                          "used, and at most %6 pixels wide or high.")
        .arg(size.width())
        .arg(size.height())
        .arg(megapixels(area), megapixels(maxPixels), kind)
        .arg(PictureLimits::MaxSide);
}

bool prepareReader(QFile &file, QImageReader &reader, PictureFileInfo &info, QString *why)
{
    const QByteArray head = file.peek(32);
    info.format = sniffPictureFormat(head);
    if (info.format == PictureFormat::None) {
        setWhy(why, QStringLiteral("It is not a JPEG, PNG, BMP, GIF or TIFF picture."));
        return false;
    }
    if (info.format == PictureFormat::Jpeg) {
        const bool complete = isCompleteJpeg(file);
        file.seek(0);
        if (!complete) {
            setWhy(why, QStringLiteral("The file ends before the picture does: it may be an unfinished "
                                       "download or copy."));
            return false;
        }
    }
    reader.setDevice(&file);
    reader.setFormat(pictureFormatName(info.format));
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    // Set explicitly: the environment can change Qt's default budget.
    reader.setAllocationLimit(PictureLimits::AllocationLimitMB);
    info.size = reader.size();
    if (!info.size.isValid()) {
        setWhy(why, QStringLiteral("The picture in it is damaged and can not be read."));
        return false;
    }
    const QImage::Format decoded = reader.imageFormat();
    if (info.format == PictureFormat::Gif)
        info.pixels = PicturePixels::Palette;
    else if (info.format == PictureFormat::Png)
        info.pixels = pngPixels(head);
    else if (decoded == QImage::Format_Indexed8
             || (info.format == PictureFormat::Bmp
                 && (decoded == QImage::Format_Mono || decoded == QImage::Format_MonoLSB)))
        info.pixels = PicturePixels::Palette;
    qint64 maxPixels = maxPicturePixels(info.pixels);
    if (decoded != QImage::Format_Invalid) {
        // What the preview decodes must fit the decoding budget too (16-bit color takes 8 bytes).
        const int bytesPerPixel = (QImage::toPixelFormat(decoded).bitsPerPixel() + 7) / 8;
        maxPixels = qMin(maxPixels, (qint64(PictureLimits::AllocationLimitMB) << 20) / qMax(1, bytesPerPixel));
    }
    if (!isPictureSizeAcceptable(info.size, info.pixels)
        || qint64(info.size.width()) * info.size.height() > maxPixels) {
        setWhy(why, tooLargeReason(info.size, info.pixels, maxPixels));
        return false;
    }
    return true;
}

} // namespace

PictureFormat sniffPictureFormat(const QByteArray &head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return PictureFormat::Jpeg;
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return PictureFormat::Png;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return PictureFormat::Gif;
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return PictureFormat::Tiff;
    // "BM" alone is too weak a mark: the header's own size field must also be one of the
    // bitmap header sizes.
    if (head.size() >= 18 && head.startsWith("BM")) {
        const quint32 headerSize = quint8(head[14]) | quint8(head[15]) << 8
            | quint8(head[16]) << 16 | quint32(quint8(head[17])) << 24;
        if (headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56
            || headerSize == 64 || headerSize == 108 || headerSize == 124)
            return PictureFormat::Bmp;
    }
    return PictureFormat::None;
}

QByteArray pictureFormatName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Tiff:
        return "tiff";
    case PictureFormat::None:
        break;
    }
    return {};
}

QString imageToolFileName(const QString &path)
{
    QString escaped = path;
    return escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

QString imageToolInput(PictureFormat format, const QString &absolutePath)
{
    return QString::fromLatin1(pictureFormatName(format)) + QLatin1Char(':')
        + imageToolFileName(absolutePath) + QStringLiteral("[0]");
}

qint64 maxPicturePixels(PicturePixels pixels)
{
    switch (pixels) {
    case PicturePixels::Palette:
        return PictureLimits::MaxPalettePixels;
    case PicturePixels::PngGrey:
        return PictureLimits::MaxPngGreyPixels;
    case PicturePixels::Direct:
        break;
    }
    return PictureLimits::MaxPixels;
}

bool isPictureSizeAcceptable(const QSize &size, PicturePixels pixels)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= PictureLimits::MaxSide
        && size.height() <= PictureLimits::MaxSide
        && qint64(size.width()) * size.height() <= maxPicturePixels(pixels);
}

PicturePixels pngPixels(const QByteArray &head)
{
    // Signature (8), chunk length (4), "IHDR" (4), width (4), height (4), bit depth, color type.
    if (head.size() < 26 || sniffPictureFormat(head) != PictureFormat::Png || head.mid(12, 4) != "IHDR")
        return PicturePixels::Direct;
    const int bitDepth = quint8(head.at(24));
    const int colorType = quint8(head.at(25));
    if (colorType == 3)
        return PicturePixels::Palette;
    if (colorType == 0 && bitDepth <= 8)
        return PicturePixels::PngGrey;
    return PicturePixels::Direct;
}

bool isCompleteJpeg(QIODevice &device)
{
    // Walks the markers: segments carry their length, entropy-coded data follows each start of
    // scan and ends at the first marker that is not a stuffed 0xFF00 or a restart marker.
    constexpr int ChunkSize = 64 * 1024;
    QByteArray chunk;
    int at = 0;
    const auto next = [&](int &byte) {
        if (at == chunk.size()) {
            chunk = device.read(ChunkSize);
            at = 0;
            if (chunk.isEmpty())
                return false;
        }
        byte = quint8(chunk.at(at++));
        return true;
    };
    const auto skip = [&](qint64 count) {
        while (count > 0) {
            const qint64 inChunk = qMin<qint64>(count, chunk.size() - at);
            at += int(inChunk);
            count -= inChunk;
            if (count > 0) {
                chunk = device.read(ChunkSize);
                at = 0;
                if (chunk.isEmpty())
                    return false;
            }
        }
        return true;
    };

    int byte = 0;
    int second = 0;
    if (!next(byte) || !next(second) || byte != 0xFF || second != 0xD8)
        return false;
    int marker = -1;
    for (;;) {
        if (marker < 0) {
            // Anything between segments is skipped up to the next marker, as the decoders do.
            do {
                if (!next(byte))
                    return false;
            } while (byte != 0xFF);
            do {
                if (!next(byte))
                    return false;
            } while (byte == 0xFF);
            marker = byte;
        }
        const int current = marker;
        marker = -1;
        if (current == 0xD9)
            return true;
        if (current == 0x00 || current == 0x01 || (current >= 0xD0 && current <= 0xD7))
            continue;
        int high = 0;
        int low = 0;
        if (!next(high) || !next(low))
            return false;
        const int length = high << 8 | low;
        if (length < 2 || !skip(length - 2))
            return false;
        if (current != 0xDA)
            continue;
        for (;;) {
            const char *data = chunk.constData() + at;
            const void *ff = std::memchr(data, 0xFF, size_t(chunk.size() - at));
            if (!ff) {
                chunk = device.read(ChunkSize);
                at = 0;
                if (chunk.isEmpty())
                    return false;
                continue;
            }
            at += int(static_cast<const char *>(ff) - data) + 1;
            do {
                if (!next(byte))
                    return false;
            } while (byte == 0xFF);
            if (byte != 0x00 && !(byte >= 0xD0 && byte <= 0xD7)) {
                marker = byte;
                break;
            }
        }
    }
}

bool readPictureInfo(const QString &path, PictureFileInfo &info, QString *why)
{
    info = {};
    std::unique_ptr<QFile> file = openRegularFile(path, why);
    if (!file)
        return false;
    QImageReader reader;
    return prepareReader(*file, reader, info, why);
}

QImage loadPictureFile(const QString &path, QString *why, PictureFileInfo *info)
{
    PictureFileInfo header;
    PictureFileInfo &read = info ? *info : header;
    read = {};
    std::unique_ptr<QFile> file = openRegularFile(path, why);
    if (!file)
        return {};
    QImageReader reader;
    if (!prepareReader(*file, reader, read, why))
        return {};
    QImage image = reader.read();
    if (image.isNull()) {
        setWhy(why, QStringLiteral("The picture in it is damaged and can not be read."));
        return {};
    }
    // A GIF's header may state a small frame on a huge screen, and the screen is what decodes.
    if (!isPictureSizeAcceptable(image.size())) {
        setWhy(why, QStringLiteral("too large (%1x%2)").arg(image.width()).arg(image.height()));
        return {};
    }
    const QColorSpace colorSpace = image.colorSpace();
    if (colorSpace.isValid() && colorSpace != QColorSpace(QColorSpace::SRgb)) {
        // Color conversion works on true-color pixels, not on a palette.
        if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono
            || image.format() == QImage::Format_MonoLSB)
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                  : QImage::Format_RGB32);
        image.convertToColorSpace(QColorSpace::SRgb);
    }
    return image;
}
