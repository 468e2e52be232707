#include "media/PictureFile.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        setWhy(why, QStringLiteral("no file"));
        return nullptr;
    }
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setWhy(why, QStringLiteral("cannot be opened"));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setWhy(why, QStringLiteral("not a regular file"));
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setWhy(why, QStringLiteral("cannot be opened"));
        return nullptr;
    }
    return file;
}

bool prepareReader(QFile &file, QImageReader &reader, PictureFileInfo &info, QString *why)
{
    info.format = sniffPictureFormat(file.peek(32));
    if (info.format == PictureFormat::None) {
        setWhy(why, QStringLiteral("not a picture format the program opens"));
        return false;
    }
    reader.setDevice(&file);
    reader.setFormat(pictureFormatName(info.format));
    reader.setDecideFormatFromContent(false);
    // Set explicitly: the environment can change Qt's default budget.
    reader.setAllocationLimit(PictureLimits::AllocationLimitMB);
    info.size = reader.size();
    if (!info.size.isValid()) {
        setWhy(why, reader.errorString());
        return false;
    }
    if (!isPictureSizeAcceptable(info.size)) {
        setWhy(why, QStringLiteral("too large (%1x%2)").arg(info.size.width()).arg(info.size.height()));
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

bool isPictureSizeAcceptable(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= PictureLimits::MaxSide
        && size.height() <= PictureLimits::MaxSide
        && qint64(size.width()) * size.height() <= PictureLimits::MaxPixels;
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

QImage loadPictureFile(const QString &path, QString *why)
{
    std::unique_ptr<QFile> file = openRegularFile(path, why);
    if (!file)
        return {};
    QImageReader reader;
    PictureFileInfo info;
    if (!prepareReader(*file, reader, info, why))
        return {};
    QImage image = reader.read();
    if (image.isNull()) {
        setWhy(why, reader.errorString());
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
