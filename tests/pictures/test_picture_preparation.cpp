#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "common/PictureWaits.h"
#include "common/TestSupport.h"
#include "media/PictureFile.h"
#include "model/BlankCanvases.h"
#include "model/CaptionSettings.h"
#include "model/PicturePreparation.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"
#include "widgets/PictureBox.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

using namespace TestSupport;

namespace {

constexpr quint32 Background = 0x102030;
const QRgb BackgroundPixel = qRgb(0x10, 0x20, 0x30);
const QString CaptionFont = QStringLiteral("DejaVu-Sans-Bold");

QString tempImageMessage(const QString &path)
{
    return QStringLiteral("Could not create a Temp Image Bitmap here:\n\n   %1\n\n"
                          "Possibly a bad source image file?\n\nOr an invalid Temp directory?")
        .arg(path);
}

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

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString pixelText(QRgb p)
{
    return QStringLiteral("#%1").arg(p & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

// Columns and rows that hold anything but the background color.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != BackgroundPixel)
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
            ink = image.pixel(x, y) != BackgroundPixel;
        if (ink && !inBand)
            ++bands;
        inBand = ink;
    }
    return bands;
}

CaptionSettings caption(const QString &text)
{
    CaptionSettings s;
    s.textOn = true;
    s.fontName = CaptionFont;
    s.text = text;
    s.shadowOn = false;
    return s;
}

} // namespace

class TestPicturePreparation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    // With the real image tool
    void letterbox_data();
    void letterbox();
    void oddFileNames_data();
    void oddFileNames();
    void patternCharactersTakenLiterally_data();
    void patternCharactersTakenLiterally();
    void multiFrameSourcesUseTheFirstFrame();
    void orientedPhotoComesOutUpright();
    void greyPngLimitAgreesWithTheTool();
    void blankCanvases();
    void noPictureUsesCanvasOfCurrentSize();
    void captionRendersCharacters_data();
    void captionRendersCharacters();
    void captionLineBreak();
    void placementAndShadowPixels();
    void sourceFailures_data();
    void sourceFailures();
    void failedPreparationLeavesNoStalePicture();
    void videoFromPreparedPicture_data();
    void videoFromPreparedPicture();

    // With a stand-in for faults the real tool cannot show
    void toolOutcomes_data();
    void toolOutcomes();
    void fontNameWithBlankIsOneArgument();
    void twoPreparationsRunSideBySide();
    void cancelStopsTheToolAndSaysNothing();

    void unusableTempFolder();
    void temporaryFilesRemoved();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString makeFakeTool(const QString &name, const QString &body);
    // Paints the canvases as the window's start does, saying why it failed.
    bool createCanvases();
    QImage renderCaption(const CaptionSettings &settings);

    QTemporaryDir m_dir;
    std::unique_ptr<ConfigSandbox> m_config;
    std::unique_ptr<MessageRecorder> m_messages;
    BlankCanvases m_canvases;
};

void TestPicturePreparation::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_config = std::make_unique<ConfigSandbox>();
    m_messages = std::make_unique<MessageRecorder>();
    AppSettings::instance().set(Settings::DefaultBackgroundColor, Background);

    const QList<QStringList> fixtures = {
        {"-size", "300x600", "xc:#00c800", path("portrait.jpg")},
        {"-size", "800x300", "xc:#e0c020", path("landscape.png")},
        {"-size", "200x200", "xc:#ff0000", path("square.gif")},
        {"-size", "16x16", "xc:#ffffff", path("tiny.tif")},
        {"-size", "64x48", "xc:#0000ff", "-type", "TrueColor", path("small.bmp")},
        {"-size", "640x480", "gradient:red-blue", path("gradient.png")},
    };
    for (const QStringList &args : fixtures) {
        int exitCode = -1;
        const QString out = runCommand(convertPath(), args, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
    }
    QVERIFY(createCanvases());
    QVERIFY(m_messages->messages.isEmpty());
}

void TestPicturePreparation::init()
{
    m_messages->messages.clear();
    AppSettings::instance().set(Settings::ImageTool, convertPath());
    AppSettings::instance().set(Settings::TargetVideoSize, 2);
    AppSettings::instance().set(Settings::DefaultBackgroundColor, Background);
    setImageToolTimeout(120000);
}

void TestPicturePreparation::cleanupTestCase()
{
    m_canvases.clear();
}

QString TestPicturePreparation::makeFakeTool(const QString &name, const QString &body)
{
    // The last argument is the output, as "bmp:<path>".
    return TestSupport::writeScript(
        path(name), QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do out=\"$a\"; done\nout=\"${out#bmp:}\"\n%1\n")
                        .arg(body)
                        .toUtf8());
}

