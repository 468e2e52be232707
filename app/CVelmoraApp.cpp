#include "app/CVelmoraApp.h"

#include "app/AppSettings.h"
#include "app/IniFile.h"
#include "app/MessageBox.h"
#include "app/ToolCheck.h"
#include "mainwindow/CVelmoraDlg.h"

QString CVelmoraApp::IniFilePath()
{
    QString folder = GetSettingsFolder(SettingsKeys::Section);
    if (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    return folder + QStringLiteral("/Velmora1.ini");
}

bool CVelmoraApp::LoadSettings()
{
    AppSettings &settings = AppSettings::instance();
    settings.iniPath = IniFilePath();

    struct Tool
    {
        const ToolIdentity &identity;
        QString AppSettings::*field;
    };
    const Tool tools[] = {
        {ImageToolIdentity(), &AppSettings::imageToolPath},
        {EncoderIdentity(), &AppSettings::encoderPath},
        {PlayerIdentity(), &AppSettings::playerPath},
    };
    for (const Tool &tool : tools) {
        const QString value = IniFile::readString(settings.iniPath, SettingsKeys::Section,
                                                  tool.identity.key, QStringLiteral("x"));
        const ToolCheck check = CheckToolPath(value, tool.identity);
        if (check != ToolCheck::Ok) {
            ShowMessage(nullptr, MessageCaption, MB_OK | MB_ICONHAND,
                        ToolCheckMessage(check, tool.identity, settings.iniPath));
            return false;
        }
        settings.*tool.field = value;
    }
    ReadDisplaySettings(settings);
    return true;
}

int CVelmoraApp::Run()
{
    if (!LoadSettings())
        return 1;
    CVelmoraDlg dialog;
    // A failed initialisation has shown its message; the window must not run.
    if (dialog.Initialize())
        dialog.exec();
    return 0;
}
