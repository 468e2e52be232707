#include "controls/CCustomComboBox.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStyle>

CCustomComboBox::CCustomComboBox(QWidget *parent)
    : QComboBox(parent)
{
}

int CCustomComboBox::DropDownWidth(const QList<int> &itemWidths, int scrollBarWidth,
                                   int zeroWidth)
{
    int widest = 0;
    for (int width : itemWidths)
        widest = std::max(widest, width + scrollBarWidth);
    return widest + zeroWidth;
}

void CCustomComboBox::showPopup()
{
    const QFontMetrics metrics(view()->font());
    QList<int> widths;
    widths.reserve(count());
    for (int i = 0; i < count(); ++i)
        widths.append(metrics.horizontalAdvance(itemText(i)));
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // Qt keeps the list at least as wide as the box itself.
    view()->setMinimumWidth(DropDownWidth(widths, scrollBar, metrics.horizontalAdvance(
                                                                  QStringLiteral("0"))));
    QComboBox::showPopup();
}
