// Captions the image tool cannot draw alone: shaped (joining, right to left), with a font per
// character; and captions it can, drawn by the tool as ever. Pictures are compared by the shape
// of their ink, as two renderers never agree to the pixel.
#include "TestSupport.h"

#include "base/AppSettings.h"
#include "media/FontCoverage.h"
#include "media/FontList.h"
#include "model/CaptionDrawing.h"
#include "model/CaptionLayer.h"
#include "model/CaptionSettings.h"
#include "model/ImageToolArguments.h"
#include "model/PlacementTable.h"

#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString Arabic = QStringLiteral("\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645");
const QString Cjk = QStringLiteral("\u591C\u306E\u8857");
// An emoji newer than the DejaVu fonts: only the color emoji font has it.
const QString Emoji = QStringLiteral("\U0001F973");

bool isInk(QRgb pixel)
{
    return qGray(pixel) > 96;
}

// The box around the light pixels of a picture drawn on black.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isInk(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int inkPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += isInk(image.pixel(x, y));
    }
    return count;
}

// 0 for the same ink in the same shape, 1 for nothing in common: the pixels inked in only one of
// the two, their ink boxes laid top left on top left, over the pixels inked in either.
double inkDistance(const QImage &a, const QImage &b, int width = -1)
{
    const QRect boxA = inkBox(a);
    const QRect boxB = inkBox(b);
    if (boxA.isEmpty() || boxB.isEmpty())
        return 1;
    const int w = width > 0 ? width : std::max(boxA.width(), boxB.width());
    const int h = std::max(boxA.height(), boxB.height());
    const auto inked = [](const QImage &image, const QRect &box, int x, int y) {
        return x < box.width() && y < box.height() && isInk(image.pixel(box.left() + x, box.top() + y));
    };
    int differing = 0;
    int either = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inA = inked(a, boxA, x, y);
            const bool inB = inked(b, boxB, x, y);
            differing += inA != inB;
            either += inA || inB;
        }
    }
    return either ? double(differing) / either : 1;
}

bool hasColor(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgb(image.pixel(x, y));
            if (c.hsvSaturation() > 100 && c.value() > 100)
                return true;
        }
    }
    return false;
}

} // namespace

class TestCaptionDrawing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void unchanged_data();
    void unchanged();
    void placement_data();
    void placement();
    void arabicShaped();
    void everyCharacterDrawn();
    void chosenFontKept();

private:
    QImage canvas() const { return QImage(m_canvas).convertToFormat(QImage::Format_RGB32); }
    QImage draw(const QStringList &arguments);
    QImage drawCaption(const CaptionSettings &settings, CaptionDrawing *drawing = nullptr);
    QImage annotate(const QString &font, const QString &text);
    bool fontFor(const QString &sample) const;

    std::unique_ptr<TestSupport::ConfigSandbox> m_sandbox;
    QTemporaryDir m_dir;
    QString m_canvas;
};

void TestCaptionDrawing::initTestCase()
{
    m_sandbox = std::make_unique<TestSupport::ConfigSandbox>();
    AppSettings::instance().set(Settings::ImageTool, TestSupport::convertPath());
    fontNameList().clear();
    fontGlyphFiles().clear();
    QVERIFY(queryFontList());
    QVERIFY(m_dir.isValid());
    m_canvas = m_dir.filePath("canvas.bmp");
    int exitCode = -1;
    TestSupport::runCommand(TestSupport::convertPath(), {"-size", "720x200", "xc:black", m_canvas}, &exitCode);
    QCOMPARE(exitCode, 0);
}

void TestCaptionDrawing::cleanupTestCase()
{
    fontNameList().clear();
    fontGlyphFiles().clear();
}

QImage TestCaptionDrawing::draw(const QStringList &arguments)
{
    const QString output = m_dir.filePath("caption.bmp");
    QFile::remove(output);
    int code = -1;
    const QString log = TestSupport::runCommand(TestSupport::convertPath(), arguments, &code);
    if (code != 0)
        qWarning().noquote() << arguments.join(' ') << log;
    return QImage(output).convertToFormat(QImage::Format_RGB32);
}

QImage TestCaptionDrawing::drawCaption(const CaptionSettings &settings, CaptionDrawing *drawing)
{
    const CaptionDrawing prepared = prepareCaptionDrawing(
        m_canvas, settings, *PlacementTable::find(settings.placement), m_dir.filePath("caption.bmp"),
        m_dir.filePath("layer_"), fontNameList(), fontGlyphFiles());
    if (drawing)
        *drawing = prepared;
    return draw(prepared.arguments);
}

