#include "media/SongChecker.h"

#include <QMetaObject>
#include <QThreadPool>

struct SongChecker::Job
{
    QString path;
    std::atomic<bool> cancel{false};
};

SongChecker::SongChecker(QObject *parent)
    : QObject(parent)
    , m_pool(new QThreadPool(this))
{
    // A canceled check may still be ending its read while the next one starts.
    m_pool->setMaxThreadCount(2);
}

SongChecker::~SongChecker()
{
    cancel();
    m_pool->waitForDone();
}

void SongChecker::check(const QString &path)
{
    cancel();
    auto job = std::make_shared<Job>();
    job->path = path;
    m_job = job;
    // The destructor waits for the worker, so `this` outlives it.
    m_pool->start([this, job] {
        const FileClassification file = checkSongFile(job->path, &job->cancel);
        QMetaObject::invokeMethod(
            this, [this, job, file] { finish(job, file); }, Qt::QueuedConnection);
    });
}

void SongChecker::cancel()
{
    if (m_job)
        m_job->cancel = true;
    m_job.reset();
}

QString SongChecker::path() const
{
    return m_job ? m_job->path : QString();
}

void SongChecker::finish(const std::shared_ptr<Job> &job, const FileClassification &file)
{
    // An answer that arrives after its check was replaced or canceled is stale.
    if (job != m_job)
        return;
    m_job.reset();
    rememberSongCheck(file);
    emit checked(file);
}
