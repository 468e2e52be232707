#include "base/AppSettings.h"
#include "widgets/MessageBox.h"
#include "common/PictureWaits.h"
#include "common/TestSupport.h"
#include "dialogs/CaptionDialog.h"
#include "dialogs/CaptionDialogRules.h"
#include "dialogs/WindowPlacement.h"
#include "media/FontList.h"
#include "model/BlankCanvases.h"
#include "model/PicturePreparation.h"
#include "widgets/CaptionTextEdit.h"
#include "widgets/ColorButton.h"
#include "widgets/FontComboBox.h"
#include "widgets/MessageBox.h"
#include "widgets/PlacementLamp.h"
#include "widgets/RangedNumberEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace TestSupport;
using Dialog = CaptionDialog;

namespace {

// What the shadow box turns on and off.
const int ShadowControls[] = {Dialog::ShadowColorButton, Dialog::ShadowXEdit, Dialog::ShadowYEdit,
                              Dialog::ShadowColorLabel, Dialog::ShadowXLabel, Dialog::ShadowYLabel};

BlankCanvases &canvases()
{
    static BlankCanvases made;
    return made;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

} // namespace

// Does for the dialog what the main window does: reads the controls into the dialog's working
// record and draws it with the real image tool, refusing a second report while one is drawn.
class PreviewOwner : public QWidget, public CaptionPreviewTarget
{
public:
    PreviewOwner()
        : preparation(canvases())
    {
        QObject::connect(&preparation, &PicturePreparation::finished, this, [this] { busy = false; });
    }

    int previewCaption(CaptionPreviewSource *dialog) override
    {
        ++reports;
        if (busy)
            return 0;
        busy = true;
        dialog->readControls(dialog->workingSettings());
        drawn.append(dialog->workingSettings());
        preparation.renderText(dialog->workingSettings());
        return 1;
    }

    QByteArray renderedHash() const { return fileHash(preparation.withTextPath()); }

    PicturePreparation preparation;
    QList<CaptionSettings> drawn;
    int reports = 0;
    bool busy = false;
};

class TestCaptionDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fontSelection_data();
    void fontSelection();

    void opening();
    void missingFontFallsBack();
    void typingUpdatesPreview();
    void placementClicks();
    void clearingShadowReportsAtOnce();
    void okRefusals_data();
    void okRefusals();
    void okStoresControls();
    void okNamesCharactersNoFontHas_data();
    void okNamesCharactersNoFontHas();
    void cancelKeepsSettings();
    void keys();
    void positionBesideOwnerThenRemembered_data();
    void positionBesideOwnerThenRemembered();

private:
    // Opens the dialog over the owner and waits for its first drawing.
    void openDialog();
    template<class T>
    T *control(int id) const { return m_dialog->controlAs<T>(id); }
    // Waits until every report made so far has been drawn and the timer found nothing new.
    void settle();

    std::unique_ptr<ConfigSandbox> m_config;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<PreviewOwner> m_owner;
    std::unique_ptr<CaptionDialog> m_dialog;
    CaptionSettings m_settings;
    int m_x = -1;
    int m_y = -1;
};

void TestCaptionDialog::initTestCase()
{
    m_config = std::make_unique<ConfigSandbox>();
    QVERIFY(queryFontList());
    QVERIFY(fontNameList().contains(QStringLiteral("DejaVu-Sans-Bold")));
    QVERIFY(!fontNameList().contains(QStringLiteral("Arial-Black")));
    QVERIFY(canvases().create(AppSettings::instance().imageToolPath(), AppSettings::instance().backgroundColor()));
}

void TestCaptionDialog::init()
{
    m_messages = std::make_unique<MessageRecorder>();
    m_owner = std::make_unique<PreviewOwner>();
    m_owner->setGeometry(20, 40, 300, 200);
    m_owner->show();
    m_settings = CaptionSettings();
    m_settings.fontName = QStringLiteral("DejaVu-Sans");
    m_x = m_y = -1;
}

void TestCaptionDialog::cleanup()
{
    m_dialog.reset();
    m_owner.reset();
    m_messages.reset();
}

