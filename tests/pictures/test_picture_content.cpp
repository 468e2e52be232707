#include "PicturePreparationFixture.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "common/PictureWaits.h"
#include "common/TestSupport.h"
#include "media/PictureFile.h"
#include "model/PicturePreparation.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

#include <QDir>
#include <QImage>
#include <QtTest>

using namespace TestSupport;

namespace {

// Bits per pixel from a bitmap file's header.
int bmpBitCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(30);
    if (head.size() < 30 || !head.startsWith("BM"))
        return -1;
    return quint8(head[28]) | quint8(head[29]) << 8;
}

// Columns and rows that hold anything but the background color.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != PicturePreparationFixture::BackgroundPixel)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// Number of separate bands of rows holding ink: one per line of text.
int inkBands(const QImage &image)
{
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = image.pixel(x, y) != PicturePreparationFixture::BackgroundPixel;
        if (ink && !inBand)
            ++bands;
        inBand = ink;
    }
    return bands;
}

} // namespace

// What a prepared picture holds: letterboxed at every size, upright, the first frame, within the
// tool's limits, blank canvases, captions drawn as typed, and a picture the encoder takes.
class TestPictureContent : public PicturePreparationFixture
{
    Q_OBJECT

private slots:
    void letterbox_data();
    void letterbox();
    void multiFrameSourcesUseTheFirstFrame();
    void orientedPhotoComesOutUpright();
    void greyPngLimitAgreesWithTheTool();
    void blankCanvases();
    void noPictureUsesCanvasOfCurrentSize();
    void captionRendersCharacters_data();
    void captionRendersCharacters();
    void captionLineBreak();
    void placementAndShadowPixels();
    void videoFromPreparedPicture_data();
    void videoFromPreparedPicture();

private:
    QImage renderCaption(const CaptionSettings &settings);
};

QImage TestPictureContent::renderCaption(const CaptionSettings &settings)
{
    PicturePreparation preparation(m_canvases);
    preparation.setState(PicturePreparation::State::Plain);
    if (!TestSupport::renderCaption(preparation, settings))
        return {};
    return QImage(preparation.withTextPath()).convertToFormat(QImage::Format_RGB32);
}

void TestPictureContent::letterbox_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QSize>("sourceSize");
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<int>("sizeIndex");
    const struct {
        const char *name;
        QSize size;
        QRgb color;
        int tolerance;
    } shapes[] = {
        {"portrait.jpg", {300, 600}, qRgb(0, 200, 0), 12},
        {"landscape.png", {800, 300}, qRgb(0xe0, 0xc0, 0x20), 0},
        {"square.gif", {200, 200}, qRgb(255, 0, 0), 0},
        {"tiny.tif", {16, 16}, qRgb(255, 255, 255), 0},
    };
    for (const auto &shape : shapes)
        for (int i = 0; i < TargetSizeTable::RowCount; ++i)
            QTest::addRow("%s at size %d", shape.name, i)
                << QString::fromLatin1(shape.name) << shape.size << shape.color << shape.tolerance << i;
}

void TestPictureContent::letterbox()
{
    QFETCH(QString, source);
    QFETCH(QSize, sourceSize);
    QFETCH(QRgb, color);
    QFETCH(int, tolerance);
    QFETCH(int, sizeIndex);
    AppSettings::instance().set(Settings::TargetVideoSize, sizeIndex);
    const TargetSize &target = TargetSizeTable::instance().row(sizeIndex);
    const int w = target.width;
    const int h = target.height;

    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, path(source), nullptr));
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(preparation.currentPicturePath(), preparation.resizedPath());

    const QString out = preparation.currentPicturePath();
    QCOMPARE(bmpBitCount(out), 24);
    const QImage image(out);
    QCOMPARE(image.size(), QSize(w, h));
    QVERIFY(!image.hasAlphaChannel());

    const QSize fitted = sourceSize.scaled(w, h, Qt::KeepAspectRatio);
    QVERIFY(near(image.pixel(w / 2, h / 2), color, tolerance));
    QList<QPoint> bars;
    if (w - fitted.width() >= 4)
        bars << QPoint(0, h / 2) << QPoint(w - 1, h / 2) << QPoint(0, 0) << QPoint(w - 1, h - 1);
    if (h - fitted.height() >= 4)
        bars << QPoint(w / 2, 0) << QPoint(w / 2, h - 1) << QPoint(0, 0) << QPoint(w - 1, h - 1);
    QVERIFY(!bars.isEmpty() || fitted == QSize(w, h));
    for (const QPoint &p : bars)
        QVERIFY2(image.pixel(p) == BackgroundPixel,
                 qPrintable(QStringLiteral("bar at %1,%2 is %3").arg(p.x()).arg(p.y()).arg(pixelText(image.pixel(p)))));
    // Inside the picture, just within its edges.
    const QRect inside((w - fitted.width()) / 2 + 2, (h - fitted.height()) / 2 + 2, fitted.width() - 4,
                       fitted.height() - 4);
    QVERIFY(near(image.pixel(inside.topLeft()), color, tolerance));
    QVERIFY(near(image.pixel(inside.bottomRight()), color, tolerance));
}