bool TestPicturePreparation::createCanvases()
{
    PictureProblem problem;
    if (m_canvases.create(AppSettings::instance().imageToolPath(), AppSettings::instance().backgroundColor(), &problem))
        return true;
    MessageBox::information(nullptr, blankCanvasProblemMessage(problem));
    return false;
}

QImage TestPicturePreparation::renderCaption(const CaptionSettings &settings)
{
    PicturePreparation preparation(m_canvases);
    preparation.setState(PicturePreparation::State::Plain);
    if (!TestSupport::renderCaption(preparation, settings))
        return {};
    return QImage(preparation.withTextPath()).convertToFormat(QImage::Format_RGB32);
}

void TestPicturePreparation::letterbox_data()
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

void TestPicturePreparation::letterbox()
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

void TestPicturePreparation::oddFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("blanks") << "my picture.bmp";
    QTest::addRow("quotes") << "say \"cheese\" it's.bmp";
    QTest::addRow("percent d") << "100%d.bmp";
    QTest::addRow("percent and blank") << "50% off.bmp";
    QTest::addRow("unicode") << "Ünïcødé 写真.bmp";
    QTest::addRow("leading dash") << "-size 1x1.bmp";
    QTest::addRow("brackets") << "frame[1].bmp";
    QTest::addRow("format-like prefix") << "png:trick.bmp";
    QTest::addRow("wrong extension") << "really a bitmap.jpg";
}

void TestPicturePreparation::oddFileNames()
{
    QFETCH(QString, name);
    const QString source = path(name);
    QFile::remove(source);
    QVERIFY(QFile::copy(path("small.bmp"), source));
    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, source, nullptr));
    QVERIFY(m_messages->messages.isEmpty());
    const QImage image(preparation.currentPicturePath());
    QCOMPARE(image.size(), QSize(640, 360));
    QCOMPARE(image.pixel(320, 180), qRgb(0, 0, 255));
}

void TestPicturePreparation::patternCharactersTakenLiterally_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("others");
    QTest::addRow("star") << "*.jpg" << QStringList{"a.jpg", "b.jpg"};
    QTest::addRow("question mark") << "why?.jpg" << QStringList{"whyz.jpg"};
    QTest::addRow("character class") << "f[ab].jpg" << QStringList{"fa.jpg", "fb.jpg"};
}

void TestPicturePreparation::patternCharactersTakenLiterally()
{
    // The tool expands a pattern only when its working folder is not the picture's own.
    QFETCH(QString, name);
    QFETCH(QStringList, others);
    QTemporaryDir folder;
    int exitCode = -1;
    QString out = runCommand(convertPath(), {"-size", "40x30", "xc:#ff0000", folder.filePath(name)}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(out));
    for (const QString &other : others) {
        out = runCommand(convertPath(), {"-size", "40x30", "xc:#0000ff", folder.filePath(other)}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
    }
    QVERIFY(QDir::current() != QDir(folder.path()));

    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, folder.filePath(name), nullptr));
    QVERIFY(m_messages->messages.isEmpty());
    const QImage image(preparation.currentPicturePath());
    QCOMPARE(image.size(), QSize(640, 360));
    QVERIFY2(near(image.pixel(320, 180), qRgb(255, 0, 0), 12), qPrintable(pixelText(image.pixel(320, 180))));
    QString temp;
    QVERIFY(getTempFolder(temp));
    QCOMPARE(QDir(temp).entryList({"*-0.bmp", "*-1.bmp", "VL_Source_*"}, QDir::Files | QDir::System),
             QStringList());
}

void TestPicturePreparation::orientedPhotoComesOutUpright()
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

void TestPicturePreparation::greyPngLimitAgreesWithTheTool()
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

void TestPicturePreparation::multiFrameSourcesUseTheFirstFrame()
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

void TestPicturePreparation::blankCanvases()
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

void TestPicturePreparation::noPictureUsesCanvasOfCurrentSize()
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

void TestPicturePreparation::captionRendersCharacters_data()
{
    // Typed twice, each character must show twice: an escape the tool consumed would show once.
    QTest::addColumn<QString>("single");
    QTest::addRow("backslash") << R"(\)";
    QTest::addRow("percent") << "%";
    QTest::addRow("double quote") << "\"";
    QTest::addRow("leading at sign") << "@";
}

void TestPicturePreparation::captionRendersCharacters()
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

void TestPicturePreparation::captionLineBreak()
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

void TestPicturePreparation::placementAndShadowPixels()
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