void TestCaptionDialog::openDialog()
{
    m_dialog = std::make_unique<CaptionDialog>(&m_x, &m_y, &m_settings, m_owner.get());
    const int drawn = m_owner->drawn.size();
    m_dialog->show();
    QApplication::setActiveWindow(m_dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QTRY_COMPARE(m_owner->drawn.size(), drawn + 1);
    QTRY_VERIFY(!m_owner->busy);
    QTRY_VERIFY(m_dialog->isCheckTimerActive());
}

void TestCaptionDialog::settle()
{
    const auto drawnAsShown = [this] {
        CaptionSettings controls;
        m_dialog->readControls(controls);
        return !m_owner->busy && m_dialog->workingSettings() == controls;
    };
    QTRY_VERIFY(drawnAsShown());
}

void TestCaptionDialog::fontSelection_data()
{
    QTest::addColumn<QStringList>("fonts");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected");

    const QStringList fonts = {"Bitstream-Charter-Italic", "DejaVu-Sans", "DejaVu-Sans-Bold",
                               "DejaVu-Serif", "Liberation-Sans-Bold"};
    QTest::addRow("exact") << fonts << "DejaVu-Sans-Bold" << 2;
    QTest::addRow("first prefix, any case") << fonts << "dejavu-s" << 1;
    QTest::addRow("missing: DejaVu bold") << fonts << "Arial-Black" << 2;
    QTest::addRow("empty name: fallback") << fonts << "" << 2;
    QTest::addRow("missing: Liberation bold")
        << QStringList{"DejaVu-Serif", "Liberation-Sans-Bold"} << "Arial-Black" << 1;
    QTest::addRow("missing: upright bold sans")
        << QStringList{"Foo-Serif", "Foo-Sans-Bold-Oblique", "Foo-Sans-Bold"} << "Arial-Black" << 2;
    QTest::addRow("missing: any bold")
        << QStringList{"Foo-Serif", "Foo-Serif-Bold"} << "Arial-Black" << 1;
    QTest::addRow("missing: first font") << QStringList{"Foo", "Bar"} << "Arial-Black" << 0;
    QTest::addRow("no fonts") << QStringList{} << "Arial-Black" << -1;
}

void TestCaptionDialog::fontSelection()
{
    QFETCH(QStringList, fonts);
    QFETCH(QString, name);
    QFETCH(int, expected);
    QCOMPARE(CaptionDialogRules::fontIndexFor(fonts, name), expected);
}

void TestCaptionDialog::opening()
{
    m_settings.pointSize = 72;
    m_settings.textColor = qRgb(255, 0, 0);
    m_settings.text = QStringLiteral("two\nlines");
    m_settings.xPosition = -12;
    m_settings.yPosition = 7;
    m_settings.placement = 8;
    m_settings.shadowOn = false;
    m_settings.shadowColor = qRgb(0, 0, 255);
    m_settings.shadowXOffset = -5;
    m_settings.shadowYOffset = 0;
    openDialog();

    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Pictune Text"));
    QCOMPARE(m_dialog->property("allowsMainWindowDrops"), QVariant(true));
    QCOMPARE(control<FontComboBox>(Dialog::FontCombo)->currentText(), QStringLiteral("DejaVu-Sans"));
    QCOMPARE(control<FontComboBox>(Dialog::FontCombo)->count(), fontNameList().size());
    QCOMPARE(control<RangedNumberEdit>(Dialog::PointSizeEdit)->text(), QStringLiteral("72"));
    QCOMPARE(control<ColorButton>(Dialog::TextColorButton)->color(), QColor(Qt::red));
    QCOMPARE(control<CaptionTextEdit>(Dialog::TextField)->toPlainText(), QStringLiteral("two\nlines"));
    QCOMPARE(control<RangedNumberEdit>(Dialog::XPositionEdit)->text(), QStringLiteral("-12"));
    QCOMPARE(control<RangedNumberEdit>(Dialog::YPositionEdit)->text(), QStringLiteral("7"));
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(control<PlacementLamp>(Dialog::FirstPlacementLamp + i)->isOn(), i == 8);
        QCOMPARE(control<PlacementLamp>(Dialog::FirstPlacementLamp + i)->toolTip(), placementLabel(i));
    }
    QVERIFY(!control<QCheckBox>(Dialog::ShadowCheckBox)->isChecked());
    for (int id : ShadowControls)
        QVERIFY2(!m_dialog->control(id)->isEnabled(), qPrintable(QString::number(id)));
    QCOMPARE(control<ColorButton>(Dialog::ShadowColorButton)->color(), QColor(Qt::blue));
    QCOMPARE(control<RangedNumberEdit>(Dialog::ShadowYEdit)->text(), QStringLiteral("0"));
    QCOMPARE(control<ColorButton>(Dialog::TextColorButton)->accessibleName(), QStringLiteral("Text Color"));
    QCOMPARE(control<ColorButton>(Dialog::ShadowColorButton)->accessibleName(), QStringLiteral("Shadow Color"));

    // The first drawing is the record as shown (every field but the on flag).
    QVERIFY(m_owner->drawn.first() == m_settings);
    QVERIFY(!m_owner->renderedHash().isEmpty());
    QCOMPARE(m_owner->preparation.state(), PicturePreparation::State::WithText);
}

