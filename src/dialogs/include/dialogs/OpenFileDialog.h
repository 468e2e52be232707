#pragma once

#include "media/OpenableExtensions.h"

#include <QFileDialog>

class FilePreviewReceiver;
class QCheckBox;

// The open-file dialog of the step markers: previews each selected file in the main window and
// carries the auto-play check box, whose state holds only while the dialog is open.
class OpenFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    enum Control { AutoPlayCheckBox = 1700 };

    OpenFileDialog(QWidget *owner, FilePreviewReceiver *receiver, FileKind kind,
                   const QString &initialFolder);

    static QString titleFor(FileKind kind);
    QCheckBox *autoPlayBox() const { return m_autoPlay; }

private:
    void selectionChanged(const QString &path);
    void autoPlayClicked(bool checked);
    void nameTyped(const QString &text);

    FilePreviewReceiver *m_receiver;
    QCheckBox *m_autoPlay = nullptr;
};
