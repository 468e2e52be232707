#include "widgets/FontComboBox.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStyle>

FontComboBox::FontComboBox(QWidget *parent)
    : QComboBox(parent)
{
}

int FontComboBox::dropDownWidth(const QList<int> &itemWidths, int scrollBarWidth,
                                   int zeroWidth)
{
    int widest = 0;
    for (int width : itemWidths)
        widest = std::max(widest, width + scrollBarWidth);
    return widest + zeroWidth;
}

void FontComboBox::showPopup()
{
    const QFontMetrics metrics(view()->font());
    QList<int> widths;
    widths.reserve(count());
    for (int i = 0; i < count(); ++i)
        widths.append(metrics.horizontalAdvance(itemText(i)));
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // Qt keeps the list at least as wide as the box itself.
    view()->setMinimumWidth(dropDownWidth(widths, scrollBar, metrics.horizontalAdvance(
                                                                  QStringLiteral("0"))));
    QComboBox::showPopup();
}
