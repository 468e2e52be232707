#include "base/AppSettings.h"

#include "base/IniFile.h"
#include "base/Paths.h"

#include <QDir>
#include <QStandardPaths>

AppSettings &AppSettings::instance()
{
    static AppSettings settings;
    return settings;
}

void AppSettings::reset()
{
    *this = AppSettings();
}

TargetSizeTable &TargetSizeTable::instance()
{
    static TargetSizeTable table;
    return table;
}

TargetSize &TargetSizeTable::current()
{
    int index = AppSettings::instance().targetSizeIndex;
    if (index < 0 || index >= RowCount)
        index = 2;
    return row(index);
}

QString getSettingsFolder(const QString &name)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = base + QLatin1Char('/') + name;
    if (!isDirectory(folder))
        QDir().mkpath(folder);
    return folder;
}

QString defaultFolderFor(const QString &name)
{
    QStandardPaths::StandardLocation location = QStandardPaths::HomeLocation;
    if (name == SettingsKeys::PictureFile)
        location = QStandardPaths::PicturesLocation;
    else if (name == SettingsKeys::AudioFile)
        location = QStandardPaths::MusicLocation;
    else if (name == SettingsKeys::DestinationFolder)
        location = QStandardPaths::MoviesLocation;
    const QString folder = QStandardPaths::writableLocation(location);
    if (!folder.isEmpty() && isDirectory(folder))
        return folder;
    return QDir::homePath();
}

QString readFolderSetting(const QString &name)
{
    const QString missing = QStringLiteral("\x01");
    QString value = IniFile::readString(AppSettings::instance().iniPath, SettingsKeys::Section,
                                        name + QStringLiteral("Path"), missing);
    if (value == missing)
        return defaultFolderFor(name);
    if (value != QStringLiteral("/")
        && (value.endsWith(QLatin1Char('/')) || value.endsWith(QLatin1Char('\\'))))
        value.chop(1);
    return value;
}

bool parseHexLikeScanf(const QString &text, qint64 &value)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i + 1 < n && text.at(i) == QLatin1Char('0')
        && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))
        && i + 2 < n && isxdigit(text.at(i + 2).toLatin1()))
        i += 2;
    quint64 result = 0;
    int digits = 0;
    for (; i < n; ++i) {
        const char c = text.at(i).toLatin1();
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        // Saturate rather than wrap: an overlong value must not turn into a small valid one.
        if (result <= (quint64(1) << 59))
            result = result * 16 + quint64(d);
        else
            result = quint64(1) << 63;
        ++digits;
    }
    if (digits == 0)
        return false;
    const qint64 magnitude = result >= (quint64(1) << 62) ? (qint64(1) << 62) : qint64(result);
    value = negative ? -magnitude : magnitude;
    return true;
}

void readDisplaySettings(AppSettings &settings)
{
    const QString missing = QStringLiteral("x");
    auto read = [&](const QString &key) {
        return IniFile::readString(settings.iniPath, SettingsKeys::Section, key, missing);
    };

    const QString size = read(SettingsKeys::TargetVideoSize);
    qint64 parsed = 0;
    if (!size.startsWith(QLatin1Char('x')) && parseHexLikeScanf(size, parsed))
        settings.targetSizeIndex = (parsed < 0 || parsed > 3) ? 2 : int(parsed);
    if (settings.targetSizeIndex < 0 || settings.targetSizeIndex > 3)
        settings.targetSizeIndex = 2;

    const QString color = read(SettingsKeys::DefaultBackgroundColor);
    if (!color.startsWith(QLatin1Char('x')) && parseHexLikeScanf(color, parsed))
        settings.backgroundColor = quint32(quint64(parsed) & 0xFFFFFF);

    const QString autoPlay = read(SettingsKeys::AutoPlayOnOpen);
    if (!autoPlay.startsWith(QLatin1Char('x')))
        settings.autoPlayOnOpen = !autoPlay.startsWith(QLatin1Char('0'));
}