void TestCaptionDialog::missingFontFallsBack()
{
    m_settings.fontName = QStringLiteral("Arial-Black");
    openDialog();
    QCOMPARE(control<FontComboBox>(Dialog::FontCombo)->currentText(), QStringLiteral("DejaVu-Sans-Bold"));
    QCOMPARE(m_owner->drawn.first().fontName, QStringLiteral("DejaVu-Sans-Bold"));
    QCOMPARE(m_owner->preparation.state(), PicturePreparation::State::WithText);
    // The record keeps its font until OK.
    QCOMPARE(m_settings.fontName, QStringLiteral("Arial-Black"));
}

void TestCaptionDialog::typingUpdatesPreview()
{
    openDialog();
    auto *edit = control<CaptionTextEdit>(Dialog::TextField);
    edit->setFocus();
    edit->selectAll();
    const QByteArray before = m_owner->renderedHash();

    QTest::keyClicks(edit, QStringLiteral("Hi"));
    settle();
    QCOMPARE(m_owner->drawn.last().text, QStringLiteral("Hi"));
    QVERIFY(m_owner->renderedHash() != before);
    const QByteArray hi = m_owner->renderedHash();

    // A blank at the end: the key report trims it away, the timer draws it.
    const int drawnBefore = m_owner->drawn.size();
    QTest::keyClick(edit, Qt::Key_Space);
    QCOMPARE(m_owner->drawn.size(), drawnBefore);
    QTRY_COMPARE_WITH_TIMEOUT(m_owner->drawn.size(), drawnBefore + 1, 2000);
    QCOMPARE(m_owner->drawn.last().text, QStringLiteral("Hi "));
    settle();
    QCOMPARE(m_owner->drawn.size(), drawnBefore + 1);

    // A word finished with the text edit losing the focus: the record drawn last matches, and
    // its picture is the one a fresh drawing of those settings gives.
    QTest::keyClicks(edit, QStringLiteral("there"));
    control<RangedNumberEdit>(Dialog::PointSizeEdit)->setFocus();
    settle();
    QCOMPARE(m_owner->drawn.last().text, QStringLiteral("Hi there"));
    QVERIFY(m_owner->renderedHash() != hi);
    PicturePreparation fresh(canvases());
    QVERIFY(renderCaption(fresh, m_owner->drawn.last()));
    QCOMPARE(fileHash(fresh.withTextPath()), m_owner->renderedHash());

    // A number typed while a drawing is under way: the busy owner drops the report, the timer
    // repeats it afterwards.
    auto *size = control<RangedNumberEdit>(Dialog::PointSizeEdit);
    size->selectAll();
    m_owner->busy = true;
    QTest::keyClicks(size, QStringLiteral("55"));
    m_owner->busy = false;
    QTRY_COMPARE_WITH_TIMEOUT(m_owner->drawn.last().pointSize, 55, 2000);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestCaptionDialog::placementClicks()
{
    openDialog();
    auto *middle = control<PlacementLamp>(Dialog::FirstPlacementLamp + 4);
    QVERIFY(middle->isOn());
    QTest::mouseClick(middle, Qt::LeftButton);
    QVERIFY(middle->isOn());
    QTest::qWait(3 * CaptionDialog::CheckIntervalMs);
    QCOMPARE(m_owner->reports, 1);

    const int reports = m_owner->reports;
    QTest::mouseClick(control<PlacementLamp>(Dialog::FirstPlacementLamp), Qt::LeftButton);
    QCOMPARE(m_owner->reports, reports + 1);
    QCOMPARE(m_owner->drawn.last().placement, 0);
    for (int i = 0; i < 9; ++i)
        QCOMPARE(control<PlacementLamp>(Dialog::FirstPlacementLamp + i)->isOn(), i == 0);
}

void TestCaptionDialog::clearingShadowReportsAtOnce()
{
    openDialog();
    auto *shadow = control<QCheckBox>(Dialog::ShadowCheckBox);
    QVERIFY(shadow->isChecked());
    QTest::mouseClick(shadow, Qt::LeftButton);
    QCOMPARE(m_owner->reports, 2);
    QCOMPARE(m_owner->drawn.last().shadowOn, false);
    for (int id : ShadowControls)
        QVERIFY2(!m_dialog->control(id)->isEnabled(), qPrintable(QString::number(id)));

    QTRY_VERIFY(!m_owner->busy);
    QTest::mouseClick(shadow, Qt::LeftButton);
    QCOMPARE(m_owner->reports, 3);
    QCOMPARE(m_owner->drawn.last().shadowOn, true);
    for (int id : ShadowControls)
        QVERIFY(m_dialog->control(id)->isEnabled());
}

void TestCaptionDialog::okRefusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shadowX");
    QTest::addColumn<QString>("shadowY");
    QTest::addColumn<bool>("shadowOn");
    QTest::addColumn<int>("focusId");
    QTest::addColumn<QString>("message");

    const QString noText = QStringLiteral("Please supply some text, thanks.");
    const QString noOffset = QStringLiteral(
        "The Shadow offset needs to be something other than 0, so it can be seen, thanks.");
    QTest::addRow("blanks only") << " \n\t \n " << "3" << "3" << true << int(Dialog::TextField) << noText;
    QTest::addRow("blanks and no offset") << "  " << "0" << "" << true << int(Dialog::TextField) << noText;
    QTest::addRow("no offset") << "x" << "0" << "0" << true << int(Dialog::ShadowXEdit) << noOffset;
    QTest::addRow("no offset, shadow off") << "x" << "-" << "0" << false << int(Dialog::ShadowCheckBox) << noOffset;
}