// The tool's own drawing, at the top left without a shadow.
QImage TestCaptionDrawing::annotate(const QString &font, const QString &text)
{
    CaptionSettings settings;
    settings.fontName = font;
    settings.text = text;
    settings.placement = 0;
    settings.shadowOn = false;
    return draw(captionArguments(m_canvas, settings, *PlacementTable::find(0), m_dir.filePath("caption.bmp")));
}

bool TestCaptionDrawing::fontFor(const QString &sample) const
{
    const QStringList names = fontNameList();
    return std::any_of(names.cbegin(), names.cend(), [&](const QString &name) {
        return fontFileCoverage(fontGlyphFiles().value(name), sample) == FontCoverage::Full;
    });
}

void TestCaptionDrawing::unchanged_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shadow");

    QTest::addRow("Latin lines") << "DejaVu-Sans-Bold" << "Night Band\nLive, 100%" << true;
    QTest::addRow("accents") << "Liberation-Sans" << QStringLiteral("\u00C4rger \u00FCber \u00E9t\u00E9") << false;
    QTest::addRow("Cyrillic and Greek") << "DejaVu-Serif" << QStringLiteral("\u041C\u0438\u0440 \u03A9\u03BC\u03B5\u03B3\u03B1") << true;
    QTest::addRow("Armenian the font has") << "DejaVu-Sans" << QStringLiteral("\u0532\u0561\u0580\u0587") << false;
}

// Text the chosen font has whole, in a script without shaping: the tool draws it as it always did.
void TestCaptionDrawing::unchanged()
{
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(bool, shadow);
    CaptionSettings settings;
    settings.fontName = font;
    settings.text = text;
    settings.shadowOn = shadow;
    CaptionDrawing drawing;
    const QImage drawn = drawCaption(settings, &drawing);
    QVERIFY(drawing.layerFiles.isEmpty());
    QVERIFY(drawing.missing.isEmpty());
    const QImage before = draw(captionArguments(m_canvas, settings, *PlacementTable::find(settings.placement),
                                                m_dir.filePath("caption.bmp")));
    QVERIFY(!before.isNull());
    QCOMPARE(drawn, before);
}

void TestCaptionDrawing::placement_data()
{
    QTest::addColumn<int>("placement");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // Offsets inwards or along an edge, so that nothing is cut off.
    for (int placement = 0; placement < PlacementTable::Count; ++placement) {
        const Placement *where = PlacementTable::find(placement);
        QTest::addRow("%s", qPrintable(where->gravity))
            << placement << (where->column() == 2 ? -15 : 15) << (where->row() == 2 ? -9 : 9);
    }
}

// A caption drawn as a layer lands where the tool puts its own text, for every placement.
void TestCaptionDrawing::placement()
{
    QFETCH(int, placement);
    QFETCH(int, x);
    QFETCH(int, y);
    CaptionSettings settings;
    settings.fontName = "DejaVu-Sans";
    settings.text = "Hello\nworld";
    settings.placement = placement;
    settings.xPosition = x;
    settings.yPosition = y;
    settings.shadowOn = false;
    const Placement &where = *PlacementTable::find(placement);
    const QImage own = draw(captionArguments(m_canvas, settings, where, m_dir.filePath("caption.bmp")));

    CaptionFontPlan plan;
    plan.runs.append({0, int(settings.text.size()), settings.fontName});
    const QImage layer = drawCaptionLayer(settings.text, plan, fontGlyphFiles(), settings.pointSize,
                                          settings.textColor, where.column());
    QVERIFY(!layer.isNull());
    const QString layerPath = m_dir.filePath("layer.png");
    QVERIFY(layer.save(layerPath));
    const QImage layered = draw(layeredCaptionArguments(m_canvas, settings, where, layerPath, QString(),
                                                        captionLayerMargin(settings.pointSize),
                                                        m_dir.filePath("caption.bmp")));
    const QRect ownBox = inkBox(own);
    const QRect layeredBox = inkBox(layered);
    QVERIFY2((ownBox.center() - layeredBox.center()).manhattanLength() <= 6,
             qPrintable(QStringLiteral("tool %1,%2 %3x%4, layer %5,%6 %7x%8")
                            .arg(ownBox.x()).arg(ownBox.y()).arg(ownBox.width()).arg(ownBox.height())
                            .arg(layeredBox.x()).arg(layeredBox.y()).arg(layeredBox.width()).arg(layeredBox.height())));
    QVERIFY2(inkDistance(own, layered) < 0.5, qPrintable(QString::number(inkDistance(own, layered))));
}

