// The caption's font: when the chosen one lacks characters of the text, another listed font that
// has them all draws it, as the dialog shows it; checked on fake coverage and on the real tool.
#include "TestSupport.h"

#include "base/AppSettings.h"
#include "media/FontCoverage.h"
#include "media/FontList.h"
#include "model/CaptionSettings.h"
#include "model/PicturePreparation.h"
#include "model/PlacementTable.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString Armenian = QStringLiteral("Բարև Ձեզ");
const QString Georgian = QStringLiteral("გამარჯობა");

} // namespace

class TestCaptionFont : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void choice_data();
    void choice();
    void realCoverage_data();
    void realCoverage();
    void drawing_data();
    void drawing();

private:
    std::unique_ptr<TestSupport::ConfigSandbox> m_sandbox;
    QTemporaryDir m_dir;
};

void TestCaptionFont::initTestCase()
{
    m_sandbox = std::make_unique<TestSupport::ConfigSandbox>();
    AppSettings::instance().set(Settings::ImageTool, TestSupport::convertPath());
    fontNameList().clear();
    fontGlyphFiles().clear();
    QVERIFY(queryFontList());
    QVERIFY(m_dir.isValid());
}

void TestCaptionFont::cleanupTestCase()
{
    fontNameList().clear();
    fontGlyphFiles().clear();
}

void TestCaptionFont::choice_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("chosen");

    QTest::addRow("covered text keeps the font") << "Plain" << "Hello, world" << "Plain";
    QTest::addRow("empty text keeps the font") << "Plain" << "" << "Plain";
    QTest::addRow("breaks, joiners and selectors need no glyph")
        << "Plain" << "Hi\r\nthere\t\u00a0\u200d\ufe0f\U000E0100" << "Plain";
    QTest::addRow("a lacking character: the first list font that has it") << "Plain" << "Hi " + Armenian << "Wide";
    QTest::addRow("same weight preferred") << "Plain-Bold" << Armenian << "Wide-Bold";
    QTest::addRow("same slant preferred") << "Plain-Italic" << Armenian << "Wide-Oblique";
    QTest::addRow("same weight and slant preferred") << "Plain-Bold-Italic" << Armenian << "Wide-BoldOblique";
    QTest::addRow("another style when none of the same has it") << "Plain-Bold" << Georgian << "Georgian";
    QTest::addRow("one font must have every character") << "Plain" << Armenian + Georgian << "Both";
    QTest::addRow("no font has it: the user's stays") << "Plain-Bold" << "Hi \U0001F600" << "Plain-Bold";
    QTest::addRow("a font without a known file stays") << "Unlisted" << Armenian << "Unlisted";
    QTest::addRow("an unreadable font stays") << "Broken" << Armenian << "Broken";
    QTest::addRow("an unreadable font is never chosen") << "Plain-Bold-Italic" << Georgian << "Georgian";
}

void TestCaptionFont::choice()
{
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QString, chosen);

    const QString latin = QStringLiteral("abcdefghijklmnopqrstuvwxyzHIL,");
    // What each fake file has glyphs for; the list order is the tool's.
    const QList<std::pair<QString, QString>> fonts = {
        {"Broken", QString()},
        {"Plain", latin},
        {"Plain-Bold", latin},
        {"Plain-Italic", latin},
        {"Plain-Bold-Italic", latin},
        {"Georgian", latin + Georgian},
        {"Wide", latin + Armenian},
        {"Wide-Bold", latin + Armenian},
        {"Wide-Oblique", latin + Armenian},
        {"Wide-BoldOblique", latin + Armenian},
        {"Both", latin + Armenian + Georgian},
    };
    QStringList names;
    QHash<QString, QString> files;
    QHash<QString, QString> glyphs;
    for (const auto &[name, covered] : fonts) {
        names << name;
        files.insert(name, "/fonts/" + name + ".ttf");
        glyphs.insert("/fonts/" + name + ".ttf", covered);
    }
    names << "Unlisted";
    const FontCoverageCheck covers = [&](const QString &file, const QString &needed) {
        const QList<char32_t> had = charactersNeedingGlyphs(glyphs.value(file));
        if (had.isEmpty())
            return FontCoverage::Unreadable;
        const QList<char32_t> characters = charactersNeedingGlyphs(needed);
        return std::all_of(characters.cbegin(), characters.cend(), [&](char32_t c) { return had.contains(c); })
            ? FontCoverage::Full
            : FontCoverage::Partial;
    };
    QCOMPARE(captionFontFor(font, text, names, files, covers), chosen);
}