void TestCaptionDialog::okRefusals()
{
    QFETCH(QString, text);
    QFETCH(QString, shadowX);
    QFETCH(QString, shadowY);
    QFETCH(bool, shadowOn);
    QFETCH(int, focusId);
    QFETCH(QString, message);

    m_settings.shadowOn = shadowOn;
    const CaptionSettings before = m_settings;
    openDialog();
    control<CaptionTextEdit>(Dialog::TextField)->setPlainText(text);
    control<RangedNumberEdit>(Dialog::ShadowXEdit)->setText(shadowX);
    control<RangedNumberEdit>(Dialog::ShadowYEdit)->setText(shadowY);
    control<QPushButton>(Dialog::OkButton)->setFocus();
    QTest::mouseClick(control<QPushButton>(Dialog::OkButton), Qt::LeftButton);

    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text, message);
    QCOMPARE(m_messages->messages.first().caption, QStringLiteral("Velmora"));
    QCOMPARE(m_messages->messages.first().icon, QMessageBox::NoIcon);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->isCheckTimerActive());
    QTRY_VERIFY(m_dialog->control(focusId)->hasFocus());
    if (focusId == Dialog::TextField) {
        QCOMPARE(control<CaptionTextEdit>(Dialog::TextField)->textCursor().selectedText().size(), text.size());
    } else if (focusId == Dialog::ShadowXEdit) {
        QCOMPARE(control<RangedNumberEdit>(Dialog::ShadowXEdit)->selectedText(), shadowX);
    }
    QVERIFY(m_settings == before);
}

