#include "widgets/FontComboBox.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QProxyStyle>
#include <QStyle>

namespace {

// Styles that open a list over the box (Fusion among them) size it to all entries up to the
// screen's height and ignore maxVisibleItems: this list always drops down with a scroll bar.
class DropDownListStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

FontComboBox::FontComboBox(QWidget *parent)
    : QComboBox(parent)
{
    auto *style = new DropDownListStyle;
    style->setParent(this);
    setStyle(style);
}

int FontComboBox::visibleRows(int listHeight, int rowHeight, int frameWidth)
{
    if (rowHeight <= 0)
        return 1;
    return std::max(1, (listHeight - 2 * frameWidth) / rowHeight);
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
    if (m_listHeight > 0 && count() > 0)
        setMaxVisibleItems(visibleRows(m_listHeight, view()->sizeHintForRow(0),
                                       style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this)));
    QComboBox::showPopup();
}
