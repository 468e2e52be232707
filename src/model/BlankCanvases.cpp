#include "model/BlankCanvases.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "model/ImageToolArguments.h"
#include "tools/ToolRunner.h"

#include <QFile>

BlankCanvases::~BlankCanvases()
{
    clear();
}

bool BlankCanvases::create(const QString &toolPath, quint32 background, PictureProblem *problem)
{
    TargetSizeTable &table = TargetSizeTable::instance();
    for (int i = 0; i < TargetSizeTable::RowCount; ++i) {
        const TargetSize &row = table.row(i);
        QString &path = m_paths.at(static_cast<size_t>(i));
        makeTempFileName(QStringLiteral("VL_Blank_%1_").arg(i), path);
        PictureProblem failure;
        failure.path = path;
        failure.detail = toolPath;
        failure.timeoutMs = BlankCanvasTimeoutMs;
        if (path.isEmpty()) {
            failure.kind = PictureProblem::Kind::Failed;
        } else {
            QFile::remove(path);
            ToolRun run(toolPath, blankCanvasArguments(row.width, row.height, background, imageToolOutput(path)));
            run.setTimeout(BlankCanvasTimeoutMs);
            const ToolResult result = run.exec();
            if (imageToolRunFailed(result, isNonEmptyFile(path))) {
                QFile::remove(path);
                failure.kind = result.status == ToolResult::Status::TimedOut ? PictureProblem::Kind::TimedOut
                                                                            : PictureProblem::Kind::Failed;
            }
        }
        if (!failure.isNone()) {
            if (problem)
                *problem = failure;
            return false;
        }
    }
    return true;
}

void BlankCanvases::clear()
{
    for (QString &path : m_paths) {
        if (!path.isEmpty())
            QFile::remove(path);
        path.clear();
    }
}

QString BlankCanvases::path(int sizeIndex) const
{
    if (sizeIndex < 0 || sizeIndex >= TargetSizeTable::RowCount)
        return {};
    return m_paths.at(static_cast<size_t>(sizeIndex));
}

QString BlankCanvases::currentPath() const
{
    const int index = AppSettings::instance().targetSizeIndex();
    return path(index >= 0 && index < TargetSizeTable::RowCount ? index : Settings::TargetVideoSize.defaultValue());
}
