#include "mainwindow/MainWindow.h"
#include "widgets/DialogFont.h"
#include "widgets/DialogTemplate.h"
#include "widgets/DialogToolTips.h"
#include "widgets/SkinArtwork.h"
#include "widgets/SkinButton.h"
#include "widgets/TemplateControls.h"
#include "widgets/TemplateDialog.h"
#include "widgets/ToolTipTable.h"

#include <QDialog>
#include <QHelpEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QtTest>

using Face = SkinButton::Face;
Q_DECLARE_METATYPE(SkinButton::Face)

namespace {

constexpr int MainId = int(DialogId::MainWindow);

// The main window's template laid out the way its initialization does it.
struct MainTemplate
{
    QDialog dialog;
    DialogFontState fontState;
    MainTemplate()
    {
        createDialogControls(&dialog, MainId);
        applyDialogFont(&dialog, MainId, 96.0, fontState);
    }
    SkinButton *button(int id) { return dialogControlAs<SkinButton>(&dialog, id); }
};

QImage Pixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestSkinButtons : public QObject
{
    Q_OBJECT

private slots:
    void facesLoad_data();
    void facesLoad();
    void chooseFace_data();
    void chooseFace();
    void paintsFaceOfState();
    void releaseOutsideDoesNotClick();
    void missingFaces();
    void frameAndIcon();
    void tipCounts_data();
    void tipCounts();
    void updateTip();
    void noTipWhenDisabled();
};

void TestSkinButtons::facesLoad_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    const QSize window(24, 37), step(159, 75), corner(32, 32);
    QTest::newRow("minimize") << int(MainWindow::MinimizeButton) << "BITMAP_MINIMIZE" << window;
    QTest::newRow("maximize") << int(MainWindow::MaximizeButton) << "BITMAP_MAXIMIZE" << window;
    QTest::newRow("restore") << int(MainWindow::RestoreButton) << "BITMAP_RESTORE" << window;
    QTest::newRow("exit") << int(MainWindow::ExitButton) << "BITMAP_EXIT" << window;
    QTest::newRow("step1 done") << int(MainWindow::Step1Done) << "BITMAP_STEP1CHECKED" << step;
    QTest::newRow("step1 to do") << int(MainWindow::Step1Pending) << "BITMAP_STEP1UNCHECKED" << step;
    QTest::newRow("step2 done") << int(MainWindow::Step2Done) << "BITMAP_STEP2CHECKED" << step;
    QTest::newRow("step2 to do") << int(MainWindow::Step2Pending) << "BITMAP_STEP2UNCHECKED" << step;
    QTest::newRow("step3 done") << int(MainWindow::Step3Done) << "BITMAP_STEP3CHECKED" << step;
    QTest::newRow("step3 to do") << int(MainWindow::Step3Pending) << "BITMAP_STEP3UNCHECKED" << step;
    QTest::newRow("play") << int(MainWindow::PlayButton) << "BITMAP_PLAY" << QSize(106, 49);
    QTest::newRow("pause") << int(MainWindow::PauseButton) << "BITMAP_PAUSE" << QSize(106, 49);
    QTest::newRow("save as") << int(MainWindow::SaveAsButton) << "BITMAP_SAVEAS" << QSize(101, 42);
    QTest::newRow("create") << int(MainWindow::CreateButton) << "BITMAP_CREATEPICTUNE" << QSize(201, 64);
    QTest::newRow("options") << int(MainWindow::OptionsButton) << "BITMAP_OPTIONS" << corner;
    QTest::newRow("help") << int(MainWindow::HelpButton) << "BITMAP_HELP" << corner;
}

void TestSkinButtons::facesLoad()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(QSize, size);
    MainTemplate main;
    SkinButton *button = main.button(id);
    QVERIFY(button);
    const QPoint before = button->pos();
    QVERIFY(SkinButton::attachAndLoad(id, &main.dialog));
    QCOMPARE(button->text(), name);
    QCOMPARE(button->size(), size);
    QCOMPARE(button->pos(), before);
    QVERIFY(!button->accessibleName().isEmpty());

    QList<QImage> faces;
    for (Face face : {Face::Up, Face::Down, Face::Focus, Face::Disabled}) {
        const QPixmap pixmap = button->face(face);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.deviceIndependentSize().toSize(), size);
        QVERIFY(!pixmap.hasAlphaChannel());
        faces.append(Pixels(pixmap));
    }
    // The four faces must be told apart.
    for (int i = 0; i < faces.size(); ++i)
        for (int j = i + 1; j < faces.size(); ++j)
            QVERIFY(faces.at(i) != faces.at(j));

    // At device pixel ratio 2 the faces are drawn from the vectors at twice the pixels.
    const QPixmap sharp = SkinArtwork::buttonFace(name + QLatin1Char('U'), 2.0);
    QCOMPARE(sharp.size(), size * 2);
    QCOMPARE(sharp.deviceIndependentSize().toSize(), size);
}

