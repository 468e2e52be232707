#pragma once

#include "media/OpenableExtensions.h"

#include <QPointer>
#include <QString>

class FilePreviewReceiver;
class OpenFileDialog;
class QDialog;
class QWidget;

// The open-file dialog of the picture and audio steps. It opens in the folder the settings name
// for the kind, and once a file of that kind was taken, in that file's folder.
class FileBrowser
{
public:
    // The receiver previews each file selected while the dialog runs, then takes the file chosen.
    FileBrowser(QWidget *window, FilePreviewReceiver *receiver);

    // Runs the dialog, then has the receiver take the file chosen, or end the dialog's preview
    // when it was canceled. The file chosen, or an empty text.
    QString choose(FileKind kind);
    // The dialog while it runs and its choice is taken, else null.
    QDialog *dialog() const;
    // Whether a song plays as it is previewed or taken: the dialog's own box while it runs and
    // its choice is taken, else the setting.
    bool autoPlay() const;

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
    QPointer<OpenFileDialog> m_dialog;
};
