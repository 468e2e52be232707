#include "base/Settings.h"

#include "base/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cctype>

namespace {

std::optional<QString> anyText(const QString &text)
{
    return text;
}

QString unsetToolPath()
{
    return QStringLiteral("x");
}

QString formatText(const QString &text)
{
    return text;
}

int defaultTargetSize()
{
    return 2;
}

std::optional<int> parseTargetSize(const QString &text)
{
    const std::optional<qint64> index = Settings::parseHex(text);
    if (!index || *index < 0 || *index >= Settings::TargetSizeCount)
        return std::nullopt;
    return int(*index);
}

QString formatTargetSize(const int &index)
{
    return QString::number(index);
}

QRgb defaultBackgroundColor()
{
    return qRgb(0, 0, 0);
}

QString formatBackgroundColor(const QRgb &color)
{
    return QStringLiteral("%1").arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

std::optional<QRgb> parseBackgroundColor(const QString &text)
{
    const std::optional<qint64> value = Settings::parseHex(text);
    if (!value)
        return std::nullopt;
    return QRgb(0xFF000000u | (quint64(*value) & 0xFFFFFFu));
}

bool defaultAutoPlay()
{
    return true;
}

std::optional<bool> parseAutoPlay(const QString &text)
{
    return !text.startsWith(QLatin1Char('0'));
}

QString formatAutoPlay(const bool &on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<QString> parseFolder(const QString &text)
{
    QString folder = text;
    if (folder != QStringLiteral("/")
        && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

QSize noDialogSize()
{
    return QSize();
}

std::optional<QSize> parseDialogSize(const QString &text)
{
    const QStringList sides = text.trimmed().split(QLatin1Char('x'));
    if (sides.size() != 2)
        return std::nullopt;
    bool wide = false;
    bool high = false;
    const int width = sides.at(0).trimmed().toInt(&wide);
    const int height = sides.at(1).trimmed().toInt(&high);
    // Far beyond any screen is as unusable as nothing.
    constexpr int Largest = 100000;
    if (!wide || !high || width <= 0 || height <= 0 || width > Largest || height > Largest)
        return std::nullopt;
    return QSize(width, height);
}

QString formatDialogSize(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString defaultOutputFormat()
{
    return QStringLiteral("webm");
}

std::optional<QString> parseOutputFormat(const QString &text)
{
    const QString extension = text.trimmed().toLower();
    if (extension == QLatin1String("webm") || extension == QLatin1String("mpg") || extension == QLatin1String("mp4"))
        return extension;
    return std::nullopt;
}

QString standardFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    if (!folder.isEmpty() && isDirectory(folder))
        return folder;
    return QDir::homePath();
}

} // namespace

const Settings::Key<QString> Settings::ImageTool{
    QLatin1String("S1"), &unsetToolPath, &anyText, &formatText};
const Settings::Key<QString> Settings::Encoder{
    QLatin1String("S2"), &unsetToolPath, &anyText, &formatText};
const Settings::Key<QString> Settings::Player{
    QLatin1String("S3"), &unsetToolPath, &anyText, &formatText};
const Settings::Key<int> Settings::TargetVideoSize{
    QLatin1String("TargetVideoSize"), &defaultTargetSize, &parseTargetSize, &formatTargetSize};
const Settings::Key<QRgb> Settings::DefaultBackgroundColor{
    QLatin1String("DefaultBackgroundColor"), &defaultBackgroundColor, &parseBackgroundColor, &formatBackgroundColor};
const Settings::Key<bool> Settings::AutoPlayOnOpen{
    QLatin1String("AutoPlayOnOpen"), &defaultAutoPlay, &parseAutoPlay, &formatAutoPlay};
const Settings::Key<QString> Settings::PictureFolder{
    QLatin1String("PictureFilePath"),
    [] { return standardFolder(QStandardPaths::PicturesLocation); }, &parseFolder, &formatText};
const Settings::Key<QString> Settings::AudioFolder{
    QLatin1String("AudioFilePath"),
    [] { return standardFolder(QStandardPaths::MusicLocation); }, &parseFolder, &formatText};
const Settings::Key<QString> Settings::DestinationFolder{
    QLatin1String("DestinationFolderPath"),
    [] { return standardFolder(QStandardPaths::MoviesLocation); }, &parseFolder, &formatText};
const Settings::Key<QSize> Settings::OpenFileDialogSize{
    QLatin1String("OpenFileDialogSize"), &noDialogSize, &parseDialogSize, &formatDialogSize};
const Settings::Key<QSize> Settings::SaveAsDialogSize{
    QLatin1String("SaveAsDialogSize"), &noDialogSize, &parseDialogSize, &formatDialogSize};
const Settings::Key<QString> Settings::OutputFormat{
    QLatin1String("OutputFormat"), &defaultOutputFormat, &parseOutputFormat, &formatText};

QString Settings::iniFilePath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = base + QLatin1Char('/') + Section;
    if (!isDirectory(folder))
        QDir().mkpath(folder);
    return folder + QStringLiteral("/Velmora1.ini");
}

QStringList Settings::systemIniFilePaths()
{
    const QString user = QFileInfo(iniFilePath()).absoluteFilePath();
    QStringList folders = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_DIRS")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    QStringList paths;
    for (const QString &folder : std::as_const(folders)) {
        // The XDG rules ignore relative folders; the user's own file is read first anyway.
        if (QDir::isRelativePath(folder))
            continue;
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + Section + QStringLiteral("/Velmora1.ini"));
        if (path != user && !paths.contains(path) && QFileInfo(path).isFile())
            paths << path;
    }
    return paths;
}

std::optional<qint64> Settings::parseHex(const QString &text)
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
        return std::nullopt;
    const qint64 magnitude = result >= (quint64(1) << 62) ? (qint64(1) << 62) : qint64(result);
    return negative ? -magnitude : magnitude;
}
