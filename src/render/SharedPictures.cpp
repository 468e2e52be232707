#include "render/SharedPictures.h"

#include "base/Paths.h"
#include "model/ImageToolArguments.h"
#include "model/Mp4Build.h"
#include "model/PicturePreparation.h"
#include "model/VideoBuild.h"
#include "render/RenderValues.h"
#include "tools/ToolRunner.h"

#include <QFile>

namespace {

// Pictures no row holds that stay for the rows to come.
constexpr int IdleKept = 4;

void removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

} // namespace

QString PictureKey::text() const
{
    QString text = (coverOf.isEmpty() ? QStringLiteral("picture:") + source : QStringLiteral("cover:") + coverOf)
        + QStringLiteral("|%1x%2|%3").arg(size.width()).arg(size.height()).arg(RenderValues::colorName(background));
    if (caption) {
        const CaptionSettings &c = *caption;
        text += QStringLiteral("|%1|%2|%3|%4|%5|%6|%7|%8|%9")
                    .arg(c.text, c.fontName)
                    .arg(c.pointSize)
                    .arg(RenderValues::colorName(c.textColor))
                    .arg(c.placement)
                    .arg(c.shadowOn ? RenderValues::colorName(c.shadowColor) : QStringLiteral("none"))
                    .arg(c.shadowXOffset)
                    .arg(c.shadowYOffset)
                    .arg(QStringLiteral("%1,%2").arg(c.xPosition).arg(c.yPosition));
    }
    return text;
}

SharedPictures::SharedPictures(QString imageTool, QString encoder, QObject *parent)
    : QObject(parent)
    , m_imageTool(std::move(imageTool))
    , m_encoder(std::move(encoder))
{
}

SharedPictures::~SharedPictures()
{
    stop();
    for (const int id : m_entries.keys())
        remove(id);
}

QString SharedPictures::tempName(const QString &prefix, const QString &suffix)
{
    QString folder;
    if (!getTempFolder(folder))
        return {};
    return QStringLiteral("%1/%2%3%4").arg(folder, prefix).arg(m_nextId++).arg(suffix);
}

int SharedPictures::acquire(const PictureKey &key, QObject *receiver, PictureReady ready)
{
    const QString text = key.text();
    int id = m_byKey.value(text);
    if (id == 0) {
        id = m_nextId++;
        Entry entry;
        entry.key = key;
        entry.plainPath = tempName(QStringLiteral("VR_Plain_"), QStringLiteral(".bmp"));
        entry.withTextPath = tempName(QStringLiteral("VR_WithText_"), QStringLiteral(".bmp"));
        m_entries.insert(id, entry);
        m_byKey.insert(text, id);
    }
    m_idle.removeAll(id);
    Entry &entry = m_entries[id];
    ++entry.users;
    entry.waiters.append({receiver, std::move(ready)});
    switch (entry.state) {
    case State::Waiting:
        startPicture(id);
        break;
    case State::Running:
        break;
    case State::Ready:
    case State::Failed:
        settle(id, entry.result);
        break;
    }
    return id;
}

int SharedPictures::acquireCanvas(QSize size, QRgb background)
{
    const QString text = QStringLiteral("canvas|%1x%2|%3").arg(size.width()).arg(size.height()).arg(RenderValues::colorName(background));
    int id = m_byKey.value(text);
    if (id == 0) {
        id = m_nextId++;
        Entry entry;
        entry.key.size = size;
        entry.key.background = background;
        entry.canvasPath = tempName(QStringLiteral("VR_Blank_"), QStringLiteral(".bmp"));
        m_entries.insert(id, entry);
        m_byKey.insert(text, id);
    }
    m_idle.removeAll(id);
    ++m_entries[id].users;
    return id;
}

