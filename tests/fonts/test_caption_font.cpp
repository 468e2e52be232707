// The caption's fonts, character by character: the chosen one for what it has, else a listed font
// that has it; checked on fake coverage and on the real fonts, and reading font files safely.
#include "TestSupport.h"

#include "base/AppSettings.h"
#include "media/FontCoverage.h"
#include "media/FontList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

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
    void realPlan();
    void unreadableFiles_data();
    void unreadableFiles();

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
    QTest::addColumn<QString>("runs");     // "font:length" per run
    QTest::addColumn<QString>("missing");

    QTest::addRow("covered text keeps the font") << "Plain" << "Hello, world" << "Plain:12" << "";
    QTest::addRow("empty text keeps the font") << "Plain" << "" << "Plain:0" << "";
    QTest::addRow("breaks, joiners and selectors need no glyph")
        << "Plain" << "Hi\r\nthere\t\u00a0\u200d\ufe0f\U000E0100" << "Plain:15" << "";
    QTest::addRow("a lacking character: the first list font that has it")
        << "Plain" << "Hi " + Armenian << "Plain:3 Wide:8" << "";
    QTest::addRow("same weight preferred") << "Plain-Bold" << Armenian << "Wide-Bold:8" << "";
    QTest::addRow("same slant preferred") << "Plain-Italic" << Armenian << "Wide-Oblique:8" << "";
    QTest::addRow("same weight and slant preferred")
        << "Plain-Bold-Italic" << Armenian << "Wide-BoldOblique:8" << "";
    QTest::addRow("another style when none of the same has it") << "Plain-Bold" << Georgian << "Georgian:9" << "";
    QTest::addRow("each script from its own font")
        << "Plain" << Armenian + Georgian << "Wide:8 Georgian:9" << "";
    QTest::addRow("the chosen font keeps what it has")
        << "Plain-Bold" << "Hi " + Georgian + " HI" << "Plain-Bold:3 Georgian:10 Plain-Bold:2" << "";
    QTest::addRow("a combining mark stays with its letter's font")
        << "Plain" << QStringLiteral("\u0532\u0301a") << "Wide:2 Plain:1" << "";
    QTest::addRow("no font has it: drawn in the user's, and named")
        << "Plain-Bold" << "Hi \U0001F600 \U0001F600" << "Plain-Bold:8" << "\U0001F600";
    QTest::addRow("a font without a known file stays") << "Unlisted" << Armenian << "Unlisted:8" << "";
    QTest::addRow("an unreadable font stays") << "Broken" << Armenian << "Broken:8" << "";
    QTest::addRow("an unreadable font is never chosen")
        << "Plain-Bold-Italic" << Georgian << "Georgian:9" << "";
}

void TestCaptionFont::choice()
{
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QString, runs);
    QFETCH(QString, missing);

    const QString latin = QStringLiteral("abcdefghijklmnopqrstuvwxyzHIL,");
    // What each fake file has glyphs for; the list order is the tool's.
    const QList<std::pair<QString, QString>> fonts = {
        {"Broken", QString()},
        {"Plain", latin},
        {"Plain-Bold", latin},
        {"Plain-Italic", latin},
        {"Plain-Bold-Italic", latin},
        {"Georgian", latin + Georgian + "\u0301"},
        {"Wide", latin + Armenian + "\u0301"},
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
    const CaptionFontPlan plan = captionFontPlanFor(font, text, names, files, covers);
    QStringList drawn;
    int position = 0;
    for (const CaptionFontRun &run : plan.runs) {
        QCOMPARE(run.start, position);
        position += run.length;
        drawn << run.fontName + ':' + QString::number(run.length);
    }
    QCOMPARE(position, text.size());
    QCOMPARE(drawn.join(' '), runs);
    QCOMPARE(plan.missing, charactersNeedingGlyphs(missing));
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

void TestCaptionFont::realPlan()
{
    const QStringList names = fontNameList();
    const QHash<QString, QString> files = fontGlyphFiles();
    const QString text = QStringLiteral("Night Band \u2013 \u591C\u306E\u8857 \U0001F600");
    const auto hasFont = [&](const QString &sample) {
        return std::any_of(names.cbegin(), names.cend(), [&](const QString &name) {
            return fontFileCoverage(files.value(name), sample) == FontCoverage::Full;
        });
    };
    if (!hasFont(QStringLiteral("\u591C")) || !hasFont(QStringLiteral("\U0001F600")))
        QSKIP("needs a CJK and an emoji font (fonts-wqy-zenhei, fonts-noto-color-emoji)");

    const CaptionFontPlan plan = captionFontPlanFor("DejaVu-Sans-Bold", text, names, files, fontFileCoverage);
    QVERIFY(plan.missing.isEmpty());
    QCOMPARE(plan.runs.size(), 3);
    QCOMPARE(plan.runs.at(0), (CaptionFontRun{0, 13, "DejaVu-Sans-Bold"}));
    QCOMPARE(plan.runs.at(1).start, 13);
    QCOMPARE(fontFileCoverage(files.value(plan.runs.at(1).fontName), "\u591C\u306E\u8857"), FontCoverage::Full);
    QCOMPARE(fontFileCoverage(files.value(plan.runs.at(2).fontName), "\U0001F600"), FontCoverage::Full);

    // A character no installed font has is named, and drawn in the chosen font.
    const CaptionFontPlan hieroglyph =
        captionFontPlanFor("DejaVu-Sans", "Hi \U00013000", names, files, fontFileCoverage);
    QCOMPARE(hieroglyph.missing, QList<char32_t>{0x13000});
    QCOMPARE(hieroglyph.runs, (QList<CaptionFontRun>{{0, 5, "DejaVu-Sans"}}));
}

void TestCaptionFont::unreadableFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("beyond the size limit") << "huge";
    QTest::newRow("folder") << "folder";
    QTest::newRow("empty file") << "empty";
}

void TestCaptionFont::unreadableFiles()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath("font-" + kind + ".ttf");
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "huge") {
        // A real font grown past the limit (sparse, so nothing is written).
        QFile::copy(fontGlyphFiles().value("DejaVu-Sans"), path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(MaxFontFileBytes + 1));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QElapsedTimer timer;
    timer.start();
    QVERIFY(readFontFile(path).isEmpty());
    QCOMPARE(fontFileCoverage(path, "a"), FontCoverage::Unreadable);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!readFontFile(fontGlyphFiles().value("DejaVu-Sans")).isEmpty());
}

QTEST_MAIN(TestCaptionFont)
#include "test_caption_font.moc"
