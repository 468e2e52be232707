#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// What measuring an audio file found.
struct AudioLengthResult
{
    enum Status {
        Measured,  // seconds holds the decoded length
        NotAudio,  // cannot be opened, holds no audio stream, or nothing decodes
        TimedOut,  // the time budget ran out before the end was found
        Canceled,
    };
    Status status = NotAudio;
    double seconds = 0.0;
    // For Measured: the bytes from the file's start that hold all the audio measured, which is all
    // an encoder should read; -1 for the whole file.
    qint64 readLimit = -1;
};

// Measures the decoded length of an audio file without an output device. Bounded: reading stops
// at a long stretch that is not audio (zeros or junk after the last frame), and the whole run
// ends at `budgetMs` or once `cancel` is set. Never touches what a preview plays and never shows
// a message. A path of 4 bytes or fewer is not audio.
AudioLengthResult measureAudioLength(const QString &path, const std::atomic<bool> *cancel = nullptr,
                                     int budgetMs = 20000);

// measureAudioLength() for callers that only need the seconds: false (duration unchanged) unless
// the length was measured.
bool measureAudioFile(const QString &path, double &duration);

// The quick test of an audio file: it opens as audio and its first packets decode. Reads the
// header and a few packets, never the whole file, yet an Ogg comment header holding a huge picture
// is read whole by the demuxer: run it off the window's thread (SongChecker). It gives up, false,
// at `budgetMs` or once `cancel` is set.
bool probeAudioFile(const QString &path, const std::atomic<bool> *cancel = nullptr, int budgetMs = 3000);

// "h:mm:ss.mmm" with unpadded, unlimited hours: 83.5 gives "0:01:23.500".
QString formatDuration(double seconds);

// Measures files on a worker thread and delivers each length by signal on the thread it lives
// in. A new measure() or cancel() drops the one running: its result is never delivered. The
// destructor cancels and waits for the worker, which stops within one read.
class AudioLengthMeasurer : public QObject
{
    Q_OBJECT

public:
    explicit AudioLengthMeasurer(QObject *parent = nullptr);
    ~AudioLengthMeasurer() override;

    void measure(const QString &path);
    void cancel();
    bool isMeasuring() const { return !m_path.isEmpty(); }
    // The file being measured; empty when none is.
    const QString &path() const { return m_path; }

signals:
    void measured(const QString &path, AudioLengthResult result);

private:
    struct Job;
    void finish(const std::shared_ptr<Job> &job, AudioLengthResult result);

    std::shared_ptr<Job> m_job;
    QString m_path;
    class QThreadPool *m_pool;
};

Q_DECLARE_METATYPE(AudioLengthResult)
