#include "pipeline/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

DialogUnitScale DialogUnitScale::measure(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int extent = metrics.horizontalAdvance(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return {((extent / 26) + 1) / 2, metrics.height()};
}

int DialogUnitScale::x(int units) const
{
    return int(units * baseX * 0.25 + 0.5);
}

int DialogUnitScale::y(int units) const
{
    return int(units * baseY * 0.125 + 0.5);
}

QRect DialogUnitScale::rect(const QRect &units) const
{
    return QRect(x(units.x()), y(units.y()), x(units.width()), y(units.height()));
}

QSize DialogUnitScale::size(const QSize &units) const
{
    return QSize(x(units.width()), y(units.height()));
}

QFont DialogTemplateFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

DialogUnitScale LayOutDialog(QWidget *dialog, const QSize &templateUnits,
                             std::initializer_list<DialogItem> items)
{
    const QFont font = DialogTemplateFont();
    dialog->setFont(font);
    const DialogUnitScale scale = DialogUnitScale::measure(font);
    dialog->setFixedSize(scale.size(templateUnits));
    for (const DialogItem &item : items) {
        item.widget->setFont(font);
        item.widget->setGeometry(scale.rect(item.units));
    }
    return scale;
}
