#include "render/RenderValues.h"

#include "base/TargetSizeTable.h"

#include <QRegularExpression>

namespace {

const char *const PlacementNames[] = {
    "top-left", "top", "top-right", "left", "center", "right", "bottom-left", "bottom", "bottom-right",
};

// A whole number in decimal digits, with an optional "-" when `negative`; no "+", no blanks,
// and no value beyond what an int holds.
bool parseWhole(const QString &text, bool negative, int *value)
{
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!whole.match(text).hasMatch() || (!negative && text.startsWith(QLatin1Char('-'))))
        return false;
    *value = text.toInt();
    return true;
}

} // namespace

namespace RenderValues {

bool parseSize(const QString &text, QSize *size, QString *why)
{
    TargetSizeTable &table = TargetSizeTable::instance();
    for (int i = 0; i < TargetSizeTable::RowCount; ++i) {
        const TargetSize &row = table.row(i);
        if (text == QStringLiteral("%1x%2").arg(row.width).arg(row.height)) {
            *size = row.size();
            return true;
        }
    }
    *why = QStringLiteral("\"%1\" is not one of the sizes %2").arg(text, sizeList());
    return false;
}

bool parseFormat(const QString &text, QString *format, QString *why)
{
    const QString lower = text.toLower();
    if (lower == QLatin1String("webm") || lower == QLatin1String("mpg") || lower == QLatin1String("mp4")) {
        *format = lower;
        return true;
    }
    *why = QStringLiteral("\"%1\" is not one of the formats webm, mpg, mp4").arg(text);
    return false;
}

bool parseColor(const QString &text, QRgb *color, QString *why)
{
    static const QRegularExpression hex(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
    const QRegularExpressionMatch match = hex.match(text);
    if (!match.hasMatch()) {
        *why = QStringLiteral("\"%1\" is not a color RRGGBB (six hexadecimal digits)").arg(text);
        return false;
    }
    *color = qRgb(0, 0, 0) | match.captured(1).toUInt(nullptr, 16);
    return true;
}

bool parseShadow(const QString &text, bool *on, QRgb *color, QString *why)
{
    if (text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        *on = false;
        return true;
    }
    if (!parseColor(text, color, why)) {
        *why = QStringLiteral("\"%1\" is neither a color RRGGBB nor \"none\"").arg(text);
        return false;
    }
    *on = true;
    return true;
}

bool parsePlacement(const QString &text, int *placement, QString *why)
{
    const QString lower = text.toLower();
    for (int i = 0; i < int(std::size(PlacementNames)); ++i) {
        if (lower == QLatin1String(PlacementNames[i])) {
            *placement = i;
            return true;
        }
    }
    *why = QStringLiteral("\"%1\" is not one of the placements %2").arg(text, placementNames().join(QStringLiteral(", ")));
    return false;
}

bool parseShadowOffset(const QString &text, QPoint *offset, QString *why)
{
    const QStringList parts = text.split(QLatin1Char(','));
    int x = 0;
    int y = 0;
    if (parts.size() != 2 || !parseWhole(parts[0], true, &x) || !parseWhole(parts[1], true, &y)
        || qAbs(x) > MaxShadowOffset || qAbs(y) > MaxShadowOffset) {
        *why = QStringLiteral("\"%1\" is not a shadow offset X,Y (whole pixels from -%2 to %2)")
                   .arg(text)
                   .arg(MaxShadowOffset);
        return false;
    }
    if (x == 0 && y == 0) {
        *why = QStringLiteral("the shadow offset can not be 0,0");
        return false;
    }
    *offset = QPoint(x, y);
    return true;
}

bool parsePointSize(const QString &text, int *pointSize, QString *why)
{
    int value = 0;
    if (!parseWhole(text, false, &value) || value < MinPointSize || value > MaxPointSize) {
        *why = QStringLiteral("\"%1\" is not a point size from %2 to %3").arg(text).arg(MinPointSize).arg(MaxPointSize);
        return false;
    }
    *pointSize = value;
    return true;
}

bool parseCount(const QString &text, int maximum, int *count, QString *why)
{
    int value = 0;
    if (!parseWhole(text, false, &value) || value < 1 || value > maximum) {
        *why = QStringLiteral("\"%1\" is not a whole number from 1 to %2").arg(text).arg(maximum);
        return false;
    }
    *count = value;
    return true;
}

QStringList placementNames()
{
    QStringList names;
    for (const char *name : PlacementNames)
        names << QLatin1String(name);
    return names;
}

QString sizeList()
{
    QStringList sizes;
    TargetSizeTable &table = TargetSizeTable::instance();
    for (int i = 0; i < TargetSizeTable::RowCount; ++i)
        sizes << QStringLiteral("%1x%2").arg(table.row(i).width).arg(table.row(i).height);
    return sizes.join(QStringLiteral(", "));
}

QString colorName(QRgb color)
{
    return QStringLiteral("#%1").arg(color & 0xffffff, 6, 16, QLatin1Char('0')).toUpper();
}

QString safeId(const QString &text)
{
    QString id;
    bool gap = false;
    for (const QChar c : text) {
        if ((c.unicode() < 128 && c.isLetterOrNumber()) || c == QLatin1Char('.') || c == QLatin1Char('-')
            || c == QLatin1Char('_')) {
            id += c;
            gap = false;
        } else if (!gap) {
            id += QLatin1Char('_');
            gap = true;
        }
    }
    while (id.startsWith(QLatin1Char('.')))
        id.remove(0, 1);
    return id.isEmpty() ? QStringLiteral("video") : id.left(200);
}

bool checkId(const QString &text, QString *why)
{
    bool control = false;
    for (const QChar c : text)
        control = control || c.unicode() < 32 || c.unicode() == 127;
    if (text.isEmpty() || text.startsWith(QLatin1Char('.')) || text.contains(QLatin1Char('/')) || control
        || text.size() > 200) {
        *why = QStringLiteral("\"%1\" can not name a file: no \"/\", no leading \".\", no control characters, "
                              "at most 200 characters")
                   .arg(text);
        return false;
    }
    return true;
}

} // namespace RenderValues
