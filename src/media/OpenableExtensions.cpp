#include "media/OpenableExtensions.h"

const QList<OpenableExtension> &OpenableExtensions::all()
{
    static const QList<OpenableExtension> table = {
        {FileKind::Picture, "jpg"}, {FileKind::Picture, "jpeg"}, {FileKind::Picture, "png"},
        {FileKind::Picture, "bmp"}, {FileKind::Picture, "gif"},  {FileKind::Picture, "tif"},
        {FileKind::Picture, "tiff"},
        {FileKind::Audio, "aac"},   {FileKind::Audio, "aif"},    {FileKind::Audio, "aiff"},
        {FileKind::Audio, "cda"},   {FileKind::Audio, "flac"},   {FileKind::Audio, "m4a"},
        {FileKind::Audio, "mp1"},   {FileKind::Audio, "mp3"},    {FileKind::Audio, "mp4"},
        {FileKind::Audio, "ogg"},   {FileKind::Audio, "wav"},    {FileKind::Audio, "wma"},
    };
    return table;
}

QStringList OpenableExtensions::of(FileKind kind)
{
    QStringList result;
    for (const OpenableExtension &e : all()) {
        if (kind == FileKind::None || e.kind == kind)
            result << QLatin1String(e.extension);
    }
    return result;
}

FileKind OpenableExtensions::kindOf(const QString &extension)
{
    for (const OpenableExtension &e : all()) {
        if (extension == QLatin1String(e.extension))
            return e.kind;
    }
    return FileKind::None;
}

QString pathExtension(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1).toLower();
}

QString pathFolder(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    // A file right under the root lives in "/", not in the empty text.
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString pathBareName(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return path;
    QString name = path.mid(slash + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

namespace {

QString filterFor(const QString &label, const QStringList &extensions, bool listInLabel)
{
    QStringList patterns;
    for (const QString &e : extensions)
        patterns << QStringLiteral("*.") + e;
    const QString shown = listInLabel
        ? QStringLiteral("%1 (%2)").arg(label, extensions.join(QStringLiteral(", ")))
        : label;
    return QStringLiteral("%1 (%2)").arg(shown, patterns.join(QLatin1Char(' ')));
}

} // namespace

QStringList buildOpenFilter(FileKind kind)
{
    const QString pictures = filterFor(QStringLiteral("Image Files"), OpenableExtensions::of(FileKind::Picture), true);
    const QString audio = filterFor(QStringLiteral("Audio Files"), OpenableExtensions::of(FileKind::Audio), true);
    const QString both = filterFor(QStringLiteral("All Openable Files (Picture & Audio Files)"),
                                   OpenableExtensions::of(FileKind::None), false);
    if (kind == FileKind::Picture)
        return {pictures, audio, both};
    return {audio, pictures, both};
}