void TestPictureContent::orientedPhotoComesOutUpright()
{
    // Stored 60x40, red left of blue, tagged to be turned a quarter clockwise: upright, a
    // portrait with red above blue, letterboxed with bars left and right.
    int exitCode = -1;
    const QString out = runCommand(convertPath(), {"-size", "30x40", "xc:#ff0000", "-size", "30x40", "xc:#0000ff",
                                                   "+append", path("stored.jpg")}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(out));
    QFile stored(path("stored.jpg"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QFile phone(path("phone.jpg"));
    QVERIFY(phone.open(QIODevice::WriteOnly));
    phone.write(jpegWithOrientation(stored.readAll(), 6));
    phone.close();

    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, phone.fileName(), nullptr));
    const QImage image(preparation.currentPicturePath());
    QCOMPARE(image.size(), QSize(640, 360));
    QCOMPARE(image.pixel(100, 180), BackgroundPixel);
    QCOMPARE(image.pixel(540, 180), BackgroundPixel);
    QVERIFY2(near(image.pixel(320, 60), qRgb(255, 0, 0), 40), qPrintable(pixelText(image.pixel(320, 60))));
    QVERIFY2(near(image.pixel(320, 300), qRgb(0, 0, 255), 40), qPrintable(pixelText(image.pixel(320, 300))));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestPictureContent::greyPngLimitAgreesWithTheTool()
{
    // The largest grey PNG the program takes is prepared by the real tool; one pixel row and
    // column more is refused up front with its size, and a little further the tool fails by
    // itself, naming no reason.
    QImage largest(7723, 7723, QImage::Format_Grayscale8);
    largest.fill(200);
    QVERIFY(largest.save(path("largest-grey.png")));
    largest = QImage();
    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, path("largest-grey.png"), nullptr));
    QVERIFY(m_messages->messages.isEmpty());
    QVERIFY(near(QImage(preparation.currentPicturePath()).pixel(320, 180), qRgb(200, 200, 200), 2));

    QImage over(7724, 7724, QImage::Format_Grayscale8);
    over.fill(200);
    QVERIFY(over.save(path("over-grey.png")));
    over = QImage();
    QVERIFY(!preparePicture(preparation, path("over-grey.png"), nullptr));
    QCOMPARE(m_messages->messages.size(), 1);
    QVERIFY2(m_messages->messages.at(0).text.contains(QLatin1String("at most 59.65 megapixels of a grey PNG")),
             qPrintable(m_messages->messages.at(0).text));

    QImage beyond(7760, 7760, QImage::Format_Grayscale8);
    beyond.fill(200);
    QVERIFY(beyond.save(path("beyond-grey.png")));
    beyond = QImage();
    int exitCode = -1;
    const QString out = runCommand(convertPath(), letterboxArguments(imageToolInput(PictureFormat::Png, path("beyond-grey.png")),
                                                                    640, 360, 0, imageToolOutput(path("beyond.bmp"))),
                                   &exitCode);
    QVERIFY2(exitCode != 0, qPrintable(out));
}