void TestPicturePreparation::sourceFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");    // empty: the tool's failure message
    const QString notPicture = QStringLiteral("It is not a JPEG, PNG, BMP, GIF or TIFF picture.");
    QTest::addRow("missing") << "missing.jpg" << QByteArray() << "The file can not be opened.";
    QTest::addRow("corrupt jpeg") << "corrupt.jpg" << QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + QByteArray(400, 'Z')
                                  << "The file ends before the picture does: it may be an unfinished download or copy.";
    QTest::addRow("truncated jpeg") << "cut.jpg" << QByteArray("@cut") 
                                    << "The file ends before the picture does: it may be an unfinished download or copy.";
    QTest::addRow("truncated png") << "truncated.png" << QByteArray("@truncate") << "";
    QTest::addRow("text named .png") << "text.png" << QByteArray("hello, I am text\n") << notPicture;
    QTest::addRow("svg named .jpg") << "drawing.jpg"
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\">"
                      "<image href=\"/etc/passwd\"/></svg>") << notPicture;
    QTest::addRow("fifo named .png") << "pipe.png" << QByteArray("@fifo") << "It is not a plain file.";
    QTest::addRow("larger than the tool allows") << "huge.png" << QByteArray("@huge")
        << "It is 16001 x 1 pixels (0.02 megapixels): at most 107.37 megapixels of a picture with a palette can "
           "be used, and at most 16000 pixels wide or high.";
    QTest::addRow("relative path") << "@relative" << QByteArray() << "";
    QTest::addRow("empty file") << "empty.png" << QByteArray("@empty") << notPicture;
}

void TestPicturePreparation::sourceFailures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QString source = path(name);
    QFile::remove(source);
    if (content == "@truncate" || content == "@cut") {
        QFile full(path(content == "@cut" ? "portrait.jpg" : "gradient.png"));
        QVERIFY(full.open(QIODevice::ReadOnly));
        QFile cut(source);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(full.read(full.size() / 3));
    } else if (content == "@fifo") {
        QVERIFY(::mkfifo(QFile::encodeName(source).constData(), 0600) == 0);
    } else if (content == "@huge") {
        // 16001 pixels wide: over the tool's limit, a few bytes on disk.
        QVERIFY(QImage(16001, 1, QImage::Format_Mono).save(source));
    } else if (content == "@empty") {
        QFile empty(source);
        QVERIFY(empty.open(QIODevice::WriteOnly));
    } else if (name == "@relative") {
        source = QStringLiteral("pictures/square.gif");
    } else if (!content.isEmpty()) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    PicturePreparation preparation(m_canvases);
    CaptionSettings text = caption(QStringLiteral("never drawn"));
    QVERIFY(!preparePicture(preparation, source, &text));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.at(0).text, reason.isEmpty() ? tempImageMessage(preparation.resizedPath())
                                                               : refusedPictureMessage(source, reason));
    QCOMPARE(m_messages->messages.at(0).caption, QStringLiteral("Velmora"));
    QCOMPARE(m_messages->messages.at(0).icon, QMessageBox::NoIcon);
    QCOMPARE(preparation.state(), PicturePreparation::State::Plain);
    QVERIFY(!QFileInfo::exists(preparation.resizedPath()));
    QVERIFY(!QFileInfo::exists(preparation.withTextPath()));
    QVERIFY(!isNonEmptyFile(preparation.currentPicturePath()));
}

void TestPicturePreparation::failedPreparationLeavesNoStalePicture()
{
    PicturePreparation preparation(m_canvases);
    CaptionSettings text = caption(QStringLiteral("Old"));
    QVERIFY(preparePicture(preparation, path("square.gif"), &text));
    QCOMPARE(preparation.currentPicturePath(), preparation.withTextPath());
    QVERIFY(isNonEmptyFile(preparation.currentPicturePath()));

    // A refused picture: neither the old plain copy nor the old copy with text can stand in.
    QVERIFY(!preparePicture(preparation, path("no such picture.png"), &text));
    QVERIFY(!isNonEmptyFile(preparation.currentPicturePath()));
    QVERIFY(!QFileInfo::exists(preparation.withTextPath()));

    // The picture is made but the caption fails (a font the tool does not know): the message
    // names the copy with text, and what stays current is the new picture, never the old caption.
    m_messages->messages.clear();
    text.fontName = QStringLiteral("No-Such-Font-Anywhere");
    QVERIFY(!preparePicture(preparation, path("landscape.png"), &text));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.at(0).text, tempImageMessage(preparation.withTextPath()));
    QCOMPARE(preparation.state(), PicturePreparation::State::Plain);
    QVERIFY(!QFileInfo::exists(preparation.withTextPath()));
    QCOMPARE(QImage(preparation.currentPicturePath()).pixel(320, 180), qRgb(0xe0, 0xc0, 0x20));
}