void SharedPictures::startPicture(int id)
{
    Entry &entry = m_entries[id];
    entry.state = State::Running;
    if (!entry.key.source.isEmpty()) {
        PictureRequest request;
        request.sourcePath = entry.key.source;
        request.size = entry.key.size;
        request.background = entry.key.background;
        request.toolPath = m_imageTool;
        request.plainPath = entry.plainPath;
        request.withTextPath = entry.withTextPath;
        request.caption = entry.key.caption;
        request.timeoutMs = imageToolTimeout();
        entry.job = new PictureJob(request, this);
        connect(entry.job, &PictureJob::finished, this, [this, id](const PictureResult &result) { pictureEnded(id, result); });
        entry.job->start();
        return;
    }
    // Drawn on the blank canvas of its size and color, which is made first.
    entry.canvas = acquireCanvas(entry.key.size, entry.key.background);
    const State canvas = m_entries[entry.canvas].state;
    if (canvas == State::Waiting)
        startCanvas(m_entries[id].canvas);
    else if (canvas != State::Running)
        drawOnCanvas(id);
}

void SharedPictures::drawOnCanvas(int id)
{
    Entry &entry = m_entries[id];
    const Entry &canvas = m_entries[entry.canvas];
    if (canvas.state == State::Failed) {
        pictureEnded(id, canvas.result);
        return;
    }
    PictureRequest request;
    request.size = entry.key.size;
    request.background = entry.key.background;
    request.toolPath = m_imageTool;
    request.blankCanvas = canvas.canvasPath;
    request.plainPath = entry.plainPath;
    request.withTextPath = entry.withTextPath;
    request.caption = entry.key.caption;
    request.timeoutMs = imageToolTimeout();
    entry.job = new PictureJob(request, this);
    connect(entry.job, &PictureJob::finished, this, [this, id](const PictureResult &result) { pictureEnded(id, result); });
    entry.job->start();
}

void SharedPictures::startCanvas(int id)
{
    Entry &canvas = m_entries[id];
    canvas.state = State::Running;
    removeFile(canvas.canvasPath);
    auto *run = new ToolRun(m_imageTool,
                            blankCanvasArguments(canvas.key.size.width(), canvas.key.size.height(), canvas.key.background,
                                                 imageToolOutput(canvas.canvasPath)),
                            this);
    run->setTimeout(imageToolTimeout());
    canvas.pieceRun = run;
    connect(run, &ToolRun::finished, this, [this, id, run](const ToolResult &result) {
        run->deleteLater();
        canvasEnded(id, result);
    });
    run->start();
}

void SharedPictures::canvasEnded(int id, const ToolResult &result)
{
    if (!m_entries.contains(id))
        return;
    Entry &canvas = m_entries[id];
    canvas.pieceRun = nullptr;
    const bool failed = imageToolRunFailed(result, isNonEmptyFile(canvas.canvasPath));
    canvas.state = failed ? State::Failed : State::Ready;
    if (failed) {
        removeFile(canvas.canvasPath);
        canvas.result.problem.kind = result.status == ToolResult::Status::TimedOut ? PictureProblem::Kind::TimedOut
                                                                                : PictureProblem::Kind::Failed;
        canvas.result.problem.path = canvas.canvasPath;
        canvas.result.problem.detail = m_imageTool;
        canvas.result.problem.timeoutMs = imageToolTimeout();
    }
    // Every picture waiting for this canvas goes on.
    for (const int other : m_entries.keys()) {
        const Entry &entry = m_entries[other];
        if (entry.canvas == id && entry.state == State::Running && !entry.job)
            drawOnCanvas(other);
    }
}

void SharedPictures::pictureEnded(int id, const PictureResult &result)
{
    if (!m_entries.contains(id))
        return;
    Entry &entry = m_entries[id];
    if (entry.job)
        entry.job->deleteLater();
    entry.job = nullptr;
    entry.result = result;
    entry.state = result.succeeded() ? State::Ready : State::Failed;
    if (result.succeeded())
        ++m_picturesMade;
    settle(id, result);
}

void SharedPictures::settle(int id, const PictureResult &result)
{
    const QList<Waiter> waiters = std::exchange(m_entries[id].waiters, {});
    for (const Waiter &waiter : waiters) {
        if (!waiter.receiver)
            continue;
        const PictureReady ready = waiter.ready;
        QMetaObject::invokeMethod(waiter.receiver, [ready, result] { ready(result); }, Qt::QueuedConnection);
    }
}