void TestCaptionDialog::okNamesCharactersNoFontHas_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("missing");

    QTest::addRow("Armenian, in the chosen font") << QStringLiteral("\u0532\u0561\u0580\u0587") << "";
    QTest::addRow("Georgian, from another font") << QStringLiteral("Hi \u10D2\u10D0") << "";
    // Egyptian hieroglyphs are in none of the fonts the tests use.
    QTest::addRow("a character no font has") << QStringLiteral("Hi \U00013000 \U00013001 \U00013000") << QStringLiteral("\U00013000 \U00013001");
}

void TestCaptionDialog::okNamesCharactersNoFontHas()
{
    QFETCH(QString, text);
    QFETCH(QString, missing);
    m_settings.fontName = QStringLiteral("Liberation-Sans");
    openDialog();
    control<CaptionTextEdit>(Dialog::TextField)->setPlainText(text);
    QTest::mouseClick(control<QPushButton>(Dialog::OkButton), Qt::LeftButton);
    if (missing.isEmpty()) {
        QTRY_VERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(CaptionDialog::ResultOk));
        QCOMPARE(m_settings.text, text);
        QVERIFY(m_messages->messages.isEmpty());
        return;
    }
    QTRY_COMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text,
             "These characters are in none of the Fonts, so they can not be drawn:\n\n   " + missing
                 + "\n\nPlease remove them from the text, thanks.");
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_settings.text != text);
    QTRY_VERIFY(control<CaptionTextEdit>(Dialog::TextField)->hasFocus());
}

void TestCaptionDialog::okStoresControls()
{
    openDialog();
    control<CaptionTextEdit>(Dialog::TextField)->setPlainText(QStringLiteral("  Hello\nworld  "));
    control<RangedNumberEdit>(Dialog::PointSizeEdit)->setText(QStringLiteral("12"));
    control<RangedNumberEdit>(Dialog::XPositionEdit)->setText(QStringLiteral("-400"));
    control<RangedNumberEdit>(Dialog::ShadowYEdit)->setText(QStringLiteral("-"));
    control<FontComboBox>(Dialog::FontCombo)->setCurrentText(QStringLiteral("DejaVu-Serif"));
    control<ColorButton>(Dialog::TextColorButton)->setColor(QColor(0x56, 0x34, 0x12));
    QTest::mouseClick(control<PlacementLamp>(Dialog::LastPlacementLamp), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(Dialog::ShadowCheckBox), Qt::LeftButton);

    CaptionSettings shown;
    m_dialog->readControls(shown);
    QTest::mouseClick(control<QPushButton>(Dialog::OkButton), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(CaptionDialog::ResultOk));
    QVERIFY(!m_dialog->isCheckTimerActive());
    QVERIFY(m_messages->messages.isEmpty());

    QVERIFY(m_settings == shown);
    QCOMPARE(m_settings.text, QStringLiteral("  Hello\nworld  "));
    QCOMPARE(m_settings.fontName, QStringLiteral("DejaVu-Serif"));
    QCOMPARE(m_settings.pointSize, 12);
    QCOMPARE(m_settings.textColor, qRgb(0x56, 0x34, 0x12));
    QCOMPARE(m_settings.xPosition, -400);
    QCOMPARE(m_settings.placement, 8);
    QCOMPARE(m_settings.shadowOn, false);
    QCOMPARE(m_settings.shadowYOffset, 0);
    QCOMPARE(m_settings.textOn, false); // the owner turns the caption on
}

