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
PictureFormat SniffPictureFormat(const QByteArray &head);
// Name of the format for the image tool's "format:" prefix and for QImageReader.
QByteArray PictureFormatName(PictureFormat format);
// The image tool reads "%" in a file name as a format character (once a frame index is attached):
// "%%" stands for one "%".
QString ImageToolFileName(const QString &path);
// "jpeg:/abs/path[0]": the tool decodes with the format we checked, and only the first frame.
QString ImageToolInput(PictureFormat format, const QString &absolutePath);
bool IsPictureSizeAcceptable(const QSize &size);

struct PictureFileInfo
{
    PictureFormat format = PictureFormat::None;
    QSize size;
};

// Checks a picture without decoding it: a regular file (a FIFO is never opened for reading),
// content in one of the program's formats, a readable header and a size within the limits.
bool ReadPictureInfo(const QString &path, PictureFileInfo &info, QString *why = nullptr);

// Decodes the first frame of a picture that ReadPictureInfo accepts, colour-managed to sRGB.
// A null image when the file is refused or cannot be decoded.
QImage LoadPictureFile(const QString &path, QString *why = nullptr);
