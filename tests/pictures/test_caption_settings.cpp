#include "model/CaptionSettings.h"

#include <QtTest>

class TestCaptionSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void equalityIgnoresOnlyTextOn_data();
    void equalityIgnoresOnlyTextOn();
    void confirmationRules_data();
    void confirmationRules();
    void placementLabels();
};

void TestCaptionSettings::defaults()
{
    const CaptionSettings s;
    QCOMPARE(s.textOn, false);
    QCOMPARE(s.fontName, QStringLiteral("Arial-Black"));
    QCOMPARE(s.pointSize, 40);
    QCOMPARE(s.textColor, qRgb(255, 255, 255));
    QCOMPARE(s.text.split(QLatin1Char('\n')),
             QStringList({"Please type", "your text", "here, thanks"}));
    QCOMPARE(s.xPosition, 0);
    QCOMPARE(s.yPosition, 0);
    QCOMPARE(s.placement, 4);
    QCOMPARE(s.shadowOn, true);
    QCOMPARE(s.shadowColor, qRgb(128, 128, 128));
    QCOMPARE(s.shadowXOffset, 3);
    QCOMPARE(s.shadowYOffset, 3);
    QCOMPARE(checkCaptionSettings(s), CaptionProblem::None);
}

void TestCaptionSettings::equalityIgnoresOnlyTextOn_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("equal");
    // One row per field: change it and see whether the records still compare equal.
    const char *names[] = {"textOn", "fontName case", "pointSize", "textColor", "text", "xPosition",
                           "yPosition", "placement", "shadowOn", "shadowColor", "shadowXOffset",
                           "shadowYOffset"};
    for (int i = 0; i < 12; ++i)
        QTest::addRow("%s", names[i]) << i << (i == 0);
}

void TestCaptionSettings::equalityIgnoresOnlyTextOn()
{
    QFETCH(int, field);
    QFETCH(bool, equal);
    CaptionSettings a;
    CaptionSettings b;
    switch (field) {
    case 0: b.textOn = true; break;
    case 1: b.fontName = QStringLiteral("arial-Black"); break;
    case 2: b.pointSize = 41; break;
    case 3: b.textColor = qRgb(255, 255, 254); break;
    case 4: b.text += QLatin1Char(' '); break;
    case 5: b.xPosition = -1; break;
    case 6: b.yPosition = 1; break;
    case 7: b.placement = 8; break;
    case 8: b.shadowOn = false; break;
    case 9: b.shadowColor = qRgb(0, 0, 0); break;
    case 10: b.shadowXOffset = 0; break;
    case 11: b.shadowYOffset = -3; break;
    }
    QCOMPARE(a == b, equal);
    QCOMPARE(a != b, !equal);
}

void TestCaptionSettings::confirmationRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shadowOn");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<QString>("message");

    const QString noText = QStringLiteral("Please supply some text, thanks.");
    const QString zeroShadow = QStringLiteral(
        "The Shadow offset needs to be something other than 0, so it can be seen, thanks.");
    QTest::addRow("only blanks and line breaks") << QStringLiteral("  \n\t \r\n ") << true << 3 << 3 << noText;
    QTest::addRow("empty") << QString() << true << 3 << 3 << noText;
    QTest::addRow("no text is checked before the shadow") << QStringLiteral(" ") << true << 0 << 0 << noText;
    QTest::addRow("blanks around a word") << QStringLiteral("  word  ") << true << 3 << 3 << QString();
    QTest::addRow("shadow 0,0") << QStringLiteral("x") << true << 0 << 0 << zeroShadow;
    QTest::addRow("shadow 0,0 with the shadow off") << QStringLiteral("x") << false << 0 << 0 << zeroShadow;
    QTest::addRow("shadow 0,1") << QStringLiteral("x") << true << 0 << 1 << QString();
    QTest::addRow("shadow -1,0") << QStringLiteral("x") << false << -1 << 0 << QString();
}

void TestCaptionSettings::confirmationRules()
{
    QFETCH(QString, text);
    QFETCH(bool, shadowOn);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(QString, message);
    CaptionSettings s;
    s.text = text;
    s.shadowOn = shadowOn;
    s.shadowXOffset = dx;
    s.shadowYOffset = dy;
    const CaptionProblem problem = checkCaptionSettings(s);
    QCOMPARE(captionProblemMessage(problem), message);
    QCOMPARE(problem == CaptionProblem::None, message.isEmpty());
    // Checking never trims what is stored.
    QCOMPARE(s.text, text);
}

void TestCaptionSettings::placementLabels()
{
    QCOMPARE(placementLabel(0), QStringLiteral("Top Left"));
    QCOMPARE(placementLabel(4), QStringLiteral("Middle Center"));
    QCOMPARE(placementLabel(8), QStringLiteral("Bottom Right"));
    QVERIFY(placementLabel(9).isEmpty());
    QVERIFY(placementLabel(-1).isEmpty());
}

QTEST_GUILESS_MAIN(TestCaptionSettings)
#include "test_caption_settings.moc"
