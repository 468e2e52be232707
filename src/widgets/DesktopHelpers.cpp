#include "widgets/DesktopHelpers.h"

#include "base/Paths.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>

QString browseForFolder(QWidget *owner, const QString &title, const QString &initialFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, title, initialFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (chosen.isNull())
        return {};
    QString path = chosen;
    if (!isDriveRoot(path) && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty() || !isDirectory(path)) {
        MessageBox::warning(owner, QStringLiteral("The chosen path can not be used to store computer files.  Please pick a directory that is on a physical hard drive."));
        return {};
    }
    return path;
}

void copyTextToClipboard(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}
