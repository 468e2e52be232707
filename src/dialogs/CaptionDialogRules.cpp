#include "dialogs/CaptionDialogRules.h"

#include "model/CaptionFontChoice.h"

namespace CaptionDialogRules {

QPoint firstPosition(const QRect &dialog, const QRect &owner, const QRect &screen)
{
    constexpr int Overlap = 100;
    const int dialogWidth = dialog.width();
    const int ownerCentre = owner.left() + owner.width() / 2;
    int x = ownerCentre < screen.left() + screen.width() / 2
        ? owner.left() + owner.width() - Overlap
        : owner.left() - dialogWidth + Overlap;
    if (x < screen.left())
        x = screen.left();
    else if (x + dialogWidth > screen.left() + screen.width())
        x = screen.left() + screen.width() - dialogWidth;
    const int y = owner.top() + owner.height() / 2 - dialog.height() / 2;
    return QPoint(x, y);
}

int findFontIndex(const QStringList &fonts, const QString &name)
{
    return CaptionFontChoice::findFontIndex(fonts, name);
}

int fallbackFontIndex(const QStringList &fonts)
{
    return CaptionFontChoice::fallbackFontIndex(fonts);
}

int fontIndexFor(const QStringList &fonts, const QString &name)
{
    return CaptionFontChoice::fontIndexFor(fonts, name);
}

} // namespace CaptionDialogRules
