#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The picture formats behind the program's seven picture extensions
// (jpg, jpeg, png, bmp, gif, tif, tiff).
enum class PictureFormat { None, Jpeg, Png, Bmp, Gif, Tiff };

// Limits of a picture the program opens: those of the image tool's policy, so every picture that
// previews can also be prepared, and a decoding budget that refuses a huge picture up front.
namespace PictureLimits {
constexpr int MaxSide = 16000;
constexpr qint64 MaxPixels = 128000000;
constexpr int AllocationLimitMB = 512;
} // namespace PictureLimits

// The format from a file's first bytes (18 are enough); None for anything else.
PictureFormat sniffPictureFormat(const QByteArray &head);
// Name of the format for the image tool's "format:" prefix and for QImageReader.
QByteArray pictureFormatName(PictureFormat format);
// The image tool reads "%" in a file name as a format character (once a frame index is attached):
// "%%" stands for one "%".
QString imageToolFileName(const QString &path);
// "jpeg:/abs/path[0]": the tool decodes with the format we checked, and only the first frame.
QString imageToolInput(PictureFormat format, const QString &absolutePath);
bool isPictureSizeAcceptable(const QSize &size);

struct PictureFileInfo
{
    PictureFormat format = PictureFormat::None;
    QSize size;
};

// Checks a picture without decoding it: a regular file (a FIFO is never opened for reading),
// content in one of the program's formats, a readable header and a size within the limits.
bool readPictureInfo(const QString &path, PictureFileInfo &info, QString *why = nullptr);

// Decodes the first frame of a picture that readPictureInfo accepts, color-managed to sRGB.
// A null image when the file is refused or cannot be decoded.
QImage loadPictureFile(const QString &path, QString *why = nullptr);
