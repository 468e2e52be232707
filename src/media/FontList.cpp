#include "media/FontList.h"

#include "base/AppSettings.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

QStringList &fontNameList()
{
    static QStringList names;
    return names;
}

QHash<QString, QString> &fontGlyphFiles()
{
    static QHash<QString, QString> files;
    return files;
}

namespace {

// The rest of the line after position p.
QString lineFrom(const QString &text, int p)
{
    int end = p;
    while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
        ++end;
    return text.mid(p, end - p);
}

} // namespace

QStringList parseFontList(const QString &output, bool *found, QHash<QString, QString> *glyphFiles)
{
    const QLatin1String key("Font: ");
    const QLatin1String glyphsKey("glyphs: ");
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
        if (glyphFiles && !name.isEmpty()) {
            const int glyphs = output.indexOf(glyphsKey, end);
            if (glyphs >= 0 && (p < 0 || glyphs < p)) {
                const QString file = lineFrom(output, glyphs + glyphsKey.size());
                if (!file.isEmpty())
                    glyphFiles->insert(name, file);
            }
        }
    }
    return names;
}

bool takeFontList(const ToolResult &result)
{
    if (!result.succeeded())
        return false;
    bool found = false;
    QHash<QString, QString> files;
    const QStringList names = parseFontList(result.output, &found, &files);
    if (!found)
        return false;
    fontNameList().append(names);
    fontGlyphFiles().insert(files);
    return !fontNameList().isEmpty();
}

bool queryFontList()
{
    return queryFontList(AppSettings::instance().imageToolPath());
}

bool queryFontList(const QString &toolPath)
{
    ToolRun run(toolPath, toolArguments(QStringLiteral("-list font"), {}));
    // Generous, but a hang must not block start-up for ever.
    run.setTimeout(FontListTimeoutMs);
    return takeFontList(run.exec());
}
