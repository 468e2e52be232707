#include "app/Application.h"

#include "app/StartupFiles.h"
#include "WhenExposed.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "mainwindow/MainWindow.h"
#include "tools/ToolCheck.h"
#include "widgets/MessageBox.h"

bool Application::loadSettings()
{
    AppSettings &settings = AppSettings::instance();
    settings.setFiles(Settings::iniFilePath(), Settings::systemIniFilePaths());
    settings.load();
    if (!settings.refusedFile().isEmpty()) {
        MessageBox::critical(nullptr, settings.refusedFileText());
        return false;
    }

    struct ToolSetting
    {
        ToolCheck::Tool tool;
        const Settings::Key<QString> &key;
        const QString &path;
    };
    const ToolSetting tools[] = {
        {ToolCheck::Tool::ImageTool, Settings::ImageTool, settings.imageToolPath()},
        {ToolCheck::Tool::Encoder, Settings::Encoder, settings.encoderPath()},
        {ToolCheck::Tool::Player, Settings::Player, settings.playerPath()},
    };
    // In this order, and only up to the first failure: one message at most.
    for (const ToolSetting &setting : tools) {
        const ToolCheck::Result result = ToolCheck::check(setting.tool, setting.path);
        if (result != ToolCheck::Result::Ok) {
            // The file the path came from, or every file read when none holds it: one a line.
            const QString files = settings.sourcesOf(setting.key).join(QStringLiteral("\n   "));
            MessageBox::critical(nullptr, ToolCheck::message(result, setting.tool, files));
            return false;
        }
    }
    return true;
}

namespace {

QString tempFolderProblemText(const TempFolderProblem &problem)
{
    switch (problem.kind) {
    case TempFolderProblem::Kind::None:
        break;
    case TempFolderProblem::Kind::Unknown:
        return QStringLiteral("Unknown System TEMP Directory.  Sorry, can't continue.");
    case TempFolderProblem::Kind::Missing:
        return QStringLiteral("The System TEMP Directory does not exist:\n\n\t%1\n\nSorry, can't continue.")
            .arg(problem.systemFolder);
    case TempFolderProblem::Kind::NotWritable:
        return QStringLiteral("The System TEMP Directory can not be written:\n\n\t%1\n\nSorry, can't continue.")
            .arg(problem.systemFolder);
    }
    return QString();
}

// The road of a drop, so the steps do with these files what they do with dropped ones.
void openStartupFiles(MainWindow &window, const StartupFiles &files)
{
    // The start-up checks may have ended the window.
    if (!window.isVisible())
        return;
    if (!files.picture.path.isEmpty())
        window.openFile(files.picture);
    if (!files.audio.path.isEmpty())
        window.openFile(files.audio);
    const QString refused = files.notOpenedMessage();
    if (!refused.isEmpty())
        MessageBox::information(&window, refused);
}

} // namespace

int Application::run(const StartupFiles &files)
{
    if (!loadSettings())
        return 1;
    // Every picture the window shows lives in the temporary folder: without it, one message
    // (naming the folder) and nothing more.
    QString tempFolder;
    if (const TempFolderProblem problem = openTempFolder(tempFolder); !problem.isNone()) {
        MessageBox::information(nullptr, tempFolderProblemText(problem));
        return 1;
    }
    MainWindow dialog;
    // A failed initialization has shown its message; the window must not run.
    if (!dialog.initialize())
        return 0;
    // Queued behind the start-up checks that initialize() queued: the window is laid out first,
    // and its message waits until the window manager has placed the window it stands over.
    if (!files.isEmpty())
        QMetaObject::invokeMethod(&dialog, [&dialog, files] {
            WhenExposed::call(&dialog, [&dialog, files] { openStartupFiles(dialog, files); });
        }, Qt::QueuedConnection);
    dialog.exec();
    return 0;
}
