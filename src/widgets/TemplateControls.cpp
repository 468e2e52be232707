#include "widgets/TemplateControls.h"

#include "widgets/DialogFont.h"
#include "widgets/SkinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

Qt::Alignment staticAlignment(const DialogControlTemplate &item)
{
    if (item.hasStyle(QStringLiteral("SS_CENTER")))
        return Qt::AlignHCenter | Qt::AlignTop;
    if (item.hasStyle(QStringLiteral("SS_RIGHT")))
        return Qt::AlignRight | Qt::AlignTop;
    return Qt::AlignLeft | Qt::AlignTop;
}

QWidget *createDefaultControl(const DialogControlTemplate &item, QWidget *parent)
{
    const QString &kind = item.kind;
    if (kind == QLatin1String("PushButton") || kind == QLatin1String("DefPushButton")) {
        if (item.hasStyle(QStringLiteral("BS_OWNERDRAW")))
            return new SkinButton(item.text, parent);
        auto *button = new QPushButton(item.text, parent);
        button->setDefault(kind == QLatin1String("DefPushButton"));
        return button;
    }
    if (kind == QLatin1String("AutoCheckBox"))
        return new QCheckBox(item.text, parent);
    if (kind == QLatin1String("Edit")) {
        if (item.hasStyle(QStringLiteral("ES_MULTILINE"))) {
            auto *edit = new QPlainTextEdit(item.text, parent);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setTabChangesFocus(true);
            return edit;
        }
        auto *edit = new QLineEdit(item.text, parent);
        edit->setFrame(item.hasStyle(QStringLiteral("WS_BORDER")));
        return edit;
    }
    if (kind == QLatin1String("GroupBox"))
        return new QGroupBox(item.text, parent);
    if (kind == QLatin1String("ComboBox"))
        return new QComboBox(parent);
    if (kind == QLatin1String("Progress")) {
        auto *bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    auto *label = new QLabel(item.text, parent);
    label->setAlignment(staticAlignment(item));
    // Static texts wrap at word boundaries, except those that shorten a path instead.
    label->setWordWrap(!item.hasStyle(QStringLiteral("SS_PATHELLIPSIS")));
    return label;
}

} // namespace

bool createDialogControls(QWidget *dialog, int templateId, const ControlFactories &factories)
{
    const DialogTemplate *dialogTemplate = DialogTemplate::get(templateId);
    if (!dialog || !dialogTemplate)
        return false;
    if (dialog->isWindow())
        dialog->setWindowTitle(dialogTemplate->caption);

    const DialogBaseUnits base = measureDialogBaseUnits(dialog->font());
    dialog->resize(dialogUnitsToPixels(dialogTemplate->size, base));
    QLabel *previousLabel = nullptr;
    for (const DialogControlTemplate &item : dialogTemplate->controls) {
        QWidget *control = nullptr;
        if (const auto factory = factories.constFind(item.id);
            item.id != -1 && factory != factories.constEnd() && *factory)
            control = (*factory)(item, dialog);
        if (!control)
            control = createDefaultControl(item, dialog);
        if (control->parentWidget() != dialog)
            control->setParent(dialog);
        control->setProperty("controlId", item.id);
        control->setGeometry(dialogUnitsToPixels(item.rect, base));
        if (!item.hasStyle(QStringLiteral("WS_VISIBLE")))
            control->setVisible(false);
        if (item.hasStyle(QStringLiteral("WS_DISABLED")))
            control->setEnabled(false);
        // The text just before an edit or a list names it for assistive technology (a combo
        // box's own name is its value here).
        if (previousLabel && (item.kind == QLatin1String("Edit") || item.kind == QLatin1String("ComboBox")))
            previousLabel->setBuddy(control);
        previousLabel = item.kind == QLatin1String("Static") ? qobject_cast<QLabel *>(control) : nullptr;
    }
    return true;
}
