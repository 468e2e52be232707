#include "media/FontListQuery.h"

#include "media/FontList.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

FontListQuery::FontListQuery(QObject *parent)
    : QObject(parent)
{
}

void FontListQuery::start(const QString &toolPath)
{
    if (m_run)
        return;
    auto *run = new ToolRun(toolPath, toolArguments(QStringLiteral("-list font"), {}), this);
    run->setTimeout(FontListTimeoutMs);
    connect(run, &ToolRun::finished, this, [this, run](const ToolResult &result) {
        run->deleteLater();
        m_run = nullptr;
        emit finished(takeFontList(result));
    });
    m_run = run;
    run->start();
}