void TestPicturePreparation::videoFromPreparedPicture_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("withCaption");
    QTest::addRow("webm") << "webm" << "vp8" << false;
    QTest::addRow("webm with caption") << "webm" << "vp8" << true;
    QTest::addRow("mpeg-1") << "mpg" << "mpeg1video" << false;
    QTest::addRow("mpeg-1 with caption") << "mpg" << "mpeg1video" << true;
}

void TestPicturePreparation::videoFromPreparedPicture()
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

void TestPicturePreparation::toolOutcomes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("succeeds");
    const QString write = QStringLiteral("printf 'BM-written' > \"$out\"");
    QTest::addRow("clean") << write << true;
    QTest::addRow("error in the tool's form, exit 0")
        << "echo \"convert: unable to open image 'x': No such file @ error/blob.c/OpenBlob/2924.\"\n" + write
        << false;
    QTest::addRow("capital Error only") << "echo 'Error: not really'\n" + write << true;
    QTest::addRow("warning quoting a path with errors")
        << "echo \"convert: Corrupt data '/pics/errors/a.jpg' @ warning/jpeg.c/JPEGWarningHandler/403.\"\n" + write
        << true;
    QTest::addRow("non-zero exit") << write + "\nexit 1" << false;
    QTest::addRow("no output") << "exit 0" << false;
    QTest::addRow("empty output") << ": > \"$out\"" << false;
    QTest::addRow("crash") << write + "\nkill -SEGV $$" << false;
    QTest::addRow("hang") << "exec sleep 30" << false;
}

void TestPicturePreparation::toolOutcomes()
{
    QFETCH(QString, body);
    QFETCH(bool, succeeds);
    AppSettings::instance().set(Settings::ImageTool, makeFakeTool(QStringLiteral("fake-convert"), body));
    setImageToolTimeout(1500);
    PicturePreparation preparation(m_canvases);
    QCOMPARE(preparePicture(preparation, path("square.gif"), nullptr), succeeds);
    QCOMPARE(m_messages->messages.size(), succeeds ? 0 : 1);
    QCOMPARE(isNonEmptyFile(preparation.resizedPath()), succeeds);
}

