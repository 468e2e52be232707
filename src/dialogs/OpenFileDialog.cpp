#include "dialogs/OpenFileDialog.h"

#include "base/AppSettings.h"
#include "dialogs/FileDialogLabels.h"
#include "dialogs/FileDialogLayout.h"
#include "dialogs/FilePreviewReceiver.h"
#include "dialogs/WindowPlacement.h"
#include "media/FileClassification.h"
#include "widgets/WindowMover.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

OpenFileDialog::OpenFileDialog(QWidget *owner, FilePreviewReceiver *receiver, FileKind kind,
                               const QString &initialFolder)
    : QFileDialog(owner, titleFor(kind), initialFolder)
    , m_receiver(receiver)
{
    // Qt's own dialog: it can hold the check box and reports every selection change.
    setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(buildOpenFilter(kind));
    labelFileDialogLists(this);

    m_autoPlay = new QCheckBox(QStringLiteral("Automatically play the selected Audio File"), this);
    m_autoPlay->setProperty("controlId", int(AutoPlayCheckBox));
    m_autoPlayOn = AppSettings::instance().autoPlayOnOpen();
    m_autoPlay->setChecked(m_autoPlayOn);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_autoPlay, grid->rowCount(), 0, 1, grid->columnCount());

    // Clicks, arrow keys and type-ahead in the file list move the current file.
    connect(this, &QFileDialog::currentChanged, this, &OpenFileDialog::selectionChanged);
    // A name typed or completed in the name box selects its file without making it current, and
    // a name that no longer matches clears the selection: the preview follows both. The list and
    // the detail view share this selection model.
    if (auto *list = findChild<QAbstractItemView *>(QStringLiteral("listView")); list && list->selectionModel())
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, list] {
            const QModelIndexList rows = list->selectionModel()->selectedRows();
            if (rows.size() <= 1)
                selectionChanged(rows.isEmpty() ? QString() : rows.first().data(QFileSystemModel::FilePathRole).toString());
        });
    // Connected after the dialog's own handler, so this one has the last word.
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        connect(edit, &QLineEdit::textChanged, this, &OpenFileDialog::nameTyped);
    connect(m_autoPlay, &QCheckBox::clicked, this, &OpenFileDialog::autoPlayClicked);
    new FileDialogLayout(this, Settings::OpenFileDialogSize);
}

QString OpenFileDialog::titleFor(FileKind kind)
{
    switch (kind) {
    case FileKind::Picture:
        return QStringLiteral("Select Picture File...");
    case FileKind::Audio:
        return QStringLiteral("Select Audio File...");
    default:
        return QStringLiteral("Select File...");
    }
}

void OpenFileDialog::selectionChanged(const QString &path)
{
    if (path == m_previewed)
        return;
    m_previewed = path;
    if (m_receiver->previewKind() != PreviewKind::Nothing)
        m_receiver->endPreview();
    if (const FileClassification file = classifyFileQuickly(path); file.isOpenable())
        m_receiver->previewFile(file);
}

void OpenFileDialog::autoPlayClicked(bool checked)
{
    if (!checked && m_receiver->previewKind() == PreviewKind::Audio)
        m_receiver->endPreview();
    m_autoPlayOn = checked;
}

void OpenFileDialog::nameTyped(const QString &text)
{
    // Qt reads a typed text with a double quote as a list of quoted names, so a file whose name
    // holds one could never be opened by typing it. A text that names an existing file as it
    // stands selects that file instead.
    if (!text.contains(QLatin1Char('"')))
        return;
    const QString path = QDir(directory().absolutePath()).absoluteFilePath(text);
    if (!QFileInfo(path).isFile())
        return;
    auto *model = findChild<QFileSystemModel *>();
    auto *list = findChild<QAbstractItemView *>(QStringLiteral("listView"));
    if (!model || !list || !list->selectionModel() || list->model() != model)
        return;
    const QModelIndex index = model->index(path);
    if (!index.isValid() || list->selectionModel()->isRowSelected(index.row(), index.parent()))
        return;
    list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void OpenFileDialog::showEvent(QShowEvent *event)
{
    QFileDialog::showEvent(event);
    if (event->spontaneous() || !windowHandle())
        return;
    placeBesideOwner();
    windowHandle()->installEventFilter(this);
}

bool OpenFileDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        if (!m_placedWithFrame)
            placeBesideOwner();
    }
    return QFileDialog::eventFilter(watched, event);
}

void OpenFileDialog::placeBesideOwner()
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    QWindow *handle = windowHandle();
    if (!owner || !handle)
        return;
    const QScreen *screen = owner->screen();
    const QMargins frame = handle->frameMargins();
    m_placedWithFrame = !frame.isNull();
    const QPoint corner = WindowPlacement::besideOwner(geometry().marginsAdded(frame).size(),
                                                       WindowMover::serverFrameGeometry(owner),
                                                       screen ? screen->availableGeometry() : QRect());
    handle->setFramePosition(corner);
}
