#pragma once

#include "widgets/SelectAllLineEdit.h"

// A whole-number field with a range: refuses any text that is not a number in range (the
// last good text comes back, selected, with a beep), and steps the value with Up and Down.
class RangedNumberEdit : public SelectAllLineEdit
{
    Q_OBJECT

public:
    RangedNumberEdit(int minimum, int maximum, QWidget *parent = nullptr);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);
    // The text read as a number (see parseValue).
    int value() const { return parseValue(text()); }

    // Optional leading white space, an optional sign, then digits up to the first non-digit;
    // no digits give 0. Values beyond the int range saturate instead of wrapping, so a huge
    // number can never pass a range check.
    static int parseValue(const QString &text);
    // Only digits, with an optional leading '-', and a value within the range; the empty text
    // and "-" count as 0.
    static bool isAcceptable(const QString &text, int minimum, int maximum);

signals:
    // A text was refused and the last good text put back (the beep).
    void textRefused();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void checkText();

    bool m_checkingOn = true;
    QString m_lastGoodText;
    int m_minimum;
    int m_maximum;
};
