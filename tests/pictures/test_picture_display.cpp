#include "base/AppSettings.h"
#include "common/TestSupport.h"
#include "dialogs/ActualSizeViewer.h"
#include "dialogs/WindowPlacement.h"
#include "media/PictureFile.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"

#include <QColorSpace>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

namespace {

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char *type, const QByteArray &payload)
{
    QByteArray body = QByteArray(type, 4) + payload;
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(payload.size()), chunk.data());
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(body), crc.data());
    return chunk + crc;
}

// A PNG that announces a size and holds no pixel data: what matters is what the header claims.
QByteArray pngHeaderOnly(quint32 width, quint32 height, quint8 bitDepth, quint8 colorType)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = char(bitDepth);
    ihdr[9] = char(colorType);
    const QByteArray palette = colorType == 3 ? pngChunk("PLTE", QByteArray(6, '\x80')) : QByteArray();
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", ihdr) + palette
        + pngChunk("IDAT", QByteArray("\x78\x9C\x01\x02", 4)) + pngChunk("IEND", {});
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QImage solid(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

bool near(QRgb a, QRgb b, int tolerance = 0)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QImage render(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestPictureDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void sniffFormat_data();
    void sniffFormat();
    void openablePictures_data();
    void openablePictures();
    void pixelLimits_data();
    void pixelLimits();
    void pixelKinds_data();
    void pixelKinds();
    void incompleteJpeg_data();
    void incompleteJpeg();
    void orientationApplied_data();
    void orientationApplied();
    void colorProfileConvertedToSrgb();

    void layout_data();
    void layout();
    void paintsBarsAndPicture_data();
    void paintsBarsAndPicture();
    void loadStates();
    void placeholder();

    void viewerPlacement_data();
    void viewerPlacement();
    void viewerFit_data();
    void viewerFit();
    void viewerSizedToPicture();
    void viewerLoadFailure();
    void viewerEnds_data();
    void viewerEnds();
    void viewerDrag();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestPictureDisplay::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(solid(1024, 768, qRgb(0, 200, 0)).save(path("green.png")));
    QVERIFY(solid(40, 30, qRgb(0, 0, 255)).save(path("blue.jpg")));
    QVERIFY(solid(40, 30, qRgb(0, 0, 255)).save(path("blue.bmp")));
    QVERIFY(solid(40, 30, qRgb(0, 0, 255)).save(path("blue.tif")));
    int exitCode = -1;
    runCommand(convertPath(), {"-size", "40x30", "xc:blue", path("blue.gif")}, &exitCode);
    QCOMPARE(exitCode, 0);

    QFile png(path("green.png"));
    QVERIFY(png.open(QIODevice::ReadOnly));
    writeFile(path("truncated.png"), png.read(png.size() / 2));
    writeFile(path("text.png"), "just some words, not a picture\n");
    writeFile(path("drawing.jpg"),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
              "<rect width=\"10\" height=\"10\" fill=\"red\"/></svg>\n");
    writeFile(path("corrupt.jpg"), QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, '\x5A'));
    writeFile(path("wide.png"), pngHeaderOnly(16001, 1, 8, 2));
    writeFile(path("vast.png"), pngHeaderOnly(12000, 12000, 8, 2));
    QVERIFY(::mkfifo(QFile::encodeName(path("pipe.png")).constData(), 0600) == 0);

    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(128);
    QVERIFY(grey.save(path("grey.png")));
    QVERIFY(grey.save(path("grey.jpg")));
    QImage palette = solid(30, 20, qRgb(200, 10, 10)).convertToFormat(QImage::Format_Indexed8);
    QVERIFY(palette.save(path("palette.png")));
    QVERIFY(palette.save(path("palette.bmp")));
    // Photos made at test time: noise does not compress, so the files are big enough to cut.
    const QList<QStringList> photos = {
        {"-size", "640x480", "plasma:fractal", "-quality", "95", path("photo.jpg")},
        {"-size", "640x480", "plasma:fractal", "-quality", "95", "-interlace", "JPEG", path("progressive.jpg")},
        {"-size", "30x40", "xc:#ff0000", "-size", "30x40", "xc:#0000ff", "+append", path("stored.jpg")},
        {"-size", "30x40", "xc:#ff0000", "-size", "30x40", "xc:#0000ff", "+append", "-orient", "RightTop",
         path("sideways.tif")},
    };
    for (const QStringList &args : photos) {
        const QString out = runCommand(convertPath(), args, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
    }
    QFile stored(path("stored.jpg"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    writeFile(path("sideways.jpg"), jpegWithOrientation(stored.readAll(), 6));
}

void TestPictureDisplay::init()
{
    AppSettings::instance().reset();
}

void TestPictureDisplay::sniffFormat_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<PictureFormat>("format");
    QTest::addRow("jpeg") << QByteArray("\xFF\xD8\xFF\xE1xxxxxxxxxxxxxxxx", 20) << PictureFormat::Jpeg;
    QTest::addRow("png") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) << PictureFormat::Png;
    QTest::addRow("gif87") << QByteArray("GIF87a..........") << PictureFormat::Gif;
    QTest::addRow("gif89") << QByteArray("GIF89a..........") << PictureFormat::Gif;
    QTest::addRow("tiff le") << QByteArray("II*\0\x08\0\0\0........", 16) << PictureFormat::Tiff;
    QTest::addRow("tiff be") << QByteArray("MM\0*\0\0\0\x08........", 16) << PictureFormat::Tiff;
    QTest::addRow("bmp") << QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18) << PictureFormat::Bmp;
    QTest::addRow("BM text") << QByteArray("BM is a text file") << PictureFormat::None;
    QTest::addRow("svg") << QByteArray("<svg xmlns=\"http") << PictureFormat::None;
    QTest::addRow("png cut short") << QByteArray("\x89PNG", 4) << PictureFormat::None;
    QTest::addRow("empty") << QByteArray() << PictureFormat::None;
}

