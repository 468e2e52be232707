#include "tools/ToolArguments.h"

namespace {

QStringList splitCommandLine(const QString &text)
{
    QStringList args;
    QString current;
    bool inQuotes = false;
    bool haveArg = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
            current += QLatin1Char('"');
            haveArg = true;
            ++i;
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            haveArg = true;
        } else if (!inQuotes && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (haveArg)
                args.append(current);
            current.clear();
            haveArg = false;
        } else {
            current += c;
            haveArg = true;
        }
    }
    if (haveArg)
        args.append(current);
    return args;
}

QString fill(const QString &arg, const QStringList &values)
{
    QString out;
    out.reserve(arg.size());
    for (int i = 0; i < arg.size(); ++i) {
        const QChar c = arg.at(i);
        if (c == QLatin1Char('%') && i + 1 < arg.size() && arg.at(i + 1).isDigit()
            && arg.at(i + 1) != QLatin1Char('0')) {
            const int index = arg.at(i + 1).digitValue() - 1;
            Q_ASSERT(index < values.size());
            if (index < values.size())
                out += values.at(index);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QStringList toolArguments(const QString &commandLineTemplate, const QStringList &values)
{
    QStringList args = splitCommandLine(commandLineTemplate);
    for (QString &arg : args)
        arg = fill(arg, values);
    return args;
}

QString hexColor(quint32 rgb)
{
    return QStringLiteral("#%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
}

QString signedNumber(int value)
{
    return value < 0 ? QString::number(value) : QLatin1Char('+') + QString::number(value);
}
