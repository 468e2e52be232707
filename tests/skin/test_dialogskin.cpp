#include "dialogs/BuildProgressDialog.h"
#include "dialogs/CompletionDialog.h"
#include "widgets/AnchorGroup.h"
#include "widgets/DialogFont.h"
#include "widgets/DialogTemplate.h"
#include "widgets/TemplateControls.h"
#include "widgets/TemplateDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QtTest>

#include <memory>

class TestDialogSkin : public QObject
{
    Q_OBJECT

private slots:
    void dialogUnits_data();
    void dialogUnits();
    void templateFont();
    void templatesLoad_data();
    void templatesLoad();
    void layoutFollowsTemplate_data();
    void layoutFollowsTemplate();
    void applyTwiceRestoresFirst();
    void restoreUnappliedDoesNothing();
    void layoutStopsAtMissingControl();
    void factorySuppliesClass();
    void anchorGroupMoves();
    void anchorGroupLimit();
};

void TestDialogSkin::dialogUnits_data()
{
    QTest::addColumn<QRect>("units");
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::addColumn<QRect>("pixels");
    QTest::addRow("text dialog client") << QRect(0, 0, 366, 183) << 6 << 13 << QRect(0, 0, 549, 297);
    // 0.25 x 6 = 1.5 per unit: 11 units are 16.5, rounded up to 17.
    QTest::addRow("half rounds up") << QRect(11, 3, 11, 5) << 6 << 13 << QRect(17, 5, 17, 8);
    QTest::addRow("below half rounds down") << QRect(1, 1, 1, 1) << 5 << 11 << QRect(1, 1, 1, 1);
    QTest::addRow("zero") << QRect(0, 0, 0, 0) << 6 << 13 << QRect(0, 0, 0, 0);
    QTest::addRow("main dialog") << QRect(0, 0, 361, 374) << 6 << 13 << QRect(0, 0, 542, 608);
}

void TestDialogSkin::dialogUnits()
{
    QFETCH(QRect, units);
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    QFETCH(QRect, pixels);
    QCOMPARE(dialogUnitsToPixels(units, DialogBaseUnits{baseX, baseY}), pixels);
    QCOMPARE(dialogUnitsToPixels(units.size(), DialogBaseUnits{baseX, baseY}), pixels.size());
}

void TestDialogSkin::templateFont()
{
    // The layout must not follow the screen's font scaling: 8 points are 11 pixels at the
    // fixed 96 dpi, whatever the application font or screen says.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 15));
    const QFont mainFont =
        dialogTemplateFont(*DialogTemplate::get(int(DialogId::MainWindow)), 96.0);
    QCOMPARE(mainFont.pixelSize(), 11);
    QCOMPARE(mainFont.weight(), QFont::Normal); // the main template says weight 0
    QVERIFY(!mainFont.italic());
    QCOMPARE(dialogTemplateFont(*DialogTemplate::get(int(DialogId::Caption)), 96.0).pixelSize(), 11);
    QCOMPARE(dialogTemplateFont(*DialogTemplate::get(int(DialogId::Caption)), 120.0).pixelSize(), 13);
    QApplication::setFont(QFont());
}

void TestDialogSkin::templatesLoad_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<int>>("ids");
    QTest::addRow("main") << int(DialogId::MainWindow) << QString() << QSize(361, 374)
                          << QList<int>{1100, 1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108,
                                        1109, 1110, 1111, 1112, 1113, 1114, 1115, 1116, 1117, 1118};
    QTest::addRow("options") << int(DialogId::Options)
                             << QStringLiteral("Default File Locations and Options")
                             << QSize(379, 246)
                             << QList<int>{1800, 1801, 1802, 1803, 1804, 1805, 1806, 1, 2};
    QTest::addRow("open-file extension") << int(DialogId::OpenFileOptions) << QString()
                                         << QSize(312, 21) << QList<int>{1700};
    QTest::addRow("text") << int(DialogId::Caption) << QStringLiteral("Pictune Text")
                          << QSize(366, 183)
                          << QList<int>{1900, 1901, 1902, 1903, 1904, 1905, 1922, 1906, 1907,
                                        1908, 1909, 1910, 1911, 1912, 1913, 1914, 1915, 1916,
                                        1917, 1918, 1919, 1920, 1921, 1, 2};
    QTest::addRow("actual size") << int(DialogId::ActualSizeViewer) << QStringLiteral("VAS")
                                 << QSize(186, 94) << QList<int>{};
    QTest::addRow("build progress") << int(DialogId::BuildProgress) << QStringLiteral("Pictune Build Progress")
                                    << QSize(392, 91) << QList<int>{2000, 2001, 2002, 2003, 2004, 2005, 2006};
    QTest::addRow("complete") << int(DialogId::Completion) << QStringLiteral("Pictune Complete")
                              << QSize(196, 199)
                              << QList<int>{2100, 2101, 2102, 2};
}