void TestCaptionFont::realCoverage_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("covered");

    QTest::addRow("DejaVu Sans has Armenian") << "DejaVu-Sans" << Armenian + "\n" << true;
    QTest::addRow("DejaVu Sans has Georgian") << "DejaVu-Sans-Bold" << Georgian << true;
    QTest::addRow("Liberation Sans has Latin") << "Liberation-Sans" << "Hello\n world, ÄÖÜ ß" << true;
    QTest::addRow("Liberation Sans lacks Armenian") << "Liberation-Sans" << "Hi " + Armenian << false;
    QTest::addRow("Liberation Serif lacks Georgian") << "Liberation-Serif-Bold" << Georgian << false;
    QTest::addRow("DejaVu Sans lacks CJK") << "DejaVu-Sans" << QStringLiteral("你好") << false;
}

void TestCaptionFont::realCoverage()
{
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(bool, covered);
    const QString file = fontGlyphFiles().value(font);
    QVERIFY2(QFileInfo(file).isFile(), qPrintable(font + " -> " + file));
    const FontCoverage expected = covered ? FontCoverage::Full : FontCoverage::Partial;
    QCOMPARE(fontFileCoverage(file, text), expected);
    QCOMPARE(fontFileCoverage(file, text), expected);  // and from the kept load
    QCOMPARE(fontFileCoverage(m_dir.filePath("no-such-font.ttf"), "a"), FontCoverage::Unreadable);
}

void TestCaptionFont::drawing_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("drawnIn");

    QTest::addRow("Armenian in Liberation Sans") << "Liberation-Sans" << Armenian << "DejaVu-Sans";
    QTest::addRow("Georgian in Liberation Sans Bold") << "Liberation-Sans-Bold" << Georgian << "DejaVu-Sans-Bold";
}

// The differing pixels of two pictures of one size.
static int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    }
    return count;
}

void TestCaptionFont::drawing()
{
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QString, drawnIn);

    const QString canvas = m_dir.filePath("canvas.png");
    const QString output = m_dir.filePath("caption.png");
    int exitCode = -1;
    TestSupport::runCommand(TestSupport::convertPath(), {"-size", "480x120", "xc:#204060", canvas}, &exitCode);
    QCOMPARE(exitCode, 0);

    CaptionSettings settings;
    settings.fontName = font;
    settings.text = text;
    settings.shadowOn = false;
    const QStringList arguments = captionArguments(canvas, settings, *PlacementTable::find(settings.placement), output);
    QVERIFY2(arguments.contains(drawnIn), qPrintable(arguments.join(' ')));

    const auto draw = [&](const QStringList &toolArguments) {
        QFile::remove(output);
        int code = -1;
        const QString log = TestSupport::runCommand(TestSupport::convertPath(), toolArguments, &code);
        if (code != 0)
            qWarning().noquote() << log;
        return QImage(output).convertToFormat(QImage::Format_RGB32);
    };
    const QImage blank = QImage(canvas).convertToFormat(QImage::Format_RGB32);
    const QImage drawn = draw(arguments);
    QCOMPARE(drawn.size(), blank.size());
    QVERIFY2(differingPixels(drawn, blank) > 200, "the caption came out blank");

    // The user's own font leaves the caption blank: what the switch is for.
    QStringList ownFont = arguments;
    ownFont[ownFont.indexOf(drawnIn)] = font;
    const QImage own = draw(ownFont);
    QCOMPARE(own.size(), blank.size());
    QCOMPARE(differingPixels(own, blank), 0);
}

QTEST_MAIN(TestCaptionFont)
#include "test_caption_font.moc"