void TestPictureContent::multiFrameSourcesUseTheFirstFrame()
{
    // Without a frame index the tool writes one file per frame and none under the asked name.
    QString folder;
    QVERIFY(getTempFolder(folder));
    for (const QString name : {"animated.gif", "pages.tif"}) {
        int exitCode = -1;
        const QString out = runCommand(convertPath(), {"-size", "80x60", "xc:#00ff00", "xc:#ff0000", path(name)},
                                       &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
        PicturePreparation preparation(m_canvases);
        QVERIFY2(preparePicture(preparation, path(name), nullptr), qPrintable(name));
        const QImage image(preparation.currentPicturePath());
        QCOMPARE(image.size(), QSize(640, 360));
        QCOMPARE(image.pixel(320, 180), qRgb(0, 255, 0));
        QCOMPARE(QDir(folder).entryList({"*-0.bmp", "*-1.bmp"}, QDir::Files), QStringList());
    }
    QVERIFY(m_messages->messages.isEmpty());
}

void TestPictureContent::blankCanvases()
{
    for (int i = 0; i < TargetSizeTable::RowCount; ++i) {
        const TargetSize &row = TargetSizeTable::instance().row(i);
        QVERIFY(QFileInfo(m_canvases.path(i)).fileName().startsWith(QStringLiteral("VL_Blank_%1_").arg(i)));
        QCOMPARE(bmpBitCount(m_canvases.path(i)), 24);
        const QImage image(m_canvases.path(i));
        QCOMPARE(image.size(), row.size());
        QCOMPARE(image.pixel(0, 0), BackgroundPixel);
        QCOMPARE(image.pixel(row.width - 1, row.height - 1), BackgroundPixel);
        QCOMPARE(image.pixel(row.width / 2, row.height / 2), BackgroundPixel);
    }
}

void TestPictureContent::noPictureUsesCanvasOfCurrentSize()
{
    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, QString(), nullptr));
    QCOMPARE(preparation.currentPicturePath(), m_canvases.path(2));
    QCOMPARE(QImage(preparation.currentPicturePath()).size(), QSize(640, 360));
    AppSettings::instance().set(Settings::TargetVideoSize, 0);
    QCOMPARE(preparation.currentPicturePath(), m_canvases.path(0));

    // Text on without a picture: drawn on the canvas of the current size.
    CaptionSettings text = caption(QStringLiteral("Blank"));
    QVERIFY(preparePicture(preparation, QString(), &text));
    QCOMPARE(preparation.state(), PicturePreparation::State::WithText);
    QCOMPARE(preparation.currentPicturePath(), preparation.withTextPath());
    QCOMPARE(bmpBitCount(preparation.withTextPath()), 24);
    QCOMPARE(QImage(preparation.currentPicturePath()).size(), QSize(1280, 720));

    // A size change re-runs the preparation with the same source.
    QVERIFY(preparePicture(preparation, path("square.gif"), nullptr));
    QCOMPARE(QImage(preparation.currentPicturePath()).size(), QSize(1280, 720));
    AppSettings::instance().set(Settings::TargetVideoSize, 3);
    QVERIFY(preparePicture(preparation, preparation.sourcePath(), nullptr));
    QCOMPARE(QImage(preparation.currentPicturePath()).size(), QSize(426, 240));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestPictureContent::captionRendersCharacters_data()
{
    // Typed twice, each character must show twice: an escape the tool consumed would show once.
    QTest::addColumn<QString>("single");
    QTest::addRow("backslash") << R"(\)";
    QTest::addRow("percent") << "%";
    QTest::addRow("double quote") << "\"";
    QTest::addRow("leading at sign") << "@";
}

void TestPictureContent::captionRendersCharacters()
{
    QFETCH(QString, single);
    const QImage once = renderCaption(caption(single));
    const QImage twice = renderCaption(caption(single + single));
    QVERIFY(!once.isNull() && !twice.isNull());
    QVERIFY(m_messages->messages.isEmpty());
    const int w1 = inkBounds(once).width();
    const int w2 = inkBounds(twice).width();
    QVERIFY2(w1 > 0 && w2 > w1 * 3 / 2, qPrintable(QStringLiteral("%1 then %2").arg(w1).arg(w2)));
}

