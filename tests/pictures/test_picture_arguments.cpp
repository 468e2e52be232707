#include "model/CaptionSettings.h"
#include "model/PicturePreparation.h"
#include "model/PlacementTable.h"
#include "tools/ToolRunner.h"

#include <QtTest>

// The image tool's argument vectors and the caption's escaping, without running the tool.
class TestPictureArguments : public QObject
{
    Q_OBJECT

private slots:
    void escapeCaption_data();
    void escapeCaption();
    void placementTable();
    void captionArguments_data();
    void captionArguments();
    void letterboxAndCanvasArguments();
    void runFailureRule_data();
    void runFailureRule();
};

void TestPictureArguments::escapeCaption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::addRow("plain") << "Hello" << "Hello";
    QTest::addRow("backslash doubled") << R"(a\b)" << R"(a\\b)";
    QTest::addRow("line feed") << "one\ntwo" << R"(one\ntwo)";
    QTest::addRow("CR LF") << "one\r\ntwo" << R"(one\ntwo)";
    QTest::addRow("typed backslash n stays text") << R"(a\nb)" << R"(a\\nb)";
    QTest::addRow("percent") << "50% %w" << R"(50\% \%w)";
    QTest::addRow("double quote unchanged") << R"(say "hi")" << R"(say "hi")";
    QTest::addRow("leading @") << "@/etc/passwd" << R"(\@/etc/passwd)";
    QTest::addRow("@ elsewhere") << "mail@home" << "mail@home";
    QTest::addRow("all together") << "\"a\\b\"\n100%" << R"("a\\b"\n100\%)";
}

void TestPictureArguments::escapeCaption()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(escapeCaptionText(text), escaped);
}

void TestPictureArguments::placementTable()
{
    QCOMPARE(PlacementTable::find(0)->gravity, QStringLiteral("NorthWest"));
    QCOMPARE(PlacementTable::find(4)->gravity, QStringLiteral("Center"));
    const Placement *bottomRight = PlacementTable::find(8);
    QCOMPARE(bottomRight->gravity, QStringLiteral("SouthEast"));
    QCOMPARE(bottomRight->xSign, -1);
    QCOMPARE(bottomRight->ySign, -1);
    QCOMPARE(PlacementTable::find(2)->xSign, -1);
    QCOMPARE(PlacementTable::find(2)->ySign, 1);
    QCOMPARE(PlacementTable::find(6)->xSign, 1);
    QCOMPARE(PlacementTable::find(6)->ySign, -1);
    QVERIFY(!PlacementTable::find(9));
    QVERIFY(!PlacementTable::find(-1));
}

void TestPictureArguments::captionArguments_data()
{
    QTest::addColumn<CaptionSettings>("settings");
    QTest::addColumn<QStringList>("arguments");

    CaptionSettings s;
    QTest::addRow("defaults: grey shadow under white text") << s << QStringList{
        "in", "-font", "Arial-Black", "-pointsize", "40", "-gravity", "Center",
        "-fill", "#808080", "-annotate", "+3+3", R"(Please type\nyour text\nhere, thanks)",
        "-fill", "#ffffff", "-annotate", "+0+0", R"(Please type\nyour text\nhere, thanks)",
        "-alpha", "off", "out"};

    s.fontName = "DejaVu-Sans-Bold";
    s.pointSize = 36;
    s.textColor = qRgb(255, 0, 0);
    s.shadowColor = qRgb(0x99, 0x66, 0x33);
    s.text = "Hi";
    s.placement = 8;
    s.xPosition = 10;
    s.yPosition = 20;
    s.shadowXOffset = 2;
    s.shadowYOffset = 2;
    QTest::addRow("placement 8, shadow first") << s << QStringList{
        "in", "-font", "DejaVu-Sans-Bold", "-pointsize", "36", "-gravity", "SouthEast",
        "-fill", "#996633", "-annotate", "-12-22", "Hi",
        "-fill", "#ff0000", "-annotate", "-10-20", "Hi", "-alpha", "off", "out"};

    s.placement = 4;
    s.xPosition = -5;
    s.yPosition = 0;
    s.shadowOn = false;
    QTest::addRow("centre, shadow off") << s << QStringList{
        "in", "-font", "DejaVu-Sans-Bold", "-pointsize", "36", "-gravity", "Center",
        "-fill", "#ff0000", "-annotate", "-5+0", "Hi", "-alpha", "off", "out"};

    s.fontName = "Some Font Name";
    s.text = "-x \"q\"\n%";
    s.placement = 0;
    QTest::addRow("blanks, quotes and a leading dash stay inside their arguments") << s << QStringList{
        "in", "-font", "Some Font Name", "-pointsize", "36", "-gravity", "NorthWest",
        "-fill", "#ff0000", "-annotate", "-5+0", R"(-x "q"\n\%)", "-alpha", "off", "out"};
}

void TestPictureArguments::captionArguments()
{
    QFETCH(CaptionSettings, settings);
    QFETCH(QStringList, arguments);
    QCOMPARE(::captionArguments("in", settings, *PlacementTable::find(settings.placement), "out"), arguments);
}

void TestPictureArguments::letterboxAndCanvasArguments()
{
    QCOMPARE(letterboxArguments("jpeg:/p/a b.jpg[0]", 854, 480, 0x102030, "bmp:/t/VL.bmp"),
             QStringList({"jpeg:/p/a b.jpg[0]", "-auto-orient", "-scale", "854x480", "-thumbnail", "854x480",
                          "-background", "#102030", "-gravity", "center", "-extent", "854x480",
                          "-alpha", "off", "bmp:/t/VL.bmp"}));
    QCOMPARE(blankCanvasArguments(426, 240, 0xABCDEF, "bmp:/t/VL.bmp"),
             QStringList({"-size", "426x240", "canvas:#abcdef", "-alpha", "off", "bmp:/t/VL.bmp"}));
    QCOMPARE(imageToolOutput("/t/100%d/x.bmp"), QStringLiteral("bmp:/t/100%%d/x.bmp"));
}

void TestPictureArguments::runFailureRule_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("failed");
    using S = ToolResult::Status;
    QTest::addRow("clean") << int(S::Finished) << 0 << QString() << true << false;
    QTest::addRow("error in the tool's form")
        << int(S::Finished) << 0
        << "convert: no decode delegate for this image format `' @ error/constitute.c/ReadImage/575."
        << true << true;
    QTest::addRow("warning quoting a path named errors")
        << int(S::Finished) << 0
        << "convert: Corrupt JPEG data `/home/u/errors/a.jpg' @ warning/jpeg.c/JPEGWarningHandler/403."
        << true << false;
    QTest::addRow("capital Error only") << int(S::Finished) << 0 << "Error" << true << false;
    QTest::addRow("exit 1") << int(S::Finished) << 1 << QString() << true << true;
    QTest::addRow("no output file") << int(S::Finished) << 0 << QString() << false << true;
    QTest::addRow("crashed") << int(S::Crashed) << 0 << QString() << true << true;
    QTest::addRow("timed out") << int(S::TimedOut) << 0 << QString() << true << true;
    QTest::addRow("did not start") << int(S::FailedToStart) << -1 << QString() << false << true;
}

void TestPictureArguments::runFailureRule()
{
    QFETCH(int, status);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(bool, written);
    QFETCH(bool, failed);
    ToolResult result;
    result.status = ToolResult::Status(status);
    result.exitCode = exitCode;
    result.output = output;
    QCOMPARE(imageToolRunFailed(result, written), failed);
}

QTEST_GUILESS_MAIN(TestPictureArguments)
#include "test_picture_arguments.moc"