void TestSkinButtons::chooseFace_data()
{
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<bool>("hasDown");
    QTest::addColumn<bool>("hasFocus");
    QTest::addColumn<bool>("hasDisabled");
    QTest::addColumn<Face>("face");
    QTest::newRow("normal") << false << false << false << true << true << true << Face::Up;
    QTest::newRow("pressed") << true << false << false << true << true << true << Face::Down;
    QTest::newRow("pressed with focus") << true << true << false << true << true << true << Face::Down;
    QTest::newRow("focused") << false << true << false << true << true << true << Face::Focus;
    QTest::newRow("disabled") << false << false << true << true << true << true << Face::Disabled;
    QTest::newRow("pressed, no down face") << true << false << false << false << true << true << Face::Up;
    QTest::newRow("pressed and focused, no down face") << true << true << false << false << true << true << Face::Focus;
    QTest::newRow("focused, no focus face") << false << true << false << true << false << true << Face::Up;
    QTest::newRow("disabled, no disabled face") << false << false << true << true << true << false << Face::Up;
}

void TestSkinButtons::chooseFace()
{
    QFETCH(bool, pressed);
    QFETCH(bool, focused);
    QFETCH(bool, disabled);
    QFETCH(bool, hasDown);
    QFETCH(bool, hasFocus);
    QFETCH(bool, hasDisabled);
    QFETCH(Face, face);
    QCOMPARE(SkinButton::chooseFace(pressed, focused, disabled, true, hasDown, hasFocus,
                                          hasDisabled),
             face);
    QCOMPARE(SkinButton::chooseFace(pressed, focused, disabled, false, false, false, false),
             Face::None);
}

void TestSkinButtons::paintsFaceOfState()
{
    MainTemplate main;
    for (int id : {MainWindow::Step3Pending, MainWindow::PlayButton, MainWindow::SaveAsButton})
        QVERIFY(SkinButton::attachAndLoad(id, &main.dialog));
    main.dialog.show();
    QApplication::setActiveWindow(&main.dialog);
    QVERIFY(QTest::qWaitForWindowActive(&main.dialog));
    SkinButton *button = main.button(MainWindow::PlayButton);
    auto shows = [button](Face face) { return Pixels(button->grab()) == Pixels(button->face(face)); };

    main.button(MainWindow::SaveAsButton)->setFocus();
    QTRY_VERIFY(main.button(MainWindow::SaveAsButton)->hasFocus());
    QVERIFY(shows(Face::Up));
    button->setDown(true);
    QVERIFY(shows(Face::Down));
    button->setDown(false);
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    QVERIFY(shows(Face::Focus));
    main.button(MainWindow::SaveAsButton)->setFocus();
    button->setEnabled(false);
    QVERIFY(shows(Face::Disabled));
    button->setEnabled(true);
    QVERIFY(shows(Face::Up));
}

void TestSkinButtons::releaseOutsideDoesNotClick()
{
    MainTemplate main;
    QVERIFY(SkinButton::attachAndLoad(MainWindow::SaveAsButton, &main.dialog));
    main.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main.dialog));
    SkinButton *button = main.button(MainWindow::SaveAsButton);
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    const QPoint inside = button->rect().center();
    const QPoint outside(button->width() + 30, button->height() + 30);
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QCOMPARE(button->currentFace(), Face::Down);
    QMouseEvent move(QEvent::MouseMove, QPointF(outside), button->mapToGlobal(QPointF(outside)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(button, &move);
    QVERIFY(button->currentFace() != Face::Down);
    QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
    QCOMPARE(clicks.count(), 0);

    QTest::mouseClick(button, Qt::LeftButton, {}, inside);
    QCOMPARE(clicks.count(), 1);
}

void TestSkinButtons::missingFaces()
{
    QDialog dialog;
    auto *button = new SkinButton(QStringLiteral("BITMAP_NOSUCH"), &dialog);
    button->setProperty("controlId", 4000);
    button->setGeometry(5, 6, 17, 16);
    QVERIFY(!SkinButton::attachAndLoad(4000, &dialog));
    QCOMPARE(button->geometry(), QRect(5, 6, 17, 16));
    QCOMPARE(button->currentFace(), Face::None);
    // A control of another class or an unknown id is not attached.
    auto *edit = new QLineEdit(&dialog);
    edit->setProperty("controlId", 4001);
    QVERIFY(!SkinButton::attachAndLoad(4001, &dialog));
    QVERIFY(!SkinButton::attachAndLoad(4002, &dialog));
}

void TestSkinButtons::frameAndIcon()
{
    const QList<QPair<int, QSize>> pieces = {
        {1500, {1600, 63}}, {1501, {176, 37}}, {1502, {23, 11}}, {1503, {23, 11}},
        {1504, {23, 42}}, {1505, {23, 42}}, {1506, {1600, 11}}, {1507, {23, 1200}},
        {1508, {1600, 42}}, {1509, {23, 1200}}};
    for (const auto &[id, size] : pieces) {
        const QPixmap piece = SkinArtwork::skinBitmap(id);
        QCOMPARE(piece.size(), size);
        QVERIFY(!piece.hasAlphaChannel());
        QCOMPARE(SkinArtwork::skinBitmap(id, 2.0).size(), size * 2);
    }
    QVERIFY(SkinArtwork::skinBitmap(1599).isNull());
    // The band is tiled across wide windows: every column must be the same.
    const QImage band = Pixels(SkinArtwork::skinBitmap(1500));
    QCOMPARE(band.copy(0, 0, 1, 63), band.copy(1234, 0, 1, 63));

    const QIcon icon = SkinArtwork::appIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(256, 256)));
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
}

