#include "controls/CEditExs.h"

CEditExs::CEditExs(const QString &text, QWidget *parent)
    : QLineEdit(text, parent)
{
}
