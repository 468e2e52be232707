#pragma once

#include "media/OpenableExtensions.h"

#include <QPointer>
#include <QString>

class FilePreviewReceiver;
class QDialog;
class QWidget;

// The open-file dialog of the picture and audio steps. It opens in the folder the settings name
// for the kind, and once a file of that kind was taken, in that file's folder.
class FileBrowser
{
public:
    // The receiver previews each file selected while the dialog runs.
    FileBrowser(QWidget *window, FilePreviewReceiver *receiver);

    // Runs the dialog; the file chosen, or an empty text when it was canceled.
    QString choose(FileKind kind);
    // The dialog while it runs, else null.
    QDialog *dialog() const { return m_dialog; }

private:
    struct Folder
    {
        bool browsed = false;
        QString path;
    };

    QWidget *m_window;
    FilePreviewReceiver *m_receiver;
    Folder m_pictureFolder;
    Folder m_audioFolder;
    QPointer<QDialog> m_dialog;
};
