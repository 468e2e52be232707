#include "tools/ToolCheck.h"

#include "base/Paths.h"
#include "tools/ToolRunner.h"

#include <QFileInfo>

const ToolIdentity &imageToolIdentity()
{
    static const ToolIdentity id{QStringLiteral("S1"), QStringLiteral("s1"),
                                 QStringLiteral("ImageMagick"), false};
    return id;
}

const ToolIdentity &encoderIdentity()
{
    static const ToolIdentity id{QStringLiteral("S2"), QStringLiteral("s2"),
                                 QStringLiteral("ffmpeg version"), true};
    return id;
}

const ToolIdentity &playerIdentity()
{
    static const ToolIdentity id{QStringLiteral("S3"), QStringLiteral("s3"),
                                 QStringLiteral("ffplay version"), true};
    return id;
}

ToolCheck checkToolPath(const QString &value, const ToolIdentity &identity)
{
    if (value.startsWith(QLatin1Char('x')))
        return ToolCheck::CantInitialize;
    if (!isNonEmptyFile(value))
        return ToolCheck::CantFind;
    const QFileInfo info(value);
    if (!info.isExecutable() || !isAbsolutePath(value))
        return ToolCheck::Invalid;

    ToolRun run(value, {QStringLiteral("-version")});
    run.setTimeout(ToolIdentityTimeoutMs);
    const ToolResult result = run.exec();
    if (result.status != ToolResult::Status::Finished)
        return ToolCheck::Invalid;
    const QString output = result.output.trimmed();
    const bool named = identity.bannerAtStart ? output.startsWith(identity.banner)
                                              : output.contains(identity.banner);
    return named ? ToolCheck::Ok : ToolCheck::Invalid;
}

QString toolCheckMessage(ToolCheck check, const ToolIdentity &identity, const QString &iniPath)
{
    QString text;
    switch (check) {
    case ToolCheck::Ok:
        return {};
    case ToolCheck::CantInitialize:
        text = QStringLiteral("Can't initialize the %1 path from:\n\n   %2\n\nSorry, can't continue.");
        break;
    case ToolCheck::CantFind:
        text = QStringLiteral("Can't find the %1 executable, specified in:\n\n   %2\n\nSorry, can't continue.");
        break;
    case ToolCheck::Invalid:
        text = QStringLiteral("Invalid %1 file, specified in:\n\n   %2\n\nSorry, can't continue.");
        break;
    }
    return text.arg(identity.name, iniPath);
}