void TestPictureContent::captionLineBreak()
{
    QImage image = renderCaption(caption(QStringLiteral("Say \"hi\" \\ 50%\nsecond line")));
    QVERIFY(!image.isNull());
    QCOMPARE(inkBands(image), 2);

    // A caption that starts with "@" is text, not a file to read.
    image = renderCaption(caption(QStringLiteral("@/etc/hostname")));
    QVERIFY(!image.isNull());
    QCOMPARE(inkBands(image), 1);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestPictureContent::placementAndShadowPixels()
{
    CaptionSettings base = caption(QStringLiteral("XY"));
    base.pointSize = 60;
    base.placement = 8;
    base.textColor = qRgb(255, 255, 255);

    CaptionSettings atCorner = base;
    CaptionSettings moved = base;
    moved.xPosition = 10;
    moved.yPosition = 20;
    CaptionSettings withShadow = moved;
    withShadow.shadowOn = true;
    withShadow.shadowColor = qRgb(255, 0, 0);
    withShadow.shadowXOffset = 2;
    withShadow.shadowYOffset = 2;
    CaptionSettings shadowAlone = base;
    shadowAlone.xPosition = 12;
    shadowAlone.yPosition = 22;
    shadowAlone.textColor = qRgb(255, 0, 0);

    const QImage corner = renderCaption(atCorner);
    const QImage text = renderCaption(moved);
    const QImage both = renderCaption(withShadow);
    const QImage shadow = renderCaption(shadowAlone);
    QVERIFY(!corner.isNull() && !text.isNull() && !both.isNull() && !shadow.isNull());
    const int w = corner.width();
    const int h = corner.height();

    // Offsets 10, 20 at the bottom right move the text 10 right and 20 down.
    QVERIFY(inkBounds(corner).bottom() > h - 30);
    for (int y = 0; y < h - 20; ++y)
        for (int x = 0; x < w - 10; ++x)
            QVERIFY2(text.pixel(x + 10, y + 20) == corner.pixel(x, y),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));

    // Shadow 2, 2 further on, drawn first: the text covers it, the shadow shows where the text is not.
    int shadowShown = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (text.pixel(x, y) == qRgb(255, 255, 255)) {
                QCOMPARE(both.pixel(x, y), qRgb(255, 255, 255));
            } else if (text.pixel(x, y) == BackgroundPixel && shadow.pixel(x, y) == qRgb(255, 0, 0)) {
                QCOMPARE(both.pixel(x, y), qRgb(255, 0, 0));
                ++shadowShown;
            } else if (text.pixel(x, y) == BackgroundPixel && shadow.pixel(x, y) == BackgroundPixel) {
                QCOMPARE(both.pixel(x, y), BackgroundPixel);
            }
        }
    }
    QVERIFY(shadowShown > 20);
}

void TestPictureContent::videoFromPreparedPicture_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("withCaption");
    QTest::addRow("webm") << "webm" << "vp8" << false;
    QTest::addRow("webm with caption") << "webm" << "vp8" << true;
    QTest::addRow("mpeg-1") << "mpg" << "mpeg1video" << false;
    QTest::addRow("mpeg-1 with caption") << "mpg" << "mpeg1video" << true;
}

void TestPictureContent::videoFromPreparedPicture()
{
    QFETCH(QString, extension);
    QFETCH(QString, codec);
    QFETCH(bool, withCaption);
    const QString audio = path("tone.wav");
    if (!QFileInfo::exists(audio)) {
        int exitCode = -1;
        const QString out = runCommand(ffmpegPath(), {"-v", "error", "-f", "lavfi", "-i",
                                                      "sine=frequency=440:duration=1", audio}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
    }
    AppSettings::instance().set(Settings::TargetVideoSize, 3);
    PicturePreparation preparation(m_canvases);
    CaptionSettings text = caption(QStringLiteral("Caption"));
    // A source with transparency: the prepared picture must still be opaque.
    int exitCode = -1;
    runCommand(convertPath(), {"-size", "300x200", "xc:none", "-fill", "red", "-draw", "circle 150,100 150,20",
                               path("logo.png")}, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY(preparePicture(preparation, path("logo.png"), withCaption ? &text : nullptr));
    const QString picture = preparation.currentPicturePath();
    QCOMPARE(bmpBitCount(picture), 24);

    const QString output = path("video." + extension);
    QFile::remove(output);
    const QString webm = R"( -y -loop 1 -i "%1" -i "%2" -s %3x%4 -r 6 -c:v vp8 -c:a libvorbis -shortest "%5")";
    const QString mpeg = R"( -y -loop 1 -i "%1" -i "%2" -s %3x%4 -r 30 -vb 19000 -c:v mpeg1video -c:a mp2 -shortest "%5")";
    const ToolResult result = runTool(ffmpegPath(),
                                      toolArguments(extension == "webm" ? webm : mpeg,
                                                    {picture, audio, "426", "240", output}));
    QVERIFY2(result.succeeded(), qPrintable(result.output.right(2000)));
    QVERIFY(isNonEmptyFile(output));

    const QString probe = runCommand(ffprobePath(), {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                     "stream=codec_name,width,height", "-of", "csv=p=0", output},
                                     &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(probe.trimmed(), QStringLiteral("%1,426,240").arg(codec));
}

QTEST_MAIN(TestPictureContent)
#include "test_picture_content.moc"
