#pragma once

#include <QPushButton>

// The main window's plain push button (its hidden focus sink, 1100). Adds no behaviour; it
// exists so the window's controls keep their classes by id.
class CButtonExs : public QPushButton
{
    Q_OBJECT

public:
    explicit CButtonExs(const QString &text = QString(), QWidget *parent = nullptr);
};
