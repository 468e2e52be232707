#include "model/PictureJob.h"

#include "base/Paths.h"
#include "media/FontList.h"
#include "model/CaptionDrawing.h"
#include "model/ImageToolArguments.h"
#include "model/PlacementTable.h"
#include "tools/ToolRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

void removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

void removeFiles(QStringList &paths)
{
    for (const QString &path : std::exchange(paths, {}))
        removeFile(path);
}

} // namespace

PictureJob::PictureJob(PictureRequest request, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
{
    m_result.sourcePath = m_request.sourcePath;
}

PictureJob::~PictureJob()
{
    // A tool still running goes with its run, a child of this job.
    removeFile(m_sourceLink);
    removeFiles(m_layerFiles);
}

void PictureJob::start()
{
    if (m_started)
        return;
    m_started = true;
    // Queued, so that finished() never comes from inside start().
    QMetaObject::invokeMethod(this, &PictureJob::letterbox, Qt::QueuedConnection);
}

void PictureJob::cancel()
{
    if (m_finished)
        return;
    m_canceled = true;
    if (m_run)
        m_run->cancel();
}

void PictureJob::letterbox()
{
    if (m_canceled) {
        fail(PictureProblem::Kind::Canceled, m_request.plainPath);
        return;
    }
    if (!m_request.letterbox || m_request.sourcePath.isEmpty()) {
        drawCaption();
        return;
    }
    const QString &source = m_request.sourcePath;
    const QString &destination = m_request.plainPath;
    removeFile(destination);
    if (!isAbsolutePath(source)) {
        fail(PictureProblem::Kind::Failed, destination);
        return;
    }
    // Checked before the tool sees it: only a regular file whose content is one of the program's
    // formats, of a size the tool accepts.
    PictureFileInfo info;
    if (m_request.sourceInfo) {
        info = *m_request.sourceInfo;
    } else {
        QString why;
        if (!readPictureInfo(source, info, &why)) {
            fail(PictureProblem::Kind::Refused, source, why);
            return;
        }
    }
    // The tool expands "*", "?" and "[...]" in the last part of a name into other files of that
    // folder: it gets the picture under a plain name of our own.
    const QFileInfo output(destination);
    m_sourceLink = output.absolutePath() + QStringLiteral("/VL_Source_") + output.fileName();
    removeFile(m_sourceLink);
    if (destination.isEmpty() || !QFile::link(source, m_sourceLink)) {
        removeFile(std::exchange(m_sourceLink, QString()));
        fail(PictureProblem::Kind::Failed, destination);
        return;
    }
    runTool(letterboxArguments(imageToolInput(info.format, m_sourceLink), m_request.size.width(),
                               m_request.size.height(), m_request.background, imageToolOutput(destination)),
            destination, &PictureJob::drawCaption);
}

void PictureJob::drawCaption()
{
    if (!m_request.caption) {
        succeed();
        return;
    }
    const QString input = m_request.sourcePath.isEmpty() ? m_request.blankCanvas : m_request.plainPath;
    const CaptionSettings &caption = *m_request.caption;
    const Placement *placement = PlacementTable::find(caption.placement);
    if (!placement || !isNonEmptyFile(input)) {
        removeFile(m_request.withTextPath);
        fail(PictureProblem::Kind::Failed, m_request.withTextPath);
        return;
    }
    removeFile(m_request.withTextPath);
    // Which font draws each character is read off the font files, and a caption that needs them
    // is drawn here beforehand: both off the window's thread, as a font file may be large or slow.
    const QFileInfo output(m_request.withTextPath);
    const QString layerPrefix = output.absolutePath() + QStringLiteral("/VL_Layer_") + output.completeBaseName()
        + QLatin1Char('_');
    auto *watcher = new QFutureWatcher<CaptionDrawing>(this);
    connect(watcher, &QFutureWatcher<CaptionDrawing>::finished, this, [this, watcher] {
        watcher->deleteLater();
        captionPrepared(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(prepareCaptionDrawing, imageToolInput(PictureFormat::Bmp, input),
                                         caption, *placement, imageToolOutput(m_request.withTextPath),
                                         layerPrefix, fontNameList(), fontGlyphFiles()));
}

void PictureJob::captionPrepared(const CaptionDrawing &drawing)
{
    m_layerFiles = drawing.layerFiles;
    if (m_canceled) {
        removeFiles(m_layerFiles);
        fail(PictureProblem::Kind::Canceled, m_request.withTextPath);
        return;
    }
    if (drawing.arguments.isEmpty()) {
        removeFiles(m_layerFiles);
        fail(PictureProblem::Kind::Failed, m_request.withTextPath);
        return;
    }
    runTool(drawing.arguments, m_request.withTextPath, &PictureJob::succeed);
}

void PictureJob::runTool(const QStringList &arguments, const QString &output, void (PictureJob::*next)())
{
    if (output.isEmpty()) {
        fail(PictureProblem::Kind::Failed, output);
        return;
    }
    removeFile(output);
    if (m_canceled) {
        fail(PictureProblem::Kind::Canceled, output);
        return;
    }
    auto *run = new ToolRun(m_request.toolPath, arguments, this);
    run->setTimeout(m_request.timeoutMs);
    connect(run, &ToolRun::finished, this,
            [this, output, next](const ToolResult &result) { toolEnded(result, output, next); });
    m_run = run;
    run->start();
}

void PictureJob::toolEnded(const ToolResult &result, const QString &output, void (PictureJob::*next)())
{
    m_run->deleteLater();
    m_run = nullptr;
    removeFile(std::exchange(m_sourceLink, QString()));
    removeFiles(m_layerFiles);
    if (!imageToolRunFailed(result, isNonEmptyFile(output))) {
        (this->*next)();
        return;
    }
    removeFile(output);
    if (result.status == ToolResult::Status::Canceled)
        fail(PictureProblem::Kind::Canceled, output);
    else if (result.status == ToolResult::Status::TimedOut)
        fail(PictureProblem::Kind::TimedOut, output, m_request.toolPath);
    else
        fail(PictureProblem::Kind::Failed, output);
}

void PictureJob::succeed()
{
    if (m_request.caption) {
        m_result.caption = m_request.caption;
        m_result.picturePath = m_request.withTextPath;
    } else {
        m_result.picturePath = m_request.sourcePath.isEmpty() ? m_request.blankCanvas : m_request.plainPath;
    }
    m_finished = true;
    emit finished(m_result);
}

void PictureJob::fail(PictureProblem::Kind kind, const QString &path, const QString &detail)
{
    m_result.picturePath.clear();
    m_result.caption.reset();
    m_result.problem.kind = kind;
    m_result.problem.path = path;
    m_result.problem.detail = detail;
    m_result.problem.timeoutMs = m_request.timeoutMs;
    m_finished = true;
    emit finished(m_result);
}
