#include "render/Renderer.h"

#include "base/TerminationSignals.h"
#include "render/RenderProgress.h"
#include "render/SharedPictures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>

#include <unistd.h>

namespace {

// A message written for a message box, on one line.
QString oneLine(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString(text).replace(blanks, QStringLiteral(" ")).trimmed();
}

void writeLine(FILE *stream, const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

Renderer::Renderer(QList<Manifest::Row> rows, const RenderTools &tools, const QString &outputDir, int jobs,
                   bool force, QObject *parent)
    : QObject(parent)
    , m_rows(std::move(rows))
    , m_tools(tools)
    , m_pictures(new SharedPictures(tools.imageTool, tools.encoder, this))
    , m_jobs(qMax(1, jobs))
    , m_terminal(::isatty(STDERR_FILENO) == 1)
{
    m_context.outputDir = outputDir;
    m_context.tools = &m_tools;
    m_context.pictures = m_pictures;
    m_context.force = force;
    m_context.reservedBytes = &m_reservedBytes;
    connect(&TerminationSignals::instance(), &TerminationSignals::received, this, &Renderer::terminate);
}

Renderer::~Renderer()
{
    // The rows hold the shared pictures: they go first.
    terminate();
}

void Renderer::start()
{
    m_clock.start();
    QMetaObject::invokeMethod(this, &Renderer::startMore, Qt::QueuedConnection);
}

void Renderer::startMore()
{
    while (m_running.size() < m_jobs && m_next < m_rows.size()) {
        auto *job = new RowJob(m_rows[m_next++], m_context, this);
        m_running.append(job);
        connect(job, &RowJob::finished, this, [this, job](const RowOutcome &outcome) { rowEnded(job, outcome); });
        job->start();
    }
    if (m_running.isEmpty() && m_next >= m_rows.size()) {
        if (m_terminal)
            std::fputc('\n', stderr);
        emit finished(m_diskFull ? TryLater : m_failed > 0 ? RowsFailed : AllDone);
    }
}

void Renderer::rowEnded(RowJob *job, const RowOutcome &outcome)
{
    m_running.removeAll(job);
    job->deleteLater();
    ++m_done;
    if (outcome.status == RowOutcome::Status::Failed) {
        ++m_failed;
        m_diskFull = m_diskFull || outcome.diskFull;
    }
    const char *status = outcome.status == RowOutcome::Status::Done      ? "done"
                         : outcome.status == RowOutcome::Status::Skipped ? "skipped"
                                                                          : "failed";
    const bool made = outcome.status != RowOutcome::Status::Failed;
    const QJsonObject line{
        {QStringLiteral("row"), job->row().number},
        {QStringLiteral("id"), job->row().settings.id},
        {QStringLiteral("status"), QLatin1String(status)},
        {QStringLiteral("output"), made ? QJsonValue(outcome.output) : QJsonValue()},
        {QStringLiteral("length"), made ? QJsonValue(outcome.length) : QJsonValue()},
        {QStringLiteral("seconds"), outcome.seconds},
        {QStringLiteral("problem"), made ? QJsonValue() : QJsonValue(oneLine(outcome.problem))},
    };
    writeLine(stdout, QJsonDocument(line).toJson(QJsonDocument::Compact));
    showProgress(job, outcome);
    startMore();
}

void Renderer::showProgress(const RowJob *job, const RowOutcome &outcome)
{
    const int total = int(m_rows.size());
    if (m_terminal) {
        const QString bar = RenderProgress::bar(m_done, m_failed, total, double(m_clock.elapsed()) / 1000.0);
        std::fprintf(stderr, "\r\033[K%s", bar.toLocal8Bit().constData());
        std::fflush(stderr);
        return;
    }
    QString text = QStringLiteral("velmora-render: %1/%2 row %3 (%4) ")
                       .arg(m_done)
                       .arg(total)
                       .arg(job->row().number)
                       .arg(job->row().settings.id);
    switch (outcome.status) {
    case RowOutcome::Status::Done:
        text += QStringLiteral("done in %1 s").arg(outcome.seconds, 0, 'f', 2);
        break;
    case RowOutcome::Status::Skipped:
        text += QStringLiteral("skipped, up to date");
        break;
    case RowOutcome::Status::Failed:
        text += QStringLiteral("failed: ") + oneLine(outcome.problem);
        break;
    }
    writeLine(stderr, text.toLocal8Bit());
}

void Renderer::terminate()
{
    const QList<RowJob *> running = std::exchange(m_running, {});
    for (RowJob *job : running)
        delete job;
    m_pictures->stop();
    m_next = int(m_rows.size());
}
