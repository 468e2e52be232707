#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;
class DialogTemplate;

// One dialog's font adaptation: which template it came from, the font made from the template,
// and the font the dialog had before. Applied while `dialog` is set.
struct DialogFontState
{
    int templateId = 0;
    QPointer<QWidget> dialog;
    QFont font;
    QFont previousFont;

    bool isApplied() const { return !dialog.isNull(); }
};

// The horizontal and vertical dialog base units of a font.
struct DialogBaseUnits
{
    int x = 0;
    int y = 0;
};

// baseY is the font's text height; baseX the average width of the 52 Latin letters, rounded.
DialogBaseUnits measureDialogBaseUnits(const QFont &font);

// A rectangle in dialog units converted to pixels: 0.25 x baseX across, 0.125 x baseY down,
// each value rounded half up.
QRect dialogUnitsToPixels(const QRect &dialogUnits, DialogBaseUnits base);
QSize dialogUnitsToPixels(const QSize &dialogUnits, DialogBaseUnits base);

// Pixel height of a font of `points` at `dotsPerInch`, rounded half up (8 points at 96 give 11).
int fontPixelHeight(int points, double dotsPerInch);

// The template's font at the given resolution. "MS Shell Dlg" stands for the desktop's
// default sans font; weight 0 is the normal weight.
QFont dialogTemplateFont(const DialogTemplate &dialogTemplate, double dotsPerInch);

// Gives `dialog` the font of its template at a fixed resolution and lays the dialog and every
// template control out from their dialog-unit rectangles measured with that font. Restores
// an applied state first. False when the template does not exist.
bool applyDialogFont(QWidget *dialog, int templateId, double dotsPerInch, DialogFontState &state);

// Gives the dialog and its template controls their font from before applyDialogFont back.
// Does nothing when the state is not applied.
void restoreDialogFont(DialogFontState &state);
