#include "widgets/DialogFont.h"

#include "widgets/DialogTemplate.h"
#include "widgets/FontComboBox.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

#include <cmath>

namespace {

int roundHalfUp(double value)
{
    return static_cast<int>(value + 0.5);
}

// Walks the template's items against the dialog's children in creation order, each search
// starting after the previous match, the way a template is matched to its dialog. Stops at
// the first item without a control.
template<class Visit>
void forEachTemplateControl(QWidget *dialog, const DialogTemplate &dialogTemplate, Visit visit)
{
    const QObjectList children = dialog->children();
    int next = 0;
    for (const DialogControlTemplate &item : dialogTemplate.controls) {
        QWidget *found = nullptr;
        while (next < children.size()) {
            auto *child = qobject_cast<QWidget *>(children.at(next++));
            if (child && !child->isWindow() && controlIdOf(child) == item.id) {
                found = child;
                break;
            }
        }
        if (!found)
            return;
        visit(item, found);
    }
}

} // namespace

DialogBaseUnits measureDialogBaseUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int extent = metrics.horizontalAdvance(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return {(extent / 26 + 1) / 2, metrics.height()};
}

QRect dialogUnitsToPixels(const QRect &dialogUnits, DialogBaseUnits base)
{
    return QRect(roundHalfUp(dialogUnits.x() * base.x * 0.25),
                 roundHalfUp(dialogUnits.y() * base.y * 0.125),
                 roundHalfUp(dialogUnits.width() * base.x * 0.25),
                 roundHalfUp(dialogUnits.height() * base.y * 0.125));
}

QSize dialogUnitsToPixels(const QSize &dialogUnits, DialogBaseUnits base)
{
    return QSize(roundHalfUp(dialogUnits.width() * base.x * 0.25),
                 roundHalfUp(dialogUnits.height() * base.y * 0.125));
}

int fontPixelHeight(int points, double dotsPerInch)
{
    return roundHalfUp(points * dotsPerInch / 72.0);
}

QFont dialogTemplateFont(const DialogTemplate &dialogTemplate, double dotsPerInch)
{
    QFont font;
    const QString face = dialogTemplate.fontName;
    if (face.isEmpty() || face.startsWith(QLatin1String("MS Shell Dlg"), Qt::CaseInsensitive)) {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStyleHint(QFont::SansSerif);
    } else {
        font.setFamily(face);
    }
    font.setPixelSize(std::max(1, fontPixelHeight(dialogTemplate.fontPoints, dotsPerInch)));
    const int weight = dialogTemplate.fontWeight;
    font.setWeight(weight <= 0 ? QFont::Normal
                               : static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    font.setItalic(dialogTemplate.fontItalic);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

bool applyDialogFont(QWidget *dialog, int templateId, double dotsPerInch, DialogFontState &state)
{
    if (state.isApplied())
        restoreDialogFont(state);
    const DialogTemplate *dialogTemplate = DialogTemplate::get(templateId);
    if (!dialog || !dialogTemplate)
        return false;

    state.templateId = templateId;
    state.dialog = dialog;
    state.font = dialogTemplateFont(*dialogTemplate, dotsPerInch);
    state.previousFont = dialog->font();
    dialog->setFont(state.font);

    const DialogBaseUnits base = measureDialogBaseUnits(state.font);
    // Only the client size changes; the dialog keeps its top-left corner.
    dialog->resize(dialogUnitsToPixels(dialogTemplate->size, base));

    forEachTemplateControl(dialog, *dialogTemplate,
                           [&](const DialogControlTemplate &item, QWidget *control) {
        control->setFont(state.font);
        QRect rect = dialogUnitsToPixels(item.rect, base);
        // A drop-down list's template height is that of its open list, not of the box.
        if (qobject_cast<QComboBox *>(control)) {
            const int templateHeight = rect.height();
            rect.setHeight(control->sizeHint().height());
            if (auto *fonts = qobject_cast<FontComboBox *>(control))
                fonts->setListHeight(templateHeight - rect.height());
        }
        control->setGeometry(rect);
    });
    return true;
}

void restoreDialogFont(DialogFontState &state)
{
    if (!state.isApplied())
        return;
    QWidget *dialog = state.dialog;
    dialog->setFont(state.previousFont);
    if (const DialogTemplate *dialogTemplate = DialogTemplate::get(state.templateId)) {
        forEachTemplateControl(dialog, *dialogTemplate,
                               [&](const DialogControlTemplate &, QWidget *control) {
            control->setFont(state.previousFont);
        });
    }
    state.dialog = nullptr;
    state.font = QFont();
    state.previousFont = QFont();
}