void TestPicturePreparation::fontNameWithBlankIsOneArgument()
{
    const QString argsFile = path("args.bin");
    AppSettings::instance().set(Settings::ImageTool, makeFakeTool(
        QStringLiteral("recording-convert"),
        QStringLiteral("printf '%s\\0' \"$@\" > '%1'\ncp '%2' \"$out\"").arg(argsFile, path("small.bmp"))));
    CaptionSettings text = caption(QStringLiteral("Two\nlines"));
    text.fontName = QStringLiteral("DejaVu Sans Bold");
    PicturePreparation preparation(m_canvases);
    QVERIFY(preparePicture(preparation, QString(), &text));

    QFile file(argsFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> args = file.readAll().split('\0');
    args.removeLast();
    const int font = args.indexOf("-font");
    QVERIFY(font >= 0);
    QCOMPARE(args.at(font + 1), QByteArray("DejaVu Sans Bold"));
    QCOMPARE(args.at(0), ("bmp:" + m_canvases.currentPath() + "[0]").toUtf8());
    QVERIFY(args.contains(QByteArray(R"(Two\nlines)")));
    QCOMPARE(args.last(), ("bmp:" + preparation.withTextPath()).toUtf8());
}

void TestPicturePreparation::twoPreparationsRunSideBySide()
{
    // Each run of this tool waits until both have started: run one after the other, the first
    // gives up and fails.
    QTemporaryDir started;
    AppSettings::instance().set(Settings::ImageTool, makeFakeTool(
        QStringLiteral("meeting-convert"),
        QStringLiteral("touch '%1'/$$\ni=0\nwhile [ $(ls '%1' | wc -l) -lt 2 ]; do\n"
                       "  i=$((i+1)); [ $i -gt 200 ] && exit 1; sleep 0.05\ndone\nexec '%2' \"$@\"")
            .arg(started.path(), convertPath())));
    PicturePreparation first(m_canvases);
    PicturePreparation second(m_canvases);
    QSignalSpy firstDone(&first, &PicturePreparation::finished);
    QSignalSpy secondDone(&second, &PicturePreparation::finished);
    CaptionSettings text = caption(QStringLiteral("Two"));
    first.setSourcePicture(path("square.gif"), &text);
    second.setSourcePicture(path("landscape.png"), nullptr);
    QVERIFY(first.isBusy() && second.isBusy());
    QTRY_VERIFY_WITH_TIMEOUT(firstDone.size() == 1 && secondDone.size() == 1, 60000);
    QVERIFY(firstDone.first().first().value<PictureResult>().succeeded());
    QVERIFY(secondDone.first().first().value<PictureResult>().succeeded());
    QVERIFY(first.resizedPath() != second.resizedPath());

    QCOMPARE(first.currentPicturePath(), first.withTextPath());
    QCOMPARE(first.withTextSettings().text, QStringLiteral("Two"));
    QCOMPARE(QImage(first.resizedPath()).pixel(320, 180), qRgb(255, 0, 0));
    QCOMPARE(second.currentPicturePath(), second.resizedPath());
    QCOMPARE(QImage(second.currentPicturePath()).pixel(320, 180), qRgb(0xe0, 0xc0, 0x20));
    QVERIFY(!QFileInfo::exists(second.withTextPath()));
}

void TestPicturePreparation::cancelStopsTheToolAndSaysNothing()
{
    const QString pidFile = path("hanging.pid");
    QFile::remove(pidFile);
    AppSettings::instance().set(Settings::ImageTool,
        makeFakeTool(QStringLiteral("hanging-convert"), QStringLiteral("echo $$ > '%1'\nexec sleep 30").arg(pidFile)));
    PicturePreparation preparation(m_canvases);
    const PictureResult result = finishPicture(preparation, [&] {
        preparation.setSourcePicture(path("square.gif"), nullptr);
        QTRY_VERIFY(isNonEmptyFile(pidFile));
        preparation.cancel();
    });
    QCOMPARE(result.problem.kind, PictureProblem::Kind::Canceled);
    QVERIFY(result.picturePath.isEmpty());
    QVERIFY(m_messages->messages.isEmpty());
    QVERIFY(!preparation.isBusy());
    QVERIFY(!QFileInfo::exists(preparation.resizedPath()));
    QFile pid(pidFile);
    QVERIFY(pid.open(QIODevice::ReadOnly));
    QTRY_VERIFY(processGone(pid.readAll().trimmed().toLongLong()));
}

void TestPicturePreparation::unusableTempFolder()
{
    // The run's folder vanishes under the preparation: the tool cannot write there.
    {
        PicturePreparation preparation(m_canvases);
        QString folder;
        QVERIFY(getTempFolder(folder));
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(!preparePicture(preparation, path("square.gif"), nullptr));
        QCOMPARE(m_messages->messages.size(), 1);
        QCOMPARE(m_messages->messages.at(0).text, tempImageMessage(preparation.resizedPath()));
    }

    // No temporary folder can be made at all: no names, a message for each refusal, nothing written.
    m_messages->messages.clear();
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QString notAFolder = path("plain-file");
    QFile(notAFolder).open(QIODevice::WriteOnly);
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    {
        PicturePreparation preparation(m_canvases);
        QVERIFY(preparation.resizedPath().isEmpty());
        m_messages->messages.clear();
        QVERIFY(!preparePicture(preparation, path("square.gif"), nullptr));
        QCOMPARE(m_messages->messages.last().text, tempImageMessage(QString()));

        m_messages->messages.clear();
        QVERIFY(!createCanvases());
        QVERIFY(m_messages->messages.last().text.startsWith(
            QStringLiteral("Could not create a Temp Blank Image Bitmap here:\n\n   ")));
        QVERIFY(m_messages->messages.last().text.endsWith(QStringLiteral("\n\nPossibly an invalid Temp directory?")));
    }
    m_canvases.clear();
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
    m_messages->messages.clear();
    QVERIFY(createCanvases());
}

void TestPicturePreparation::temporaryFilesRemoved()
{
    QString folder;
    QVERIFY(getTempFolder(folder));
    {
        PicturePreparation preparation(m_canvases);
        CaptionSettings text = caption(QStringLiteral("Bye"));
        QVERIFY(preparePicture(preparation, path("portrait.jpg"), &text));
        // A blank canvas per size, the letterboxed picture and the captioned one.
        QCOMPARE(QDir(folder).entryList({"VL_*"}, QDir::Files).size(), TargetSizeTable::RowCount + 2);
    }
    m_canvases.clear();
    QCOMPARE(QDir(folder).entryList({"VL_*"}, QDir::Files | QDir::Hidden | QDir::System), QStringList());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(createCanvases());
}

QTEST_MAIN(TestPicturePreparation)
#include "test_picture_preparation.moc"
