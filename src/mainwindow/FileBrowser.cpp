#include "FileBrowser.h"

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "dialogs/FilePreviewReceiver.h"
#include "dialogs/OpenFileDialog.h"
#include "media/FileClassification.h"

FileBrowser::FileBrowser(QWidget *window, FilePreviewReceiver *receiver)
    : m_window(window)
    , m_receiver(receiver)
{
}

QString FileBrowser::choose(FileKind kind)
{
    const bool audio = kind == FileKind::Audio;
    Folder &folder = audio ? m_audioFolder : m_pictureFolder;
    const QString start = folder.browsed
        ? folder.path : AppSettings::instance().read(audio ? Settings::AudioFolder : Settings::PictureFolder);
    OpenFileDialog dialog(m_window, m_receiver, kind, start);
    m_dialog = &dialog;
    const int result = dialog.exec();
    const QStringList chosen = dialog.selectedFiles();
    QString path;
    if (result == QDialog::Accepted && !chosen.isEmpty()) {
        // The dialog gives absolute paths.
        path = chosen.first();
        folder = {true, pathFolder(path)};
    }
    // The dialog's auto-play box holds until its choice has been taken.
    if (!path.isEmpty())
        m_receiver->openFile(classifyFileQuickly(path));
    else if (m_receiver->previewKind() != PreviewKind::Nothing)
        m_receiver->endPreview();
    m_dialog = nullptr;
    return path;
}

QDialog *FileBrowser::dialog() const
{
    return m_dialog;
}

bool FileBrowser::autoPlay() const
{
    return m_dialog ? m_dialog->autoPlay() : AppSettings::instance().autoPlayOnOpen();
}
