#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include <initializer_list>

class QWidget;

// Lays the build and completion dialogs out from their dialog-unit rectangles: the template font
// is 8 points at 96 dots per inch (11 pixels, the system's sans font), and one dialog unit is a
// quarter of the font's average character width across and an eighth of its height down.
struct DialogUnitScale
{
    int baseX = 0;
    int baseY = 0;

    static DialogUnitScale measure(const QFont &font);
    int x(int units) const;
    int y(int units) const;
    QRect rect(const QRect &units) const;
    QSize size(const QSize &units) const;
};

// The 8-point template font.
QFont DialogTemplateFont();

// One control of a template and its rectangle in dialog units.
struct DialogItem
{
    QWidget *widget;
    QRect units;
};

// Gives the dialog the template font, sizes its client area and places each control in order.
// Returns the scale used.
DialogUnitScale LayOutDialog(QWidget *dialog, const QSize &templateUnits,
                             std::initializer_list<DialogItem> items);
