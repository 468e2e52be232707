#include "dialogs/SaveAsDialog.h"

#include "dialogs/FileDialogLabels.h"
#include "dialogs/FileDialogLayout.h"
#include "media/OpenableExtensions.h"

#include <QDir>
#include <QLineEdit>

#include <array>

namespace {

struct OutputFormat
{
    QLatin1String extension;
    QString filter;
};

// In the order the dialog lists them after the current one.
const std::array<OutputFormat, 3> &outputFormats()
{
    static const std::array<OutputFormat, 3> formats{{
        {QLatin1String("webm"), QStringLiteral("WebM Files (webm) (*.webm)")},
        {QLatin1String("mpg"), QStringLiteral("MPEG-1 Facebook Compatible (mpg) (*.mpg)")},
        {QLatin1String("mp4"), QStringLiteral("MP4 (H.264/AAC) (*.mp4)")},
    }};
    return formats;
}

const OutputFormat *formatOf(const QString &extension)
{
    for (const OutputFormat &format : outputFormats()) {
        if (format.extension == extension)
            return &format;
    }
    return nullptr;
}

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
    const OutputFormat *current = formatOf(currentExtension);
    setDefaultSuffix(current ? QString(current->extension) : QStringLiteral("webm"));
    selectFile(name);
    new FileDialogLayout(this, Settings::SaveAsDialogSize);
}

QStringList SaveAsDialog::filtersFor(const QString &currentExtension)
{
    const OutputFormat *current = formatOf(currentExtension);
    QStringList filters;
    if (current)
        filters.append(current->filter);
    for (const OutputFormat &format : outputFormats()) {
        if (&format != current)
            filters.append(format.filter);
    }
    return filters;
}

QString SaveAsDialog::withExtension(const QString &path, const QString &filter)
{
    if (formatOf(pathExtension(path)))
        return path;
    // The dialog reports the filter without its pattern list when it hides the details.
    for (const OutputFormat &format : outputFormats()) {
        if (filter.startsWith(format.filter.left(format.filter.lastIndexOf(QLatin1String(" (*")))))
            return path + QLatin1Char('.') + format.extension;
    }
    return path + QStringLiteral(".webm");
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