void TestPictureDisplay::sniffFormat()
{
    QFETCH(QByteArray, head);
    QFETCH(PictureFormat, format);
    QCOMPARE(sniffPictureFormat(head), format);
}

void TestPictureDisplay::openablePictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PictureFormat>("format");
    QTest::addColumn<QSize>("size");
    // The size rows are refused for their size alone: the headers are sound.
    QTest::addRow("png") << "green.png" << PictureFormat::Png << QSize(1024, 768);
    QTest::addRow("jpeg") << "blue.jpg" << PictureFormat::Jpeg << QSize(40, 30);
    QTest::addRow("bmp") << "blue.bmp" << PictureFormat::Bmp << QSize(40, 30);
    QTest::addRow("gif") << "blue.gif" << PictureFormat::Gif << QSize(40, 30);
    QTest::addRow("tiff") << "blue.tif" << PictureFormat::Tiff << QSize(40, 30);
    QTest::addRow("missing") << "nothing.png" << PictureFormat::None << QSize();
    QTest::addRow("fifo named .png") << "pipe.png" << PictureFormat::None << QSize();
    QTest::addRow("folder") << "." << PictureFormat::None << QSize();
    QTest::addRow("text named .png") << "text.png" << PictureFormat::None << QSize();
    QTest::addRow("svg named .jpg") << "drawing.jpg" << PictureFormat::None << QSize();
    QTest::addRow("corrupt jpeg") << "corrupt.jpg" << PictureFormat::None << QSize();
    QTest::addRow("wider than the tool allows") << "wide.png" << PictureFormat::None << QSize();
    QTest::addRow("more pixels than the tool allows") << "vast.png" << PictureFormat::None << QSize();
}

void TestPictureDisplay::openablePictures()
{
    QFETCH(QString, name);
    QFETCH(PictureFormat, format);
    QFETCH(QSize, size);
    PictureFileInfo info;
    QString why;
    // Returns at once even for a FIFO: nothing here may block.
    const bool ok = readPictureInfo(path(name), info, &why);
    QCOMPARE(ok, format != PictureFormat::None);
    if (ok) {
        QCOMPARE(info.format, format);
        QCOMPARE(info.size, size);
        const QImage image = loadPictureFile(path(name));
        QCOMPARE(image.size(), size);
    } else {
        QVERIFY(!why.isEmpty());
        QCOMPARE(why.startsWith(QLatin1String("It is ")) && why.contains(QLatin1String(" pixels")),
                 name == "wide.png" || name == "vast.png");
        QVERIFY(loadPictureFile(path(name)).isNull());
    }
}