void TestSkinButtons::tipCounts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("count");
    QTest::newRow("main") << MainId << 16;
    QTest::newRow("options") << int(DialogId::Options) << 7;
    QTest::newRow("text") << int(DialogId::Caption) << 11;
    QTest::newRow("build progress") << int(DialogId::BuildProgress) << 0;
}

void TestSkinButtons::tipCounts()
{
    QFETCH(int, id);
    QFETCH(int, count);
    QDialog dialog;
    QVERIFY(createDialogControls(&dialog, id));
    DialogToolTips tips;
    QCOMPARE(tips.rowCount(), 34);
    QCOMPARE(tips.createTips(id, &dialog), count);
    int attached = 0;
    for (const ToolTipRow &row : toolTipTable()) {
        if (row.dialogId != id)
            continue;
        QWidget *control = dialogControl(&dialog, row.controlId);
        QVERIFY2(control, qPrintable(QString::number(row.controlId)));
        QCOMPARE(control->toolTip(), row.text);
        ++attached;
    }
    QCOMPARE(attached, count);
    if (id == MainId) {
        QVERIFY(dialogControl(&dialog, MainWindow::CreateButton)->toolTip().isEmpty());
        const QStringList lines = dialogControl(&dialog, MainWindow::PlayButton)->toolTip().split(QLatin1Char('\n'));
        QCOMPARE(lines, QStringList({QStringLiteral("Play/Preview the currently chosen Audio File"),
                                     QString(), QStringLiteral("Right-click for more options...")}));
    }
}

void TestSkinButtons::updateTip()
{
    QDialog dialog;
    QVERIFY(createDialogControls(&dialog, MainId));
    {
        DialogToolTips tips;
        tips.createTips(MainId, &dialog);
        tips.updateTip(QStringLiteral("Clear /tmp/a b.jpg"), &dialog, MainWindow::Step1Done);
        QCOMPARE(dialogControl(&dialog, MainWindow::Step1Done)->toolTip(), QStringLiteral("Clear /tmp/a b.jpg"));
        QCOMPARE(tips.tipText(MainWindow::Step1Done), QStringLiteral("Clear /tmp/a b.jpg"));
        QCOMPARE(dialogControl(&dialog, MainWindow::Step2Done)->toolTip(),
                 QStringLiteral("Click here to clear the current Audio File"));
        // The create button has no tooltip, so it gets none.
        tips.updateTip(QStringLiteral("x"), &dialog, MainWindow::CreateButton);
        QVERIFY(dialogControl(&dialog, MainWindow::CreateButton)->toolTip().isEmpty());
    }
    // The set's tooltips go with it.
    QVERIFY(dialogControl(&dialog, MainWindow::Step1Done)->toolTip().isEmpty());
}

void TestSkinButtons::noTipWhenDisabled()
{
    MainTemplate main;
    DialogToolTips tips;
    tips.createTips(MainId, &main.dialog);
    main.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main.dialog));
    QWidget *play = dialogControl(&main.dialog, MainWindow::PlayButton);
    auto hover = [](QWidget *control) {
        const QPoint at = control->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &help);
    };
    play->setEnabled(false);
    hover(play);
    QVERIFY(!QToolTip::isVisible());
    play->setEnabled(true);
    hover(play);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), play->toolTip());
    QToolTip::hideText();
}

QTEST_MAIN(TestSkinButtons)
#include "test_skinbuttons.moc"
