#include "media/FontList.h"

#include "base/AppSettings.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

namespace {

// Generous: the tool reads every font file's header once, and a hang must not block start-up forever.
constexpr int ListTimeoutMs = 60000;

} // namespace

QStringList &fontNameList()
{
    static QStringList names;
    return names;
}

QStringList parseFontList(const QString &output, bool *found)
{
    const QLatin1String key("Font: ");
    QStringList names;
    int p = output.indexOf(key);
    if (found)
        *found = p >= 0;
    while (p >= 0) {
        const int start = p + key.size();
        int end = start;
        while (end < output.size() && output.at(end) != QLatin1Char('\r') && output.at(end) != QLatin1Char('\n'))
            ++end;
        const QString name = output.mid(start, end - start);
        if (!name.isEmpty())
            names.append(name);
        p = output.indexOf(key, end);
    }
    return names;
}

bool queryFontList()
{
    ToolRun run(AppSettings::instance().imageToolPath, toolArguments(QStringLiteral("-list font"), {}));
    run.setTimeout(ListTimeoutMs);
    const ToolResult result = run.exec();
    if (!result.succeeded())
        return false;
    bool found = false;
    const QStringList names = parseFontList(result.output, &found);
    if (!found)
        return false;
    fontNameList().append(names);
    return !fontNameList().isEmpty();
}