void TestPictureDisplay::pixelLimits_data()
{
    // Header-only PNGs: the limits are decided before anything is decoded.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bitDepth");
    QTest::addColumn<int>("colorType");
    QTest::addColumn<QString>("refusal");   // empty: accepted
    QTest::addRow("grey at its limit") << QSize(7723, 7723) << 8 << 0 << "";
    QTest::addRow("grey over its limit") << QSize(7724, 7724) << 8 << 0 << "at most 59.65 megapixels of a grey PNG";
    QTest::addRow("1-bit grey over the grey limit") << QSize(7724, 7724) << 1 << 0 << "of a grey PNG";
    QTest::addRow("16-bit grey far beyond the grey limit") << QSize(11000, 11000) << 16 << 0 << "";
    QTest::addRow("palette at its limit") << QSize(10361, 10361) << 8 << 3 << "";
    QTest::addRow("palette over its limit") << QSize(10363, 10363) << 8 << 3
                                            << "at most 107.37 megapixels of a picture with a palette";
    QTest::addRow("color at the tool's limit") << QSize(16000, 8000) << 8 << 2 << "";
    QTest::addRow("color over the tool's limit") << QSize(16000, 8001) << 8 << 2 << "at most 128.00 megapixels can be used";
    QTest::addRow("16-bit color within the decoding budget") << QSize(8000, 8000) << 16 << 6 << "";
    // 8 bytes a pixel decoded: about 970 MB, over the 512 MB budget.
    QTest::addRow("16-bit color over the decoding budget") << QSize(11000, 11000) << 16 << 6
                                                           << "at most 67.11 megapixels";
}

void TestPictureDisplay::pixelLimits()
{
    QFETCH(QSize, size);
    QFETCH(int, bitDepth);
    QFETCH(int, colorType);
    QFETCH(QString, refusal);
    const QString file = path("limit.png");
    writeFile(file, pngHeaderOnly(size.width(), size.height(), bitDepth, colorType));
    // The environment cannot widen the budget.
    qputenv("QT_IMAGEIO_MAXALLOC", "4096");
    PictureFileInfo info;
    QString why;
    const bool ok = readPictureInfo(file, info, &why);
    qunsetenv("QT_IMAGEIO_MAXALLOC");
    QCOMPARE(ok, refusal.isEmpty());
    if (!ok) {
        QVERIFY2(why.contains(refusal), qPrintable(why));
        QVERIFY(why.startsWith(QStringLiteral("It is %1 x %2 pixels").arg(size.width()).arg(size.height())));
        // Refused for the preview as for the image tool, without a decoding attempt.
        QVERIFY(loadPictureFile(file).isNull());
        PictureBox box;
        QVERIFY(!box.loadFromFile(file));
        QVERIFY(!box.hasPicture());
    }
}

void TestPictureDisplay::pixelKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PicturePixels>("pixels");
    QTest::addRow("jpeg") << "blue.jpg" << PicturePixels::Direct;
    QTest::addRow("grey jpeg") << "grey.jpg" << PicturePixels::Direct;
    QTest::addRow("color png") << "green.png" << PicturePixels::Direct;
    QTest::addRow("grey png") << "grey.png" << PicturePixels::PngGrey;
    QTest::addRow("palette png") << "palette.png" << PicturePixels::Palette;
    QTest::addRow("gif") << "blue.gif" << PicturePixels::Palette;
    QTest::addRow("24-bit bmp") << "blue.bmp" << PicturePixels::Direct;
    QTest::addRow("8-bit bmp") << "palette.bmp" << PicturePixels::Palette;
    QTest::addRow("tiff") << "blue.tif" << PicturePixels::Direct;
}

void TestPictureDisplay::pixelKinds()
{
    QFETCH(QString, name);
    QFETCH(PicturePixels, pixels);
    PictureFileInfo info;
    QVERIFY(readPictureInfo(path(name), info));
    QCOMPARE(info.pixels, pixels);
}