void TestDialogSkin::templatesLoad()
{
    QFETCH(int, id);
    QFETCH(QString, caption);
    QFETCH(QSize, size);
    QFETCH(QList<int>, ids);
    const DialogTemplate *dialogTemplate = DialogTemplate::get(id);
    QVERIFY(dialogTemplate);
    QCOMPARE(dialogTemplate->id, id);
    QCOMPARE(dialogTemplate->caption, caption);
    QCOMPARE(dialogTemplate->size, size);
    QCOMPARE(dialogTemplate->fontName, QStringLiteral("MS Shell Dlg"));
    QCOMPARE(dialogTemplate->fontPoints, 8);
    QList<int> found;
    for (const DialogControlTemplate &item : dialogTemplate->controls) {
        if (item.id != -1) {
            QVERIFY2(!found.contains(item.id), qPrintable(QString::number(item.id)));
            found.append(item.id);
        }
    }
    std::sort(found.begin(), found.end());
    std::sort(ids.begin(), ids.end());
    QCOMPARE(found, ids);
    QVERIFY(!DialogTemplate::get(999));
}

void TestDialogSkin::layoutFollowsTemplate_data()
{
    QTest::addColumn<int>("id");
    for (DialogId id : {DialogId::MainWindow, DialogId::Options, DialogId::OpenFileOptions,
                        DialogId::Caption, DialogId::ActualSizeViewer, DialogId::BuildProgress,
                        DialogId::Completion})
        QTest::addRow("%d", int(id)) << int(id);
}

