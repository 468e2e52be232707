#include "dialogs/CaptionDialog.h"
#include "widgets/CaptionTextEdit.h"
#include "widgets/ColorButton.h"
#include "widgets/FontComboBox.h"
#include "widgets/PlacementLamp.h"
#include "widgets/RangedNumberEdit.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include <climits>

namespace {

// A shown window holding the controls under test, with a second edit to take the focus away.
struct Window
{
    QDialog dialog;
    QLineEdit *other;
    Window()
    {
        dialog.resize(400, 300);
        other = new QLineEdit(&dialog);
        other->setGeometry(300, 250, 80, 20);
    }
    bool show()
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        return QTest::qWaitForWindowActive(&dialog);
    }
};

QColor PixelAt(QWidget *widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}

} // namespace

class TestCustomControls : public QObject
{
    Q_OBJECT

private slots:
    void parseValue_data();
    void parseValue();
    void numericEdit_data();
    void numericEdit();
    void programTextIsChecked();
    void keyReleaseForEveryKey();
    void firstClickSelectsAll();
    void checkToggles();
    void checkPaintsLamp();
    void checkHover();
    void colorSwatch();
    void colorPicker();
    void comboWidth_data();
    void comboWidth();
    void comboPopupWidens();
    void scrollNeeds_data();
    void scrollNeeds();
    void scrollEditBars();
};

void TestCustomControls::parseValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("minus alone") << "-" << 0;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("blanks and trailing junk") << "  42x" << 42;
    QTest::newRow("negative") << "-17" << -17;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("largest") << "2147483647" << INT_MAX;
    QTest::newRow("smallest") << "-2147483648" << INT_MIN;
    // atoi would wrap this to 40 and let it pass a 1..400 range.
    QTest::newRow("overflow saturates") << "4294967336" << INT_MAX;
    QTest::newRow("negative overflow saturates") << "-4294967336" << INT_MIN;
}

void TestCustomControls::parseValue()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(RangedNumberEdit::parseValue(text), value);
}

void TestCustomControls::numericEdit_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allSelected");
    QTest::addColumn<int>("beeps");

    QTest::newRow("letter in point size") << 1 << 400 << "48" << false << "a" << 0 << "" << "48" << true << 1;
    QTest::newRow("letter in X position") << -400 << 400 << "-12" << false << "q" << 0 << "" << "-12" << true << 1;
    QTest::newRow("point size emptied") << 1 << 400 << "7" << false << "" << int(Qt::Key_Backspace) << "" << "7" << true << 1;
    QTest::newRow("X position emptied") << -400 << 400 << "7" << false << "" << int(Qt::Key_Backspace) << "" << "" << false << 0;
    QTest::newRow("minus first in X") << -400 << 400 << "5" << true << "-" << 0 << "" << "-" << false << 0;
    QTest::newRow("minus first in shadow") << -200 << 200 << "5" << true << "-3" << 0 << "" << "-3" << false << 0;
    QTest::newRow("minus in point size") << 1 << 400 << "5" << true << "-" << 0 << "" << "5" << true << 1;
    QTest::newRow("401") << 1 << 400 << "5" << true << "401" << 0 << "" << "40" << true << 1;
    QTest::newRow("007") << -400 << 400 << "1" << true << "007" << 0 << "" << "007" << false << 0;
    QTest::newRow("1-2 typed") << -400 << 400 << "" << false << "1-" << 0 << "" << "1" << true << 1;
    QTest::newRow("1-2 pasted") << -400 << 400 << "9" << true << "" << 0 << "1-2" << "9" << true << 1;
    QTest::newRow("plus pasted") << 1 << 400 << "9" << true << "" << 0 << "+5" << "9" << true << 1;
    QTest::newRow("blank pasted") << 1 << 400 << "9" << true << "" << 0 << " 5" << "9" << true << 1;
    QTest::newRow("huge pasted") << 1 << 400 << "9" << true << "" << 0 << "4294967336" << "9" << true << 1;
    QTest::newRow("good paste") << -200 << 200 << "9" << true << "" << 0 << "-200" << "-200" << false << 0;
    QTest::newRow("up at 400") << 1 << 400 << "400" << false << "" << int(Qt::Key_Up) << "" << "400" << false << 0;
    QTest::newRow("up at 399") << 1 << 400 << "399" << false << "" << int(Qt::Key_Up) << "" << "400" << true << 0;
    QTest::newRow("down at -200") << -200 << 200 << "-200" << false << "" << int(Qt::Key_Down) << "" << "-200" << false << 0;
    QTest::newRow("down at 0") << -200 << 200 << "0" << false << "" << int(Qt::Key_Down) << "" << "-1" << true << 0;
    QTest::newRow("down at 1 in point size") << 1 << 400 << "1" << false << "" << int(Qt::Key_Down) << "" << "1" << false << 0;
    QTest::newRow("up from empty X") << -400 << 400 << "" << false << "" << int(Qt::Key_Up) << "" << "1" << true << 0;
}