void TestCaptionDialog::cancelKeepsSettings()
{
    m_settings.textOn = true;
    const CaptionSettings before = m_settings;
    openDialog();
    auto *edit = control<CaptionTextEdit>(Dialog::TextField);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("more"));
    QTest::mouseClick(control<PlacementLamp>(Dialog::FirstPlacementLamp), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(Dialog::ShadowCheckBox), Qt::LeftButton);
    settle();
    QVERIFY(m_owner->drawn.size() >= 3);

    QTest::mouseClick(control<QPushButton>(Dialog::CancelButton), Qt::LeftButton);
    QCOMPARE(m_dialog->result(), int(CaptionDialog::ResultCancel));
    QVERIFY(!m_dialog->isCheckTimerActive());
    QVERIFY(m_settings == before);
    QCOMPARE(m_settings.textOn, true);

    // Nothing is drawn after the dialog ended, even for changes the timer had not seen.
    const int reports = m_owner->reports;
    control<RangedNumberEdit>(Dialog::PointSizeEdit)->setText(QStringLiteral("9"));
    QTest::qWait(3 * CaptionDialog::CheckIntervalMs);
    QCOMPARE(m_owner->reports, reports);
}

void TestCaptionDialog::keys()
{
    openDialog();
    // Escape neither cancels nor closes.
    QTest::keyClick(control<RangedNumberEdit>(Dialog::XPositionEdit), Qt::Key_Escape);
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    QVERIFY(m_dialog->isVisible());

    // Enter in the text edit makes a new line.
    auto *edit = control<CaptionTextEdit>(Dialog::TextField);
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(edit->toPlainText().endsWith(QLatin1String("thanks\n")));

    // The close box is Cancel.
    m_dialog->close();
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(CaptionDialog::ResultCancel));

    // Elsewhere Enter is OK.
    openDialog();
    QTest::keyClick(control<RangedNumberEdit>(Dialog::XPositionEdit), Qt::Key_Return);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(CaptionDialog::ResultOk));
}

void TestCaptionDialog::positionBesideOwnerThenRemembered_data()
{
    QTest::addColumn<QRect>("owner");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int middle = screen.left() + screen.width() / 2;
    QTest::addRow("room on the right") << QRect(screen.left() + 10, 240, 200, 150);
    QTest::addRow("room on the left") << QRect(screen.right() - 210, 260, 200, 150);
    QTest::addRow("no room: least overlap") << QRect(middle - 100, 240, 200, 150);
}

void TestCaptionDialog::positionBesideOwnerThenRemembered()
{
    QFETCH(QRect, owner);
    m_owner->setGeometry(owner);
    openDialog();

    const QRect workArea = m_owner->screen()->availableGeometry();
    const QRect ownerFrame = m_owner->frameGeometry();
    const QRect dialogFrame = m_dialog->frameGeometry();
    const QPoint expected = WindowPlacement::besideOwner(dialogFrame.size(), ownerFrame, workArea);
    QCOMPARE(m_dialog->pos(), expected);
    QCOMPARE(QPoint(m_x, m_y), expected);
    QVERIFY(workArea.contains(dialogFrame));
    QVERIFY(qAbs(dialogFrame.center().y() - ownerFrame.center().y()) <= 1);
    // Beside the owner, touching it, wherever a side has room.
    if (ownerFrame.left() - workArea.left() >= dialogFrame.width()
        || workArea.right() - ownerFrame.right() >= dialogFrame.width()) {
        QVERIFY(!dialogFrame.intersects(ownerFrame));
        QVERIFY(dialogFrame.left() == ownerFrame.right() + 1 || dialogFrame.right() + 1 == ownerFrame.left());
    }

    const QPoint moved = expected + QPoint(13, 33);
    m_dialog->move(moved);
    QTRY_COMPARE(m_dialog->pos(), moved);
    QTest::mouseClick(control<QPushButton>(Dialog::CancelButton), Qt::LeftButton);
    QCOMPARE(QPoint(m_x, m_y), moved);

    // Reopened in the same run: where it was closed, whatever the owner does.
    m_owner->move(owner.topLeft() + QPoint(50, 50));
    openDialog();
    QCOMPARE(m_dialog->pos(), moved);
}

QTEST_MAIN(TestCaptionDialog)
#include "test_caption_dialog.moc"
