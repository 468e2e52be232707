#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

// The picture formats behind the program's seven picture extensions
// (jpg, jpeg, png, bmp, gif, tif, tiff).
enum class PictureFormat { None, Jpeg, Png, Bmp, Gif, Tiff };

// How the image tool holds a picture's pixels, which sets how many it can take.
enum class PicturePixels {
    Direct,     // one color per pixel
    Palette,    // an index into a palette per pixel: GIF, PNG, BMP or TIFF with a palette
    PngGrey,    // a PNG of grey levels at 8 bits or fewer
};

// Limits of a picture the program opens: those of the image tool under Debian's policy
// (/etc/ImageMagick-6/policy.xml: 16000 pixels a side, 128 megapixels, 512 MiB of mapped memory,
// 1 GiB of disk cache), measured with the letterbox command. A palette costs the tool 10 bytes a
// pixel within the disk budget, a grey PNG 9 bytes within the mapped budget; beyond those it
// fails without naming a reason. The decoding budget refuses a picture that would take more
// memory to show than that, so every picture that previews can also be prepared.
namespace PictureLimits {
constexpr int MaxSide = 16000;
constexpr qint64 MaxPixels = 128000000;
constexpr qint64 MaxPalettePixels = (qint64(1) << 30) / 10;
constexpr qint64 MaxPngGreyPixels = (qint64(512) << 20) / 9;
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
// Most pixels the image tool takes of a picture of this kind.
qint64 maxPicturePixels(PicturePixels pixels);
bool isPictureSizeAcceptable(const QSize &size, PicturePixels pixels = PicturePixels::Direct);
// The pixel kind from a PNG's first 26 bytes (its header chunk); Direct for anything else.
PicturePixels pngPixels(const QByteArray &head);
// A JPEG that reaches its end marker: a file cut short (an unfinished download or copy) decodes to
// flat grey where its data is missing, and the decoders only warn.
bool isCompleteJpeg(QIODevice &device);

struct PictureFileInfo
{
    PictureFormat format = PictureFormat::None;
    PicturePixels pixels = PicturePixels::Direct;
    QSize size;     // as stored, before the orientation is applied
};

// Checks a picture without decoding it: a regular file (a FIFO is never opened for reading),
// content in one of the program's formats, a readable header, a JPEG that is complete, and a
// size within the limits. *why: the reason for a refusal, as a sentence for the user.
bool readPictureInfo(const QString &path, PictureFileInfo &info, QString *why = nullptr);

// Decodes the first frame of a picture that readPictureInfo accepts, turned upright by its
// orientation tag (as the camera meant it) and color-managed to sRGB. A null image when the file
// is refused or cannot be decoded. *info: what the header said, as far as it was read (a format
// of None: the content is no picture of ours).
QImage loadPictureFile(const QString &path, QString *why = nullptr, PictureFileInfo *info = nullptr);
