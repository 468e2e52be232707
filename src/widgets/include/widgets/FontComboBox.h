#pragma once

#include <QComboBox>

// The font list: opens its list below the box, wide enough for its widest entry and no taller
// than its template allows, scrolling through the rest.
class FontComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit FontComboBox(QWidget *parent = nullptr);

    // The height of the open list in pixels (the template's height less the box's); 0: Qt's own.
    void setListHeight(int pixels) { m_listHeight = pixels; }
    int listHeight() const { return m_listHeight; }
    // How many rows of `rowHeight` fit a list of `listHeight` inside `frameWidth` borders; one
    // at least.
    static int visibleRows(int listHeight, int rowHeight, int frameWidth);

    // The list width for items of these text widths: the widest plus a scroll bar, plus the
    // width of "0".
    static int dropDownWidth(const QList<int> &itemWidths, int scrollBarWidth, int zeroWidth);

    void showPopup() override;

private:
    int m_listHeight = 0;
};
