#pragma once

#include <QDialog>

// The main window. (Its steps, frame and menus arrive with the main-window work.)
class CVelmoraDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CVelmoraDlg(QWidget *parent = nullptr);
};
