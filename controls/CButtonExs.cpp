#include "controls/CButtonExs.h"

CButtonExs::CButtonExs(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
}
