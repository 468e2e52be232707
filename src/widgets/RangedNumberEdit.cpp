#include "widgets/RangedNumberEdit.h"

#include <QApplication>
#include <QKeyEvent>

#include <climits>

RangedNumberEdit::RangedNumberEdit(int minimum, int maximum, QWidget *parent)
    : SelectAllLineEdit(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
{
    connect(this, &QLineEdit::textChanged, this, &RangedNumberEdit::checkText);
}

void RangedNumberEdit::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

int RangedNumberEdit::parseValue(const QString &text)
{
    int i = 0;
    const int length = text.size();
    while (i < length && (text.at(i) == QLatin1Char(' ') || (text.at(i) >= QLatin1Char('\t')
                                                           && text.at(i) <= QLatin1Char('\r'))))
        ++i;
    bool negative = false;
    if (i < length && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long long magnitude = 0;
    for (; i < length && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        magnitude = magnitude * 10 + (text.at(i).unicode() - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            magnitude = static_cast<long long>(INT_MAX) + 1;
    }
    const long long value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool RangedNumberEdit::isAcceptable(const QString &text, int minimum, int maximum)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && !(i == 0 && c == QLatin1Char('-')))
            return false;
    }
    const int value = parseValue(text);
    return value >= minimum && value <= maximum;
}

void RangedNumberEdit::checkText()
{
    if (!m_checkingOn)
        return;
    const QString current = text();
    if (isAcceptable(current, m_minimum, m_maximum)) {
        m_lastGoodText = current;
        return;
    }
    m_checkingOn = false;
    setText(m_lastGoodText);
    selectAll();
    m_checkingOn = true;
    QApplication::beep();
    emit textRefused();
}

void RangedNumberEdit::focusInEvent(QFocusEvent *event)
{
    SelectAllLineEdit::focusInEvent(event);
    m_lastGoodText = text();
}

void RangedNumberEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        SelectAllLineEdit::keyPressEvent(event);
        return;
    }
    const int current = value();
    if (key == Qt::Key_Up ? current >= m_maximum : current <= m_minimum)
        return;
    setText(QString::number(key == Qt::Key_Up ? current + 1 : current - 1));
    selectAll();
}