void TestCustomControls::numericEdit()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(QString, start);
    QFETCH(bool, selectFirst);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    QFETCH(bool, allSelected);
    QFETCH(int, beeps);

    Window window;
    auto *edit = new RangedNumberEdit(minimum, maximum, &window.dialog);
    edit->setGeometry(10, 10, 100, 24);
    edit->setText(start);
    QVERIFY(window.show());
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->end(false);
    if (selectFirst)
        edit->selectAll();
    QSignalSpy refused(edit, &RangedNumberEdit::textRefused);

    QTest::keyClicks(edit, typed);
    if (key)
        QTest::keyClick(edit, Qt::Key(key));
    if (!pasted.isEmpty()) {
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(edit->text(), text);
    QCOMPARE(refused.count(), beeps);
    QCOMPARE(!text.isEmpty() && edit->selectedText() == text, allSelected);
    QCOMPARE(edit->value(), RangedNumberEdit::parseValue(text));
}

void TestCustomControls::programTextIsChecked()
{
    RangedNumberEdit edit(1, 400);
    edit.setText(QStringLiteral("48"));
    QSignalSpy refused(&edit, &RangedNumberEdit::textRefused);
    edit.setText(QStringLiteral("500"));
    QCOMPARE(edit.text(), QStringLiteral("48"));
    QCOMPARE(refused.count(), 1);
    edit.setText(QStringLiteral("400"));
    QCOMPARE(edit.text(), QStringLiteral("400"));
}

void TestCustomControls::keyReleaseForEveryKey()
{
    Window window;
    auto *edit = new RangedNumberEdit(1, 400, &window.dialog);
    edit->setProperty("controlId", int(CaptionDialog::PointSizeEdit));
    edit->setText(QStringLiteral("400"));
    auto *text = new CaptionTextEdit(&window.dialog);
    text->setProperty("controlId", int(CaptionDialog::TextField));
    text->setGeometry(10, 50, 200, 80);
    QVERIFY(window.show());

    edit->setFocus();
    QSignalSpy released(edit, &SelectAllLineEdit::keyReleased);
    // A refused letter, an arrow that changes nothing, a caret move: each is reported once.
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Up, Qt::Key_Left, Qt::Key_Down})
        QTest::keyClick(edit, key);
    QCOMPARE(released.count(), 4);
    for (const QList<QVariant> &arguments : released)
        QCOMPARE(arguments.at(0).toInt(), int(CaptionDialog::PointSizeEdit));
    QCOMPARE(edit->text(), QStringLiteral("399"));

    text->setFocus();
    QSignalSpy textReleased(text, &CaptionTextEdit::keyReleased);
    QTest::keyClicks(text, QStringLiteral("ab"));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(textReleased.count(), 3);
    QCOMPARE(textReleased.at(0).at(0).toInt(), int(CaptionDialog::TextField));
    QCOMPARE(text->toPlainText(), QStringLiteral("ab\n"));
}

void TestCustomControls::firstClickSelectsAll()
{
    Window window;
    auto *edit = new SelectAllLineEdit(&window.dialog);
    edit->setGeometry(10, 10, 150, 24);
    edit->setText(QStringLiteral("12345"));
    QVERIFY(window.show());
    window.other->setFocus();
    QTRY_VERIFY(window.other->hasFocus());

    const QPoint middle(edit->width() / 2, edit->height() / 2);
    QTest::mouseClick(edit, Qt::LeftButton, {}, middle);
    QCOMPARE(edit->selectedText(), QStringLiteral("12345"));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, middle.y()));
    QVERIFY(edit->selectedText().isEmpty());
    QCOMPARE(edit->cursorPosition(), 0);

    window.other->setFocus();
    QTRY_VERIFY(!edit->hasFocus());
    QTest::mouseClick(edit, Qt::LeftButton, {}, middle);
    QCOMPARE(edit->selectedText(), QStringLiteral("12345"));
}

