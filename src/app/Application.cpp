#include "app/Application.h"

#include "base/AppSettings.h"
#include "base/MessageBox.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "mainwindow/MainWindow.h"
#include "tools/ToolCheck.h"

#include <utility>

bool Application::loadSettings()
{
    AppSettings &settings = AppSettings::instance();
    settings.iniPath = Settings::iniFilePath();
    settings.load();

    const std::pair<ToolCheck::Tool, const QString &> tools[] = {
        {ToolCheck::Tool::ImageTool, settings.imageToolPath},
        {ToolCheck::Tool::Encoder, settings.encoderPath},
        {ToolCheck::Tool::Player, settings.playerPath},
    };
    // In this order, and only up to the first failure: one message at most.
    for (const auto &[tool, path] : tools) {
        const ToolCheck::Result result = ToolCheck::check(tool, path);
        if (result != ToolCheck::Result::Ok) {
            MessageBox::critical(nullptr, ToolCheck::message(result, tool, settings.iniPath));
            return false;
        }
    }
    return true;
}

int Application::run()
{
    if (!loadSettings())
        return 1;
    // Every picture the window shows lives in the temporary folder: without it, one message
    // (naming the folder) and nothing more.
    QString tempFolder;
    if (!getTempFolder(tempFolder))
        return 1;
    MainWindow dialog;
    // A failed initialization has shown its message; the window must not run.
    if (dialog.initialize())
        dialog.exec();
    return 0;
}
