#include "app/Application.h"

#include "base/AppSettings.h"
#include "base/MessageBox.h"
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
    MainWindow dialog;
    // A failed initialization has shown its message; the window must not run.
    if (dialog.initialize())
        dialog.exec();
    return 0;
}
