#pragma once

#include <QLineEdit>

// The main window's output-path edit box (1115). Adds no behaviour of its own.
class CEditExs : public QLineEdit
{
    Q_OBJECT

public:
    explicit CEditExs(const QString &text = QString(), QWidget *parent = nullptr);
};
