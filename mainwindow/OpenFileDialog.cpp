#include "mainwindow/OpenFileDialog.h"

#include "app/AppSettings.h"
#include "mainwindow/FileDialogLabels.h"
#include "mainwindow/FileMessages.h"
#include "mainwindow/FileSelection.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>

OpenFileDialog::OpenFileDialog(QWidget *owner, FileMessageReceiver *receiver, FileKind kind,
                               const QString &initialFolder)
    : QFileDialog(owner, TitleFor(kind), initialFolder)
    , m_receiver(receiver)
{
    // Qt's own dialog: it can hold the check box and reports every selection change.
    setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(BuildOpenFilter(kind));
    LabelFileDialogLists(this);

    m_autoPlay = new QCheckBox(QStringLiteral("Automatically play the selected Audio File"), this);
    m_autoPlay->setProperty("controlId", 1700);
    m_autoPlay->setChecked(AppSettings::instance().autoPlayOnOpen);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_autoPlay, grid->rowCount(), 0, 1, grid->columnCount());

    connect(this, &QFileDialog::currentChanged, this, &OpenFileDialog::selectionChanged);
    connect(m_autoPlay, &QCheckBox::clicked, this, &OpenFileDialog::autoPlayClicked);
}

QString OpenFileDialog::TitleFor(FileKind kind)
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
    if (m_receiver->PreviewKind() != 0)
        m_receiver->EndPreview();
    if (QFileInfo(path).isFile() && IsOpenableFile(path))
        m_receiver->PreviewFile(path);
}

void OpenFileDialog::autoPlayClicked(bool checked)
{
    if (!checked && m_receiver->PreviewKind() == 2)
        m_receiver->EndPreview();
    AppSettings::instance().autoPlayOnOpen = checked;
}
