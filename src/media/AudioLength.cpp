#include "media/AudioLength.h"

#include "AudioInput.h"
#include "AudioStream.h"
#include "media/AudioError.h"

#include <QFile>
#include <QMetaObject>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <cstdint>

AudioLengthResult measureAudioLength(const QString &path, const std::atomic<bool> *cancel, int budgetMs)
{
    AudioLengthResult result;
    if (QFile::encodeName(path).size() <= 4)
        return result;
    AudioInput input;
    input.setBudget(cancel, std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs));
    const int64_t frames = input.open(path) == AudioOk ? input.measureFrames(AudioStream::Rate) : -1;
    if (input.interrupted()) {
        const bool canceled = cancel && cancel->load();
        result.status = canceled ? AudioLengthResult::Canceled : AudioLengthResult::TimedOut;
        return result;
    }
    // Nothing decoded: not a file anyone can play or build a video from.
    if (frames <= 0)
        return result;
    result.status = AudioLengthResult::Measured;
    result.seconds = double(frames) / AudioStream::Rate;
    result.readLimit = input.encoderReadLimit();
    return result;
}

bool measureAudioFile(const QString &path, double &duration)
{
    const AudioLengthResult result = measureAudioLength(path);
    if (result.status != AudioLengthResult::Measured)
        return false;
    duration = result.seconds;
    return true;
}

bool probeAudioFile(const QString &path, const std::atomic<bool> *cancel, int budgetMs)
{
    if (QFile::encodeName(path).size() <= 4)
        return false;
    AudioInput input;
    input.setBudget(cancel, std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs));
    return input.open(path) == AudioOk && input.decodesAtStart();
}

QString formatDuration(double seconds)
{
    // Every field comes from one count of whole milliseconds, so 2.3 reads .300, not .299.
    long long ms = 0;
    if (std::isfinite(seconds) && seconds > 0)
        ms = std::llround(std::min(seconds, 9.0e15) * 1000.0);
    const long long total = ms / 1000;
    return QString::asprintf("%lld:%02lld:%02lld.%03lld", total / 3600, total / 60 % 60,
                             total % 60, ms % 1000);
}

struct AudioLengthMeasurer::Job
{
    QString path;
    std::atomic<bool> cancel{false};
};

AudioLengthMeasurer::AudioLengthMeasurer(QObject *parent)
    : QObject(parent)
    , m_pool(new QThreadPool(this))
{
    qRegisterMetaType<AudioLengthResult>();
    // One file at a time is read; a canceled one stops within a read.
    m_pool->setMaxThreadCount(2);
}

AudioLengthMeasurer::~AudioLengthMeasurer()
{
    cancel();
    m_pool->waitForDone();
}

void AudioLengthMeasurer::measure(const QString &path)
{
    cancel();
    auto job = std::make_shared<Job>();
    job->path = path;
    m_job = job;
    m_path = path;
    // The destructor waits for the worker, so `this` outlives it; a queued call to a deleted
    // object is dropped.
    m_pool->start([this, job] {
        const AudioLengthResult result = measureAudioLength(job->path, &job->cancel);
        QMetaObject::invokeMethod(
            this, [this, job, result] { finish(job, result); }, Qt::QueuedConnection);
    });
}

void AudioLengthMeasurer::cancel()
{
    if (m_job)
        m_job->cancel = true;
    m_job.reset();
    m_path.clear();
}

void AudioLengthMeasurer::finish(const std::shared_ptr<Job> &job, AudioLengthResult result)
{
    // A result that arrives after its job was replaced or canceled is stale.
    if (job != m_job)
        return;
    m_job.reset();
    const QString path = m_path;
    m_path.clear();
    emit measured(path, result);
}