void TestPictureDisplay::incompleteJpeg_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<qint64>("keep");       // bytes kept from the start; -1: all
    QTest::addColumn<QByteArray>("append");
    QTest::addColumn<bool>("complete");
    QTest::addRow("whole photo") << "photo.jpg" << qint64(-1) << QByteArray() << true;
    QTest::addRow("whole progressive photo") << "progressive.jpg" << qint64(-1) << QByteArray() << true;
    QTest::addRow("bytes after the end") << "photo.jpg" << qint64(-1) << QByteArray(5000, '\0') << true;
    QTest::addRow("first 4 KB") << "photo.jpg" << qint64(4096) << QByteArray() << false;
    QTest::addRow("first half") << "photo.jpg" << qint64(-2) << QByteArray() << false;
    QTest::addRow("progressive, first half") << "progressive.jpg" << qint64(-2) << QByteArray() << false;
    QTest::addRow("all but the end marker") << "photo.jpg" << qint64(-3) << QByteArray() << false;
    QTest::addRow("cut in the headers") << "photo.jpg" << qint64(300) << QByteArray() << false;
}

void TestPictureDisplay::incompleteJpeg()
{
    QFETCH(QString, source);
    QFETCH(qint64, keep);
    QFETCH(QByteArray, append);
    QFETCH(bool, complete);
    QFile whole(path(source));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QByteArray bytes = whole.readAll();
    QVERIFY(bytes.size() > 100000);
    if (keep == -2)
        bytes.truncate(bytes.size() / 2);
    else if (keep == -3)
        bytes.chop(2);
    else if (keep >= 0)
        bytes.truncate(keep);
    bytes += append;
    const QString file = path("cut.jpg");
    writeFile(file, bytes);

    QFile device(file);
    QVERIFY(device.open(QIODevice::ReadOnly));
    QCOMPARE(isCompleteJpeg(device), complete);
    PictureFileInfo info;
    QString why;
    QCOMPARE(readPictureInfo(file, info, &why), complete);
    QCOMPARE(loadPictureFile(file).isNull(), !complete);
    if (!complete)
        QCOMPARE(why, QStringLiteral("The file ends before the picture does: it may be an unfinished download or copy."));
}

void TestPictureDisplay::orientationApplied_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("jpeg") << "sideways.jpg";
    QTest::addRow("tiff") << "sideways.tif";
}

void TestPictureDisplay::orientationApplied()
{
    // Stored 60x40, red left and blue right, tagged to be turned a quarter clockwise: upright it
    // is 40x60, red above blue.
    QFETCH(QString, name);
    const QImage upright = loadPictureFile(path(name));
    QCOMPARE(upright.size(), QSize(40, 60));
    QVERIFY(near(upright.pixel(20, 10), qRgb(255, 0, 0), 40));
    QVERIFY(near(upright.pixel(20, 50), qRgb(0, 0, 255), 40));

    PictureBox box;
    QVERIFY(box.loadFromFile(path(name)));
    QCOMPARE(box.pictureSize(), QSize(40, 60));

    ActualSizeViewer viewer(path(name));
    QVERIFY(viewer.initialize());
    QCOMPARE(viewer.size(), QSize(40, 60));
}

void TestPictureDisplay::colorProfileConvertedToSrgb()
{
    QImage wide = solid(8, 8, qRgb(200, 60, 60));
    wide.setColorSpace(QColorSpace::AdobeRgb);
    QVERIFY(wide.save(path("adobe.png")));
    QImage plain = solid(8, 8, qRgb(200, 60, 60));
    QVERIFY(plain.save(path("plain.png")));

    const QImage converted = loadPictureFile(path("adobe.png"));
    QCOMPARE(converted.colorSpace(), QColorSpace(QColorSpace::SRgb));
    QVERIFY(!near(converted.pixel(4, 4), qRgb(200, 60, 60), 4));
    const QImage untouched = loadPictureFile(path("plain.png"));
    QVERIFY(near(untouched.pixel(4, 4), qRgb(200, 60, 60)));
}