void SharedPictures::piece(int id, QObject *receiver, PieceReady ready)
{
    Entry &entry = m_entries[id];
    if (entry.pieceState == State::Ready || entry.pieceState == State::Failed) {
        const Piece piece{entry.piecePath, entry.pieceProblem, entry.pieceArguments, false};
        QMetaObject::invokeMethod(receiver, [ready, piece] { ready(piece); }, Qt::QueuedConnection);
        return;
    }
    const bool starts = entry.pieceState != State::Running;
    entry.pieceWaiters.append({receiver, std::move(ready), starts});
    if (!starts)
        return;
    entry.pieceState = State::Running;
    entry.piecePath = tempName(QStringLiteral("VR_Piece_"), QStringLiteral(".mp4"));
    entry.pieceArguments = mp4PieceArguments(entry.result.picturePath, entry.key.size.width(),
                                             entry.key.size.height(), entry.piecePath, QString(), QString());
    auto *run = new ToolRun(m_encoder, entry.pieceArguments, this);
    entry.pieceRun = run;
    connect(run, &ToolRun::finished, this, [this, id, run](const ToolResult &result) {
        run->deleteLater();
        pieceEnded(id, result);
    });
    run->start();
}

void SharedPictures::pieceEnded(int id, const ToolResult &result)
{
    if (!m_entries.contains(id))
        return;
    Entry &entry = m_entries[id];
    entry.pieceRun = nullptr;
    if (result.succeeded() && isNonEmptyFile(entry.piecePath)) {
        entry.pieceState = State::Ready;
        ++m_piecesMade;
    } else {
        entry.pieceState = State::Failed;
        removeFile(entry.piecePath);
        entry.piecePath.clear();
        const QString line = encoderErrorLine(result.output);
        entry.pieceProblem = QStringLiteral("The encoder could not encode the picture: %1")
                                 .arg(line.isEmpty() ? result.errorString : line);
    }
    const QList<PieceWaiter> waiters = std::exchange(entry.pieceWaiters, {});
    for (const PieceWaiter &waiter : waiters) {
        if (!waiter.receiver)
            continue;
        const Piece piece{entry.piecePath, entry.pieceProblem, entry.pieceArguments, waiter.made};
        const PieceReady ready = waiter.ready;
        QMetaObject::invokeMethod(waiter.receiver, [ready, piece] { ready(piece); }, Qt::QueuedConnection);
    }
}

void SharedPictures::release(int id)
{
    if (!m_entries.contains(id))
        return;
    Entry &entry = m_entries[id];
    if (--entry.users > 0)
        return;
    m_idle.removeAll(id);
    m_idle.append(id);
    evict();
}

void SharedPictures::evict()
{
    for (int i = 0; i < m_idle.size() && m_idle.size() > IdleKept;) {
        const int id = m_idle[i];
        const Entry &entry = m_entries[id];
        // A picture or piece still being made finishes first.
        if (entry.state == State::Running || entry.pieceState == State::Running) {
            ++i;
            continue;
        }
        m_idle.removeAt(i);
        remove(id);
    }
}

void SharedPictures::remove(int id)
{
    if (!m_entries.contains(id))
        return;
    const Entry entry = m_entries.take(id);
    m_byKey.remove(entry.canvasPath.isEmpty() ? entry.key.text()
                                              : QStringLiteral("canvas|%1x%2|%3")
                                                    .arg(entry.key.size.width())
                                                    .arg(entry.key.size.height())
                                                    .arg(RenderValues::colorName(entry.key.background)));
    delete entry.job.data();
    delete entry.pieceRun.data();
    for (const QString &path : {entry.plainPath, entry.withTextPath, entry.piecePath, entry.canvasPath})
        removeFile(path);
    if (entry.canvas)
        release(entry.canvas);
}

void SharedPictures::stop()
{
    for (Entry &entry : m_entries) {
        delete entry.job.data();
        delete entry.pieceRun.data();
    }
}