void TestCustomControls::checkToggles()
{
    Window window;
    auto *box = new PlacementLamp(QString(), &window.dialog);
    const int topCenter = CaptionDialog::FirstPlacementLamp + 1;
    box->setProperty("controlId", topCenter);
    box->setGeometry(10, 10, 21, 20);
    QVERIFY(window.show());
    QSignalSpy changed(box, &PlacementLamp::checkChanged);

    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isOn());
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isOn());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0), QList<QVariant>({topCenter, true}));
    QCOMPARE(changed.at(1), QList<QVariant>({topCenter, false}));

    // Set by the owner: no report.
    box->setOn(true);
    QVERIFY(box->isOn());
    box->setOn(false);
    QVERIFY(!box->isOn());
    QCOMPARE(changed.count(), 2);

    box->addToolTip(QStringLiteral("Top Center"));
    QCOMPARE(box->toolTip(), QStringLiteral("Top Center"));
    QCOMPARE(box->accessibleName(), QStringLiteral("Top Center"));
}

void TestCustomControls::checkPaintsLamp()
{
    QCOMPARE(PlacementLamp::lampRect(QSize(21, 20), false), QRect(3, 2, 15, 15));
    QCOMPARE(PlacementLamp::lampRect(QSize(100, 30), true), QRect(82, 6, 15, 15));

    PlacementLamp box;
    box.resize(21, 20);
    const QPoint centre = PlacementLamp::lampRect(box.size(), false).center();
    QCOMPARE(PixelAt(&box, centre), PlacementLamp::OffColor);
    box.setOn(true);
    QCOMPARE(PixelAt(&box, centre), PlacementLamp::OnColor);
    box.setEnabled(false);
    QCOMPARE(PixelAt(&box, centre), box.palette().color(QPalette::Dark));

    // Text beside the lamp; disabled text is drawn engraved in two colors.
    PlacementLamp labelled(QStringLiteral("WWWW"));
    labelled.resize(90, 24);
    labelled.setEnabled(false);
    const QImage image = labelled.grab().toImage();
    bool light = false, dark = false;
    const QRect textArea(21, 3, 66, 18);
    for (int y = textArea.top(); y <= textArea.bottom(); ++y) {
        for (int x = textArea.left(); x <= textArea.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            light |= c == labelled.palette().color(QPalette::Light)
                && c != labelled.palette().color(QPalette::Button);
            dark |= c == labelled.palette().color(QPalette::Dark);
        }
    }
    QVERIFY(dark);
    QVERIFY(light);
}