void TestPictureDisplay::layout_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("bar0");
    QTest::addColumn<QRect>("bar1");
    QTest::addColumn<QRect>("target");
    QTest::addColumn<bool>("fill");

    const int fit = PictureBox::FitLetterbox;
    QTest::addRow("wide picture: bars top and bottom") << fit << QSize(400, 300) << QSize(1600, 900)
        << QRect(0, 0, 400, 38) << QRect(0, 262, 400, 38) << QRect(0, 38, 400, 225) << false;
    QTest::addRow("tall picture: bars left and right") << fit << QSize(400, 300) << QSize(300, 600)
        << QRect(0, 0, 125, 300) << QRect(275, 0, 125, 300) << QRect(125, 0, 150, 300) << false;
    QTest::addRow("odd width: the right bar takes the odd pixel") << fit << QSize(401, 300) << QSize(300, 600)
        << QRect(0, 0, 125, 300) << QRect(275, 0, 126, 300) << QRect(125, 0, 150, 300) << false;
    QTest::addRow("equal aspect: empty bars") << fit << QSize(400, 300) << QSize(800, 600)
        << QRect(0, 0, 400, 0) << QRect(0, 300, 400, 0) << QRect(0, 0, 400, 300) << false;
    QTest::addRow("actual size top left") << int(PictureBox::ActualTopLeft) << QSize(400, 300) << QSize(50, 40)
        << QRect() << QRect() << QRect(0, 0, 50, 40) << true;
    QTest::addRow("actual size centred") << int(PictureBox::ActualCentered) << QSize(400, 300) << QSize(51, 41)
        << QRect() << QRect() << QRect(175, 130, 51, 41) << true;
    QTest::addRow("actual size centred, larger than the box") << int(PictureBox::ActualCentered)
        << QSize(400, 300) << QSize(1000, 500) << QRect() << QRect() << QRect(-300, -100, 1000, 500) << true;
    QTest::addRow("stretch") << int(PictureBox::Stretch) << QSize(400, 300) << QSize(10, 90)
        << QRect() << QRect() << QRect(0, 0, 400, 300) << false;
}

void TestPictureDisplay::layout()
{
    QFETCH(int, mode);
    QFETCH(QSize, client);
    QFETCH(QSize, picture);
    QFETCH(QRect, bar0);
    QFETCH(QRect, bar1);
    QFETCH(QRect, target);
    QFETCH(bool, fill);
    const PictureBoxLayout layout = computePictureBoxLayout(mode, client, picture);
    QCOMPARE(layout.bars[0], bar0);
    QCOMPARE(layout.bars[1], bar1);
    QCOMPARE(layout.picture, target);
    QCOMPARE(layout.fillClient, fill);
}

void TestPictureDisplay::paintsBarsAndPicture_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QList<QPoint>>("barPoints");
    QTest::addColumn<QList<QPoint>>("picturePoints");
    QTest::addRow("1600x900 in 400x300") << QSize(400, 300) << QSize(1600, 900)
        << QList<QPoint>{{0, 0}, {399, 37}, {200, 263}, {399, 299}}
        << QList<QPoint>{{0, 38}, {200, 150}, {399, 261}};
    QTest::addRow("300x600 in 400x300") << QSize(400, 300) << QSize(300, 600)
        << QList<QPoint>{{0, 0}, {124, 299}, {275, 0}, {399, 299}}
        << QList<QPoint>{{125, 0}, {200, 150}, {274, 299}};
    QTest::addRow("300x600 in 401x300") << QSize(401, 300) << QSize(300, 600)
        << QList<QPoint>{{124, 150}, {275, 150}, {400, 150}}
        << QList<QPoint>{{125, 150}, {274, 150}};
}

void TestPictureDisplay::paintsBarsAndPicture()
{
    QFETCH(QSize, client);
    QFETCH(QSize, picture);
    QFETCH(QList<QPoint>, barPoints);
    QFETCH(QList<QPoint>, picturePoints);
    const QRgb pictureColor = qRgb(0xEE, 0xCC, 0x22);
    QVERIFY(solid(picture.width(), picture.height(), pictureColor).save(path("paint.png")));
    AppSettings::instance().set(Settings::DefaultBackgroundColor, 0x102030);

    PictureBox box;
    box.setDrawMode(PictureBox::FitLetterbox);
    box.resize(client);
    QVERIFY(box.loadFromFile(path("paint.png")));
    const QImage shot = render(box);
    QCOMPARE(shot.size(), client);
    for (const QPoint &p : barPoints)
        QVERIFY2(shot.pixel(p) == qRgb(0x10, 0x20, 0x30), qPrintable(QStringLiteral("bar at %1,%2: %3")
                     .arg(p.x()).arg(p.y()).arg(shot.pixel(p), 8, 16)));
    for (const QPoint &p : picturePoints)
        QVERIFY2(shot.pixel(p) == pictureColor, qPrintable(QStringLiteral("picture at %1,%2: %3")
                     .arg(p.x()).arg(p.y()).arg(shot.pixel(p), 8, 16)));
}

