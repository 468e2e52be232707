#include "render/RenderTools.h"

#include "base/AppSettings.h"
#include "media/FontList.h"
#include "tools/ToolCheck.h"
#include "tools/ToolRunner.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString toolPath(const QString &option, const QString &configured, const QString &name)
{
    if (!option.isEmpty())
        return QFileInfo(option).absoluteFilePath();
    // A settings file's "x..." stands for a tool never set.
    if (!configured.isEmpty() && !configured.startsWith(QLatin1Char('x')))
        return configured;
    return QStandardPaths::findExecutable(name);
}

QString firstVersionLine(const QString &path)
{
    ToolRun run(path, {QStringLiteral("-version")});
    run.setTimeout(ToolCheck::IdentityTimeoutMs);
    const ToolResult result = run.exec();
    return result.output.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool checkTool(ToolCheck::Tool tool, const QString &path, const QString &name, QString *why)
{
    const QString shown = path.isEmpty() ? name : path;
    switch (ToolCheck::check(tool, path)) {
    case ToolCheck::Result::Ok:
        return true;
    case ToolCheck::Result::CantInitialize:
    case ToolCheck::Result::CantFind:
        *why = path.isEmpty() ? QStringLiteral("%1 can not be found on PATH").arg(name)
                              : QStringLiteral("the %1 tool can not be found: %2").arg(name, shown);
        return false;
    case ToolCheck::Result::Invalid:
        *why = QStringLiteral("%1 is not a working %2").arg(shown, name);
        return false;
    }
    return false;
}

} // namespace

bool RenderTools::find(const QString &imageToolOption, const QString &encoderOption, QString *why)
{
    const AppSettings &settings = AppSettings::instance();
    imageTool = toolPath(imageToolOption, settings.imageToolPath(), QStringLiteral("convert"));
    encoder = toolPath(encoderOption, settings.encoderPath(), QStringLiteral("ffmpeg"));
    if (!checkTool(ToolCheck::Tool::ImageTool, imageTool, QStringLiteral("convert"), why)
        || !checkTool(ToolCheck::Tool::Encoder, encoder, QStringLiteral("ffmpeg"), why))
        return false;
    imageToolVersion = firstVersionLine(imageTool);
    encoderVersion = firstVersionLine(encoder);
    if (fontNameList().isEmpty() && !queryFontList(imageTool)) {
        *why = QStringLiteral("%1 lists no fonts").arg(imageTool);
        return false;
    }
    return true;
}