// Arabic comes out joined and right to left, as harfbuzz's own renderer draws it.
void TestCaptionDrawing::arabicShaped()
{
    const QString hbView = QStandardPaths::findExecutable("hb-view");
    if (hbView.isEmpty())
        QSKIP("needs harfbuzz's renderer hb-view (libharfbuzz-bin) for the reference");
    const QString reference = m_dir.filePath("reference.png");
    int code = -1;
    const QString log = TestSupport::runCommand(
        hbView, {"--font-file=" + fontGlyphFiles().value("DejaVu-Sans-Bold"), "--font-size=40",
                 "--foreground=FFFFFF", "--background=000000", "--output-format=png", "--output-file=" + reference,
                 "--text=" + Arabic},
        &code);
    QVERIFY2(code == 0, qPrintable(log));
    const QImage shaped = QImage(reference).convertToFormat(QImage::Format_RGB32);

    CaptionSettings settings;
    settings.fontName = "DejaVu-Sans-Bold";
    settings.text = Arabic;
    settings.placement = 0;
    settings.shadowOn = false;
    const QImage drawn = drawCaption(settings);
    const QImage unshaped = annotate(settings.fontName, Arabic);

    const double distance = inkDistance(drawn, shaped);
    const double unshapedDistance = inkDistance(unshaped, shaped);
    QVERIFY2(distance < 0.5 && distance < unshapedDistance / 2,
             qPrintable(QStringLiteral("drawn %1, the tool's own %2").arg(distance).arg(unshapedDistance)));
}

// Latin, CJK and an emoji in one caption: each is drawn, in some font, as much ink as the three
// drawn apart.
void TestCaptionDrawing::everyCharacterDrawn()
{
    if (!fontFor(Cjk) || !fontFor(Emoji))
        QSKIP("needs a CJK and an emoji font (fonts-wqy-zenhei, fonts-noto-color-emoji)");
    CaptionSettings settings;
    settings.fontName = "DejaVu-Sans-Bold";
    settings.placement = 3;
    settings.shadowOn = false;
    const auto inkOf = [&](const QString &text) {
        settings.text = text;
        CaptionDrawing drawing;
        const QImage image = drawCaption(settings, &drawing);
        [&] { QVERIFY2(drawing.missing.isEmpty(), qPrintable(text)); }();
        return image;
    };
    const QImage whole = inkOf("Night " + Cjk + ' ' + Emoji);
    int parts = 0;
    for (const QString &part : {QStringLiteral("Night"), Cjk, Emoji}) {
        const int partInk = inkPixels(inkOf(part));
        QVERIFY2(partInk > 200, qPrintable(part + " came out blank"));
        parts += partInk;
    }
    const int ink = inkPixels(whole);
    QVERIFY2(std::abs(ink - parts) < parts / 10, qPrintable(QStringLiteral("%1 against %2").arg(ink).arg(parts)));
    QVERIFY2(hasColor(whole), "the emoji came out without its colors");
}

// Only the characters the chosen font lacks go to another font: the Latin stays bold.
void TestCaptionDrawing::chosenFontKept()
{
    if (!fontFor(Cjk))
        QSKIP("needs a CJK font (fonts-wqy-zenhei)");
    CaptionSettings settings;
    settings.fontName = "DejaVu-Sans-Bold";
    settings.text = QStringLiteral("Night Band \u2013 ") + Cjk;
    settings.placement = 0;
    settings.shadowOn = false;
    const QImage drawn = drawCaption(settings);

    const QImage bold = annotate("DejaVu-Sans-Bold", "Night Band");
    QString cjkFont;
    for (const QString &name : fontNameList()) {
        if (fontFileCoverage(fontGlyphFiles().value(name), settings.text) == FontCoverage::Full) {
            cjkFont = name;
            break;
        }
    }
    QVERIFY(!cjkFont.isEmpty());
    const QImage fallback = annotate(cjkFont, "Night Band");
    const int width = inkBox(bold).width();
    const double toBold = inkDistance(drawn, bold, width);
    const double toFallback = inkDistance(drawn, fallback, width);
    QVERIFY2(toBold < 0.5 && toBold < toFallback / 2,
             qPrintable(QStringLiteral("to the bold %1, to %2 %3").arg(toBold).arg(cjkFont).arg(toFallback)));
}

QTEST_MAIN(TestCaptionDrawing)
#include "test_caption_drawing.moc"
