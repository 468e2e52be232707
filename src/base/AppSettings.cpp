#include "base/AppSettings.h"

AppSettings &AppSettings::instance()
{
    static AppSettings settings;
    return settings;
}

void AppSettings::reset()
{
    *this = AppSettings();
}

void AppSettings::load()
{
    const QByteArray file = IniFile::readAll(iniPath);
    imageToolPath = Settings::ImageTool.valueIn(file);
    encoderPath = Settings::Encoder.valueIn(file);
    playerPath = Settings::Player.valueIn(file);
    targetSizeIndex = Settings::TargetVideoSize.valueIn(file);
    backgroundColor = Settings::DefaultBackgroundColor.valueIn(file);
    autoPlayOnOpen = Settings::AutoPlayOnOpen.valueIn(file);
}

bool AppSettings::write(const QList<IniFile::KeyValue> &entries) const
{
    return IniFile::writeStrings(iniPath, Settings::Section, entries);
}

QString AppSettings::notSavedText() const
{
    return QStringLiteral("The settings could not be saved in:\n\n   %1\n\nPlease check that this file can be "
                          "written, thanks.")
        .arg(iniPath);
}
