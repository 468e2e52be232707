#include "FileBrowser.h"

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "dialogs/OpenFileDialog.h"

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
    m_dialog = nullptr;
    const QStringList chosen = dialog.selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty())
        return {};
    // The dialog gives absolute paths.
    folder = {true, pathFolder(chosen.first())};
    return chosen.first();
}
