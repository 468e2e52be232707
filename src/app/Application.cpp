#include "app/Application.h"

#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/MessageBox.h"
#include "mainwindow/MainWindow.h"
#include "tools/ToolCheck.h"

QString Application::iniFilePath()
{
    QString folder = getSettingsFolder(SettingsKeys::Section);
    if (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    return folder + QStringLiteral("/Velmora1.ini");
}

bool Application::loadSettings()
{
    AppSettings &settings = AppSettings::instance();
    settings.iniPath = iniFilePath();

    struct Tool
    {
        const ToolIdentity &identity;
        QString AppSettings::*field;
    };
    const Tool tools[] = {
        {imageToolIdentity(), &AppSettings::imageToolPath},
        {encoderIdentity(), &AppSettings::encoderPath},
        {playerIdentity(), &AppSettings::playerPath},
    };
    for (const Tool &tool : tools) {
        const QString value = IniFile::readString(settings.iniPath, SettingsKeys::Section,
                                                  tool.identity.key, QStringLiteral("x"));
        const ToolCheck check = checkToolPath(value, tool.identity);
        if (check != ToolCheck::Ok) {
            MessageBox::critical(nullptr, toolCheckMessage(check, tool.identity, settings.iniPath));
            return false;
        }
        settings.*tool.field = value;
    }
    readDisplaySettings(settings);
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