void TestCustomControls::checkHover()
{
    Window window;
    auto *box = new PlacementLamp(QString(), &window.dialog);
    box->setGeometry(10, 10, 21, 20);
    QVERIFY(window.show());
    const QPoint beside(box->width() - 2, box->height() / 2);
    const QColor face = box->palette().color(QPalette::Button);
    const QColor highlight = box->palette().color(QPalette::Light);
    QCOMPARE(PixelAt(box, beside), face);

    QTest::mouseMove(box, QPoint(5, 5));
    QTRY_VERIFY(box->isHovered());
    QCOMPARE(PixelAt(box, beside), highlight);
    QTest::mouseMove(window.other, QPoint(5, 5));
    QTRY_VERIFY(!box->isHovered());
    QCOMPARE(PixelAt(box, beside), face);

    // A press that started outside and is dragged onto the box does not light it up.
    QTest::mousePress(window.other, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent drag(QEvent::MouseMove, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(box, &drag);
    QVERIFY(!box->isHovered());
    QTest::mouseRelease(window.other, Qt::LeftButton, {}, QPoint(5, 5));
}

void TestCustomControls::colorSwatch()
{
    ColorButton button;
    button.resize(27, 23);
    button.setColor(QColor(0x99, 0x66, 0x33));
    const QImage image = button.grab().toImage();
    for (QPoint at : {QPoint(0, 0), QPoint(26, 22), QPoint(13, 11), QPoint(26, 0)})
        QCOMPARE(image.pixelColor(at), QColor(0x99, 0x66, 0x33));

    // The picker's custom colors start white for every button of the run.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QCOMPARE(QColorDialog::customColor(i), QColor(Qt::white));
}

void TestCustomControls::colorPicker()
{
    Window window;
    auto *button = new ColorButton(&window.dialog);
    button->setGeometry(10, 10, 27, 23);
    button->setColor(Qt::red);
    QVERIFY(window.show());
    QSignalSpy changed(button, &ColorButton::colorChanged);

    auto answer = [](const QColor &color, bool accept) {
        QTimer::singleShot(0, [color, accept] {
            auto *picker = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            QVERIFY(picker);
            picker->setCurrentColor(color);
            accept ? picker->accept() : picker->reject();
        });
    };

    answer(QColor(10, 200, 30), false);
    button->click();
    QCOMPARE(button->color(), QColor(Qt::red));
    QCOMPARE(changed.count(), 0);

    answer(QColor(10, 200, 30), true);
    button->click();
    QCOMPARE(button->color(), QColor(10, 200, 30));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(PixelAt(button, QPoint(3, 3)), QColor(10, 200, 30));

    // Confirming the color that is already set is still a choice.
    answer(QColor(10, 200, 30), true);
    button->click();
    QCOMPARE(changed.count(), 2);

    // The custom colors are one set for the whole program.
    QColorDialog::setCustomColor(3, QColor(1, 2, 3));
    QTimer::singleShot(0, [] {
        auto *picker = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QCOMPARE(QColorDialog::customColor(3), QColor(1, 2, 3));
        picker->reject();
    });
    ColorButton other(&window.dialog);
    other.click();
    QColorDialog::setCustomColor(3, Qt::white);
}

void TestCustomControls::comboWidth_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<int>("scrollBar");
    QTest::addColumn<int>("zero");
    QTest::addColumn<int>("listWidth");
    QTest::newRow("widest 180") << QList<int>{120, 180, 40} << 17 << 7 << 204;
    QTest::newRow("empty list") << QList<int>{} << 17 << 7 << 7;
}

void TestCustomControls::comboWidth()
{
    QFETCH(QList<int>, widths);
    QFETCH(int, scrollBar);
    QFETCH(int, zero);
    QFETCH(int, listWidth);
    QCOMPARE(FontComboBox::dropDownWidth(widths, scrollBar, zero), listWidth);
}

void TestCustomControls::comboPopupWidens()
{
    Window window;
    auto *combo = new FontComboBox(&window.dialog);
    combo->setGeometry(10, 10, 80, 24);
    const QString longName = QStringLiteral("Some-Very-Long-Font-Name-Bold-Oblique-Condensed");
    combo->addItems({QStringLiteral("Arial"), longName, QStringLiteral("Sans")});
    QVERIFY(window.show());
    combo->showPopup();
    QWidget *popup = combo->view()->window();
    QTRY_VERIFY(popup->isVisible());
    const int expected = QFontMetrics(combo->view()->font()).horizontalAdvance(longName);
    QVERIFY2(popup->width() >= expected, qPrintable(QString::number(popup->width())));
    combo->hidePopup();
}

void TestCustomControls::scrollNeeds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lineWidth"); // pixels per character
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    const QString x194 = QString(194, QLatin1Char('x'));
    QTest::newRow("line of 194 in 200") << x194 << 1 << 200 << 100 << true << false;
    QTest::newRow("line of 193 in 200") << x194.left(193) << 1 << 200 << 100 << false << false;
    QTest::newRow("long line not the first") << QStringLiteral("ab\n") + x194 << 1 << 200 << 100 << true << false;
    QTest::newRow("5 lines in 65") << "a\nb\nc\nd\ne" << 1 << 200 << 65 << false << true;
    QTest::newRow("5 lines in 66") << "a\nb\nc\nd\ne" << 1 << 200 << 66 << false << false;
    QTest::newRow("trailing break counts") << "a\nb\nc\nd\n" << 1 << 200 << 65 << false << true;
    QTest::newRow("empty") << "" << 1 << 200 << 65 << false << false;
}

void TestCustomControls::scrollNeeds()
{
    QFETCH(QString, text);
    QFETCH(int, lineWidth);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    const auto needs = CaptionTextEdit::needScrollBars(
        text, [lineWidth](const QString &line) { return int(line.size()) * lineWidth; }, 13,
        width, height);
    QCOMPARE(needs.horizontal, horizontal);
    QCOMPARE(needs.vertical, vertical);
}

void TestCustomControls::scrollEditBars()
{
    Window window;
    auto *edit = new CaptionTextEdit(&window.dialog);
    edit->setGeometry(10, 10, 190, 70);
    QVERIFY(window.show());
    auto horizontalVisible = [edit] { return edit->horizontalScrollBar()->isVisible(); };
    auto verticalVisible = [edit] { return edit->verticalScrollBar()->isVisible(); };

    edit->setPlainText(QStringLiteral("Hello"));
    QVERIFY(!edit->horizontalShown() && !horizontalVisible());
    QVERIFY(!edit->verticalShown() && !verticalVisible());

    edit->setPlainText(QString(80, QLatin1Char('W')));
    QVERIFY(edit->horizontalShown());
    QTRY_VERIFY(horizontalVisible());
    QVERIFY(!verticalVisible());

    edit->setPlainText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8"));
    QVERIFY(!edit->horizontalShown());
    QVERIFY(edit->verticalShown());
    QTRY_VERIFY(verticalVisible());
    QTRY_VERIFY(!horizontalVisible());

    // A paste (no key involved) is checked too.
    edit->selectAll();
    edit->insertPlainText(QStringLiteral("short"));
    QVERIFY(!edit->verticalShown());
    QTRY_VERIFY(!verticalVisible());
}

QTEST_MAIN(TestCustomControls)
#include "test_customcontrols.moc"
