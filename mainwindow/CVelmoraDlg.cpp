#include "mainwindow/CVelmoraDlg.h"

#include <QLabel>
#include <QVBoxLayout>

CVelmoraDlg::CVelmoraDlg(QWidget *parent)
    : QDialog(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Velmora"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Velmora"), this));
    resize(549, 561);
}
