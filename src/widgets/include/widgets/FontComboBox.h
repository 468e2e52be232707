#pragma once

#include <QComboBox>

// The font list: opens its list wide enough for its widest entry.
class FontComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit FontComboBox(QWidget *parent = nullptr);

    // The list width for items of these text widths: the widest plus a scroll bar, plus the
    // width of "0".
    static int dropDownWidth(const QList<int> &itemWidths, int scrollBarWidth, int zeroWidth);

    void showPopup() override;
};
