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
    const QList<QByteArray> files = readFiles();
    imageToolPath = Settings::ImageTool.valueIn(files);
    encoderPath = Settings::Encoder.valueIn(files);
    playerPath = Settings::Player.valueIn(files);
    targetSizeIndex = Settings::TargetVideoSize.valueIn(files);
    backgroundColor = Settings::DefaultBackgroundColor.valueIn(files);
    autoPlayOnOpen = Settings::AutoPlayOnOpen.valueIn(files);
}

QList<QByteArray> AppSettings::readFiles() const
{
    QList<QByteArray> files{IniFile::readAll(iniPath)};
    for (const QString &path : systemIniPaths)
        files << IniFile::readAll(path);
    return files;
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