void TestDialogSkin::layoutFollowsTemplate()
{
    QFETCH(int, id);
    QDialog dialog;
    QVERIFY(createDialogControls(&dialog, id));
    DialogFontState state;
    QVERIFY(applyDialogFont(&dialog, id, 96.0, state));
    QVERIFY(state.isApplied());

    const DialogTemplate *dialogTemplate = DialogTemplate::get(id);
    QCOMPARE(dialog.font().pixelSize(), 11);
    QCOMPARE(dialog.windowTitle(), dialogTemplate->caption);
    const QFontMetrics metrics(dialog.font());
    const int baseX = (metrics.horizontalAdvance(QStringLiteral(
                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")) / 26 + 1) / 2;
    const int baseY = metrics.height();
    auto place = [&](int v, int base, double scale) { return int(v * base * scale + 0.5); };
    QCOMPARE(dialog.size(), QSize(place(dialogTemplate->size.width(), baseX, 0.25),
                                  place(dialogTemplate->size.height(), baseY, 0.125)));

    QList<QWidget *> children = dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), dialogTemplate->controls.size());
    for (int i = 0; i < children.size(); ++i) {
        const DialogControlTemplate &item = dialogTemplate->controls.at(i);
        QWidget *control = children.at(i);
        const QString where = QStringLiteral("control %1 (#%2)").arg(item.id).arg(i);
        QCOMPARE(control->property("controlId").toInt(), item.id);
        QVERIFY2(control->font() == state.font, qPrintable(where));
        QRect expected(place(item.rect.x(), baseX, 0.25), place(item.rect.y(), baseY, 0.125),
                       place(item.rect.width(), baseX, 0.25),
                       place(item.rect.height(), baseY, 0.125));
        if (qobject_cast<QComboBox *>(control))
            expected.setHeight(control->sizeHint().height());
        QVERIFY2(control->geometry() == expected, qPrintable(where));
        QCOMPARE(control->isVisibleTo(&dialog), item.hasStyle(QStringLiteral("WS_VISIBLE")));
        QCOMPARE(control->isEnabled(), !item.hasStyle(QStringLiteral("WS_DISABLED")));
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(button->text(), item.text);
        if (auto *label = qobject_cast<QLabel *>(control))
            QCOMPARE(label->text(), item.text);
    }
}

void TestDialogSkin::applyTwiceRestoresFirst()
{
    QDialog dialog;
    QFont original(QStringLiteral("DejaVu Serif"));
    original.setPixelSize(20);
    dialog.setFont(original);
    QVERIFY(createDialogControls(&dialog, int(DialogId::Completion)));

    DialogFontState state;
    QVERIFY(applyDialogFont(&dialog, int(DialogId::Completion), 96.0, state));
    QVERIFY(applyDialogFont(&dialog, int(DialogId::Completion), 144.0, state));
    // The second application must not take the first one's font as the one to give back.
    QCOMPARE(state.previousFont, original);
    QCOMPARE(dialog.font().pixelSize(), 16);
    QWidget *upload = dialogControl(&dialog, CompletionDialog::UploadNowButton);
    QCOMPARE(upload->font().pixelSize(), 16);

    restoreDialogFont(state);
    QVERIFY(!state.isApplied());
    QCOMPARE(dialog.font(), original);
    QCOMPARE(upload->font(), original);
}

void TestDialogSkin::restoreUnappliedDoesNothing()
{
    QDialog dialog;
    QFont original(QStringLiteral("DejaVu Sans"));
    original.setPixelSize(17);
    dialog.setFont(original);
    DialogFontState state;
    restoreDialogFont(state);
    QCOMPARE(dialog.font(), original);

    // A state whose dialog is gone counts as not applied.
    auto gone = std::make_unique<QDialog>();
    QVERIFY(applyDialogFont(gone.get(), int(DialogId::BuildProgress), 96.0, state));
    gone.reset();
    QVERIFY(!state.isApplied());
    restoreDialogFont(state);
}

void TestDialogSkin::layoutStopsAtMissingControl()
{
    QDialog dialog;
    QVERIFY(createDialogControls(&dialog, int(DialogId::BuildProgress)));
    const QRect untouched(1, 2, 3, 4);
    dialogControl(&dialog, BuildProgressDialog::PercentLabel)->setGeometry(untouched);
    delete dialogControl(&dialog, BuildProgressDialog::VideoSizeLabel);
    DialogFontState state;
    QVERIFY(applyDialogFont(&dialog, int(DialogId::BuildProgress), 96.0, state));
    // 2004 comes after the missing 2002 in the template: the pass ends before it.
    QCOMPARE(dialogControl(&dialog, BuildProgressDialog::PercentLabel)->geometry(), untouched);
    QVERIFY(dialogControl(&dialog, BuildProgressDialog::CancelButton)->geometry() != untouched);
    QCOMPARE(dialogControl(&dialog, BuildProgressDialog::CancelButton)->font(), state.font);
}

void TestDialogSkin::factorySuppliesClass()
{
    QDialog dialog;
    ControlFactories factories;
    factories.insert(2004, [](const DialogControlTemplate &item, QWidget *parent) -> QWidget * {
        auto *button = new QPushButton(item.text, parent);
        button->setObjectName(QStringLiteral("custom"));
        return button;
    });
    QVERIFY(createDialogControls(&dialog, int(DialogId::BuildProgress), factories));
    auto *custom = dialogControlAs<QPushButton>(&dialog, BuildProgressDialog::PercentLabel);
    QVERIFY(custom);
    QCOMPARE(custom->objectName(), QStringLiteral("custom"));
    QCOMPARE(custom->text(), QStringLiteral("0 %"));
    QVERIFY(dialogControlAs<QLabel>(&dialog, BuildProgressDialog::OutputPathLabel));
    QVERIFY(!createDialogControls(&dialog, 4711));
}

void TestDialogSkin::anchorGroupMoves()
{
    QWidget parent;
    QWidget a(&parent);
    QWidget b(&parent);
    a.setGeometry(10, 20, 30, 40);
    b.setGeometry(100, 5, 7, 8);
    AnchorGroup group;
    QVERIFY(group.addControl(&a, 1.0f, 1.0f));
    QVERIFY(group.addControl(&b, 0.5f, -1.0f));

    group.moveBy(150, 0);
    QCOMPARE(a.geometry(), QRect(160, 20, 30, 40));
    QCOMPARE(b.pos(), QPoint(175, 5));
    group.moveBy(0, 0);
    QCOMPARE(a.geometry(), QRect(10, 20, 30, 40));
    QCOMPARE(b.pos(), QPoint(100, 5));
    // Products are truncated toward zero: 0.5 x -3 = -1.5 moves by -1.
    group.moveBy(-3, 9);
    QCOMPARE(a.pos(), QPoint(7, 29));
    QCOMPARE(b.pos(), QPoint(99, -4));
    QCOMPARE(b.size(), QSize(7, 8));
}

void TestDialogSkin::anchorGroupLimit()
{
    QWidget parent;
    AnchorGroup group;
    for (int i = 0; i < AnchorGroup::MaxControls; ++i)
        QVERIFY(group.addControl(new QWidget(&parent), 1.0f, 1.0f));
    QVERIFY(!group.addControl(new QWidget(&parent), 1.0f, 1.0f));
    QVERIFY(!group.addControl(nullptr, 1.0f, 1.0f));
    QCOMPARE(group.count(), AnchorGroup::MaxControls);
}

QTEST_MAIN(TestDialogSkin)
#include "test_dialogskin.moc"
