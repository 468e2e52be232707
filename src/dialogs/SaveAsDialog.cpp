#include "dialogs/SaveAsDialog.h"

#include "dialogs/FileDialogLabels.h"
#include "media/OpenableExtensions.h"

#include <QDir>
#include <QLineEdit>

namespace {

const QString WebmFilter = QStringLiteral("WebM Files (webm) (*.webm)");
const QString MpegFilter = QStringLiteral("MPEG-1 Facebook Compatible (mpg) (*.mpg)");

} // namespace

SaveAsDialog::SaveAsDialog(QWidget *owner, const QString &folder, const QString &name,
                           const QString &currentExtension)
    : QFileDialog(owner, QStringLiteral("Save Pictune As..."), folder)
{
    setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    const QStringList filters = filtersFor(currentExtension);
    setNameFilters(filters);
    labelFileDialogLists(this);
    selectNameFilter(filters.first());
    setDefaultSuffix(currentExtension == QLatin1String("mpg") ? QStringLiteral("mpg") : QStringLiteral("webm"));
    selectFile(name);
}

QStringList SaveAsDialog::filtersFor(const QString &currentExtension)
{
    if (currentExtension == QLatin1String("mpg"))
        return {MpegFilter, WebmFilter};
    return {WebmFilter, MpegFilter};
}

QString SaveAsDialog::withExtension(const QString &path, const QString &filter)
{
    const QString extension = pathExtension(path);
    if (extension == QLatin1String("webm") || extension == QLatin1String("mpg"))
        return path;
    // The dialog reports the filter without its pattern list when it hides the details.
    const bool mpeg = filter.startsWith(MpegFilter.left(MpegFilter.indexOf(QLatin1String(" (*"))));
    return path + (mpeg ? QStringLiteral(".mpg") : QStringLiteral(".webm"));
}

void SaveAsDialog::accept()
{
    // Qt adds no default suffix to a name that has a dot and ignores the chosen filter: add the
    // filter's extension here, before the dialog asks about replacing the file.
    if (auto *nameEdit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
        const QString typed = nameEdit->text().trimmed();
        if (!typed.isEmpty()) {
            const QString completed = withExtension(typed, selectedNameFilter());
            if (completed != typed)
                nameEdit->setText(completed);
        }
    }
    QFileDialog::accept();
}
