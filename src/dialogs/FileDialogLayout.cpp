#include "dialogs/FileDialogLayout.h"

#include "base/AppSettings.h"
#include "dialogs/WindowPlacement.h"
#include "widgets/WindowMover.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

namespace {

// The detail view's columns after the name: size, type and date modified.
constexpr int FirstDetailColumn = 1;
constexpr int DetailColumnCount = 3;

} // namespace

FileDialogLayout::FileDialogLayout(QFileDialog *dialog, const Settings::Key<QSize> &sizeKey)
    : QObject(dialog)
    , m_dialog(dialog)
    , m_sizeKey(sizeKey)
{
    const QWidget *owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const QScreen *screen = owner ? owner->screen() : dialog->screen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect();
    const QMargins frame = WindowPlacement::guessedFrame();
    QSize size = AppSettings::instance().read(sizeKey);
    if (size.isEmpty()) {
        // Room for a readable name beside the other columns and the side bar, yet no wider than
        // the side of the owner it opens on, where that keeps the dialog's own width.
        const QFontMetrics metrics(dialog->font());
        size = dialog->sizeHint().expandedTo(QSize(metrics.averageCharWidth() * 130, metrics.height() * 30));
        if (owner && !workArea.isEmpty()) {
            const QRect ownerFrame = WindowMover::serverFrameGeometry(owner);
            const int beside = std::max(ownerFrame.left() - workArea.left(), workArea.right() - ownerFrame.right())
                - frame.left() - frame.right();
            size.setWidth(std::max(dialog->sizeHint().width(), std::min(size.width(), beside)));
        }
    }
    if (!workArea.isEmpty())
        size = size.boundedTo(WindowPlacement::clientRoom(workArea, frame));
    dialog->resize(size.expandedTo(dialog->minimumSizeHint()));
    m_opened = dialog->size();

    if (auto *model = dialog->findChild<QFileSystemModel *>())
        connect(model, &QFileSystemModel::directoryLoaded, this, &FileDialogLayout::fitColumns);
    connect(dialog, &QDialog::finished, this, &FileDialogLayout::remember);
}

QTreeView *FileDialogLayout::detailView() const
{
    return m_dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
}

void FileDialogLayout::fitColumns()
{
    QTreeView *view = detailView();
    if (!view)
        return;
    // Each the wider of its heading and its widest row.
    for (int column = FirstDetailColumn; column < FirstDetailColumn + DetailColumnCount; ++column)
        view->resizeColumnToContents(column);
}

void FileDialogLayout::remember()
{
    // A size that could not be saved is not worth a message: the dialog opens as before.
    if (m_dialog->size() != m_opened)
        AppSettings::instance().set(m_sizeKey, m_dialog->size());
}
