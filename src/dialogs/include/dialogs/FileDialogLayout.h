#pragma once

#include "base/Settings.h"

#include <QObject>
#include <QSize>

class QFileDialog;
class QTreeView;

// The size and the columns of Qt's own file dialog. The dialog opens at the size it last had
// (kept under a settings key, within the screen's work area) or else wide enough for its detail
// view; the Size, Type and Date columns get the width their contents need at the dialog's font
// each time a folder has been read, the Name column keeping what is left of a readable width.
class FileDialogLayout : public QObject
{
    Q_OBJECT

public:
    // Becomes the dialog's child; the dialog's size is written to `sizeKey` when it ends.
    FileDialogLayout(QFileDialog *dialog, const Settings::Key<QSize> &sizeKey);

    // Fits the Size, Type and Date columns of the detail view to the rows of the folder shown.
    void fitColumns();

private:
    QTreeView *detailView() const;
    void remember();

    QFileDialog *m_dialog;
    const Settings::Key<QSize> &m_sizeKey;
    QSize m_opened;
};
