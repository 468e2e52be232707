#include "tools/ToolCheck.h"

#include "base/Paths.h"
#include "tools/ToolRunner.h"

#include <QFileInfo>

namespace {

struct Identity
{
    QString name;       // as the messages name it
    QString banner;     // what its -version output must hold
    bool bannerAtStart; // the banner must open the output
};

// Rows in the order of ToolCheck::Tool.
const Identity &identityOf(ToolCheck::Tool tool)
{
    static const Identity identities[] = {
        {QStringLiteral("s1"), QStringLiteral("ImageMagick"), false},
        {QStringLiteral("s2"), QStringLiteral("ffmpeg version"), true},
        {QStringLiteral("s3"), QStringLiteral("ffplay version"), true},
    };
    return identities[int(tool)];
}

} // namespace

ToolCheck::Result ToolCheck::check(Tool tool, const QString &path)
{
    if (path.startsWith(QLatin1Char('x')))
        return Result::CantInitialize;
    if (!isNonEmptyFile(path))
        return Result::CantFind;
    const QFileInfo info(path);
    if (!info.isExecutable() || !isAbsolutePath(path))
        return Result::Invalid;

    ToolRun run(path, {QStringLiteral("-version")});
    run.setTimeout(IdentityTimeoutMs);
    const ToolResult result = run.exec();
    if (result.status != ToolResult::Status::Finished)
        return Result::Invalid;
    const Identity &identity = identityOf(tool);
    const QString output = result.output.trimmed();
    const bool named = identity.bannerAtStart ? output.startsWith(identity.banner)
                                              : output.contains(identity.banner);
    return named ? Result::Ok : Result::Invalid;
}

QString ToolCheck::message(Result result, Tool tool, const QString &iniPath)
{
    QString text;
    switch (result) {
    case Result::Ok:
        return {};
    case Result::CantInitialize:
        text = QStringLiteral("Can't initialize the %1 path from:\n\n   %2\n\nSorry, can't continue.");
        break;
    case Result::CantFind:
        text = QStringLiteral("Can't find the %1 executable, specified in:\n\n   %2\n\nSorry, can't continue.");
        break;
    case Result::Invalid:
        text = QStringLiteral("Invalid %1 file, specified in:\n\n   %2\n\nSorry, can't continue.");
        break;
    }
    return text.arg(identityOf(tool).name, iniPath);
}