void TestPictureDisplay::loadStates()
{
    AppSettings::instance().set(Settings::DefaultBackgroundColor, 0x102030);
    PictureBox box;
    box.resize(120, 80);
    box.setDrawMode(PictureBox::FitLetterbox);

    QVERIFY(box.loadPlaceholder());
    QVERIFY(box.isPlaceholder());
    // The empty path drops the picture but keeps the placeholder flag.
    QVERIFY(!box.loadFromFile(QString()));
    QVERIFY(!box.hasPicture());
    QVERIFY(box.isPlaceholder());
    QCOMPARE(render(box).pixel(60, 40), qRgb(0x10, 0x20, 0x30));

    QVERIFY(box.loadFromFile(path("blue.bmp")));
    QVERIFY(!box.isPlaceholder());
    QCOMPARE(box.pictureSize(), QSize(40, 30));

    // A file that cannot be loaded leaves only the background color.
    QVERIFY(!box.loadFromFile(path("truncated.png")));
    QVERIFY(!box.hasPicture());
    const QImage shot = render(box);
    QCOMPARE(shot.pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    QCOMPARE(shot.pixel(60, 40), qRgb(0x10, 0x20, 0x30));
}

void TestPictureDisplay::placeholder()
{
    const QImage art = PictureBox::placeholderImage();
    QCOMPARE(art.size(), QSize(860, 482));
    QCOMPARE(art.pixel(2, 2), qRgb(0, 0, 255));
    QCOMPARE(art.pixel(857, 479), qRgb(0, 0, 255));
    // Red lettering on two lines: red rows in the upper and the lower half, a blue gap between.
    auto redInRows = [&art](int from, int to) {
        int count = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < art.width(); ++x)
                count += art.pixel(x, y) == qRgb(255, 0, 0);
        return count;
    };
    QVERIFY(redInRows(100, 220) > 2000);
    QVERIFY(redInRows(260, 360) > 2000);
    QCOMPARE(redInRows(0, 60), 0);
    QCOMPARE(redInRows(440, 482), 0);

    PictureBox box;
    box.setDrawMode(PictureBox::FitLetterbox);
    box.resize(430, 241);
    QVERIFY(box.loadPlaceholder());
    QCOMPARE(box.pictureSize(), QSize(860, 482));
    const QImage shot = render(box);
    QCOMPARE(shot.pixel(3, 3), qRgb(0, 0, 255));
}

void TestPictureDisplay::viewerPlacement_data()
{
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addRow("centred over the owner") << QRect(100, 100, 800, 600) << QSize(400, 300) << QPoint(300, 250);
    QTest::addRow("would stick out right and bottom") << QRect(1000, 600, 600, 400) << QSize(800, 600)
                                                     << QPoint(800, 400);
    QTest::addRow("would stick out left and top") << QRect(-300, -200, 400, 300) << QSize(500, 400)
                                                 << QPoint(0, 0);
    QTest::addRow("larger than the work area: left and top win") << QRect(100, 100, 800, 600)
                                                                 << QSize(2000, 1200) << QPoint(0, 0);
}

void TestPictureDisplay::viewerPlacement()
{
    QFETCH(QRect, owner);
    QFETCH(QSize, frame);
    QFETCH(QPoint, topLeft);
    QCOMPARE(WindowPlacement::centeredOver(owner, frame, QRect(0, 0, 1600, 1000)), topLeft);
}

void TestPictureDisplay::viewerFit_data()
{
    QTest::addColumn<QSize>("content");
    QTest::addColumn<QSize>("room");
    QTest::addColumn<QSize>("fitted");
    QTest::addRow("fits: actual size") << QSize(640, 360) << QSize(800, 600) << QSize(640, 360);
    QTest::addRow("exactly the room") << QSize(800, 600) << QSize(800, 600) << QSize(800, 600);
    QTest::addRow("too wide") << QSize(1600, 400) << QSize(800, 600) << QSize(800, 200);
    QTest::addRow("too high") << QSize(1920, 1080) << QSize(1918, 1055) << QSize(1875, 1055);
    QTest::addRow("both: the tighter side wins") << QSize(1920, 1080) << QSize(1364, 743) << QSize(1320, 743);
    QTest::addRow("sliver keeps a pixel") << QSize(10000, 2) << QSize(100, 100) << QSize(100, 1);
    QTest::addRow("no room: as it is") << QSize(640, 360) << QSize() << QSize(640, 360);
}

