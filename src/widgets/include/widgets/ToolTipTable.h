#pragma once

#include <QList>
#include <QString>

// One tooltip of the program: which dialog template, which control, what it says ("\n" breaks
// the line).
struct ToolTipRow
{
    int dialogId;
    int controlId;
    QString text;
};

// The program's tooltip texts, in table order.
const QList<ToolTipRow> &toolTipTable();
