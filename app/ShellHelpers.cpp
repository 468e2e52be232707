#include "app/ShellHelpers.h"

#include "app/MessageBox.h"
#include "app/Paths.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>

QString BrowseForFolder(QWidget *owner, const QString &title, const QString &initialFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, title, initialFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (chosen.isNull())
        return {};
    QString path = chosen;
    if (!IsDriveRoot(path) && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty() || !IsDirectory(path)) {
        ShowMessage(owner, MessageCaption, MB_ICONEXCLAMATION,
                    QStringLiteral("The chosen path can not be used to store computer files.  Please pick a directory that is on a physical hard drive."));
        return {};
    }
    return path;
}

void CopyTextToClipboard(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}