void TestPictureDisplay::viewerFit()
{
    QFETCH(QSize, content);
    QFETCH(QSize, room);
    QFETCH(QSize, fitted);
    QCOMPARE(WindowPlacement::fitWithin(content, room), fitted);
}

void TestPictureDisplay::viewerSizedToPicture()
{
    QWidget owner;
    owner.setGeometry(200, 150, 600, 500);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    const QRect workArea = owner.screen()->availableGeometry();

    // Larger than the screen: scaled down to fit its work area with a frame (the owner's, until
    // the viewer has one), and the caption says so.
    ActualSizeViewer big(path("green.png"), &owner);
    QVERIFY(big.initialize());
    QCOMPARE(big.pictureSize(), QSize(1024, 768));
    const QSize room = WindowPlacement::clientRoom(workArea, owner.windowHandle()->frameMargins());
    QVERIFY(big.width() <= room.width() && big.height() <= room.height());
    QVERIFY(big.width() == room.width() || big.height() == room.height());
    QVERIFY(qAbs(big.width() * 768 - big.height() * 1024) <= 1024);
    const int percent = 100 * big.width() / 1024;
    QCOMPARE(big.windowTitle(),
             QStringLiteral("Velmora View Actual Size - Scaled to %1% to Fit the Screen - Press Esc to Close").arg(percent));
    QCOMPARE(render(big).pixel(big.width() - 1, big.height() - 1), qRgb(0, 200, 0));

    ActualSizeViewer small(path("blue.jpg"), &owner);
    QVERIFY(small.initialize());
    QCOMPARE(small.windowTitle(), QStringLiteral("Velmora View Actual Size - Press Esc to Close"));
    QCOMPARE(small.size(), QSize(40, 30));
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    const QPoint offCentre = small.geometry().center() - owner.geometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
}

void TestPictureDisplay::viewerLoadFailure()
{
    MessageRecorder recorder;
    ActualSizeViewer viewer(path("text.png"));
    QCOMPARE(viewer.exec(), 0);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.at(0).text, QStringLiteral("Unable to load the Picture for Viewing."));
    QCOMPARE(recorder.messages.at(0).caption, QStringLiteral("Velmora"));
    QCOMPARE(recorder.messages.at(0).icon, QMessageBox::NoIcon);
    QCOMPARE(recorder.messages.at(0).owner, &viewer);
    QVERIFY(!viewer.isVisible());
}

void TestPictureDisplay::viewerEnds_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::addRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
    QTest::addRow("Return") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::addRow("Enter") << int(Qt::Key_Enter) << int(QDialog::Accepted);
    QTest::addRow("close box") << 0 << int(QDialog::Rejected);
}

void TestPictureDisplay::viewerEnds()
{
    QFETCH(int, key);
    QFETCH(int, result);
    ActualSizeViewer viewer(path("blue.jpg"));
    QTimer::singleShot(0, &viewer, [&viewer, key] {
        QVERIFY(viewer.isVisible());
        if (key)
            QTest::keyClick(&viewer, Qt::Key(key));
        else
            viewer.close();
    });
    QCOMPARE(viewer.exec(), result);
}

void TestPictureDisplay::viewerDrag()
{
    ActualSizeViewer viewer(path("green.png"));
    QVERIFY(viewer.initialize());
    viewer.move(100, 80);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const QPoint start = viewer.pos();
    auto send = [&viewer](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, viewer.mapFromGlobal(QPointF(global)), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&viewer, &event);
    };
    const QPoint grab = start + QPoint(40, 30);
    send(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    QVERIFY(viewer.isDragging());
    send(QEvent::MouseMove, grab + QPoint(250, -120), Qt::LeftButton);
    QCOMPARE(viewer.pos(), start + QPoint(250, -120));
    // Off the screen is allowed; the point under the cursor stays fixed.
    send(QEvent::MouseMove, QPoint(-500, -400), Qt::LeftButton);
    QCOMPARE(viewer.pos(), QPoint(-500, -400) - QPoint(40, 30));
    send(QEvent::MouseButtonRelease, QPoint(-500, -400), Qt::NoButton);
    QVERIFY(!viewer.isDragging());
    send(QEvent::MouseMove, QPoint(10, 10), Qt::NoButton);
    QCOMPARE(viewer.pos(), QPoint(-540, -430));
}

QTEST_MAIN(TestPictureDisplay)
#include "test_picture_display.moc"
