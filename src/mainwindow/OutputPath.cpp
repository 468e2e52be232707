#include "OutputPath.h"

#include "CreateCheck.h"
#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "dialogs/SaveAsDialog.h"
#include "media/OpenableExtensions.h"
#include "widgets/MessageBox.h"

#include <QLineEdit>

OutputPath::OutputPath(QLineEdit *edit, QWidget *window)
    : QObject(window)
    , m_edit(edit)
    , m_window(window)
{
    connect(m_edit, &QLineEdit::textChanged, this, [this] { m_typed = true; });
}

void OutputPath::setDefault(const QString &folder, const QString &extension)
{
    const QString name = QStringLiteral("MyPictune.") + extension;
    // The root folder already ends in a separator.
    m_edit->setText(folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name);
}

QString OutputPath::path() const
{
    return m_edit->text();
}

void OutputPath::choose()
{
    const QString text = path();
    // A text without a separator is both the initial folder and the initial name.
    QString folder = pathFolder(text);
    if (folder.isEmpty())
        folder = text;
    SaveAsDialog dialog(m_window, folder, pathBareName(text), pathExtension(text));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().first();
    m_edit->setText(chosen);
    m_typed = false;
    AppSettings &settings = AppSettings::instance();
    const std::optional<QString> format = Settings::OutputFormat.parse(pathExtension(chosen));
    if (format && *format != settings.read(Settings::OutputFormat) && !settings.set(Settings::OutputFormat, *format))
        MessageBox::warning(m_window, settings.notSavedText());
}

CreateCheckInput OutputPath::checkInput(const QString &picturePath, const QString &audioPath,
                                        double audioDuration) const
{
    CreateCheckInput in;
    in.outputPath = path();
    in.outputPathTyped = m_typed;
    in.outputExists = isNonEmptyFile(in.outputPath);
    in.pictureExists = isNonEmptyFile(picturePath);
    in.audioExists = isNonEmptyFile(audioPath);
    in.audioDuration = audioDuration;
    in.folderExists = isDirectory(pathFolder(in.outputPath));
    in.pathAbsolute = isAbsolutePath(in.outputPath);
    return in;
}

bool OutputPath::confirmBuild(const QString &picturePath, const QString &audioPath, double audioDuration)
{
    const QString output = path();
    CreateCheckInput in = checkInput(picturePath, audioPath, audioDuration);
    if (checkCreate(in) == CreateCheck::AskReplace
        && MessageBox::question(m_window, createCheckText(CreateCheck::AskReplace, output), QMessageBox::No,
                                QStringLiteral("Create Pictune..."))
            != QMessageBox::Yes)
        return false;
    // Answered, or chosen with Save As: the path no longer asks before it is replaced.
    m_typed = false;
    in.outputPathTyped = false;
    const CreateCheck check = checkCreate(in);
    if (check == CreateCheck::Ready)
        return true;
    MessageBox::information(m_window, createCheckText(check, output));
    if (createCheckSelectsPath(check))
        select();
    return false;
}

void OutputPath::buildEnded(bool canceled)
{
    if (!canceled)
        m_typed = true;
}

void OutputPath::select()
{
    m_edit->setFocus();
    m_edit->selectAll();
}
