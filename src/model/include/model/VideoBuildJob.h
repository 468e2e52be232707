#pragma once

#include "model/VideoBuild.h"

#include <QObject>
#include <QString>

#include <memory>

class QTemporaryFile;
class QTimer;
class ToolRun;

// One video build: the encoder runs on a private copy of the picture and the audio, the job
// reports how far it has come, and it ends with an outcome once the encoder has stopped.
// The encoder runs in a nested event loop (ToolRun::exec) inside a queued call, so windows stay
// live and a cancel gets through; the job must not be destroyed while its encoder runs.
class VideoBuildJob : public QObject
{
    Q_OBJECT

public:
    explicit VideoBuildJob(VideoBuildRequest request, QObject *parent = nullptr);
    ~VideoBuildJob() override;

    const VideoBuildRequest &request() const { return m_request; }
    // The position that stands for the whole audio (see progressRange()).
    int progressMaximum() const { return m_progressMaximum; }
    bool isFinished() const { return m_stage == Stage::Finished; }
    // How the build ended; meaningful once finished() was sent.
    BuildOutcome outcome() const { return m_outcome; }
    // For BuildOutcome::Failed: why, in a form the user can read.
    QString failureReason() const { return m_failureReason; }
    // The encoder's process id while it runs, else 0.
    qint64 encoderProcessId() const;

public slots:
    // Queues the build, so it begins once the event loop runs; later calls do nothing.
    void start();
    // Stops the encoder, or keeps it from starting; once the encoder has ended it does nothing.
    void cancel();

signals:
    // position is within 0..progressMaximum(), percent within 0..100.
    void progressChanged(int position, int percent);
    // The encoder has stopped and its run is judged: Cancel no longer means anything.
    void encoderEnded(BuildOutcome outcome);
    // After encoderEnded(), once the end state has been on screen long enough to be read.
    void finished(BuildOutcome outcome, const QString &failureReason);

private:
    // Ending: the encoder has stopped and the end state is on screen for its pause.
    enum class Stage { Ready, Started, Ending, Finished };

    void run();
    // The MP4 build: a piece of video and the audio first, then the two muxed, then the check.
    void runMp4(const QString &picture);
    // Runs one encoder pass; false when the build must end (its outcome is then set).
    bool runEncoderPass(const QStringList &arguments, const QString &outputPath, bool countsProgress);
    // The written MP4 checked on a worker thread; the event loop runs meanwhile.
    QString checkWrittenMp4();
    void endRun(const BuildVerdict &verdict, bool outputTouched);
    void statusLine(const QString &line);
    bool makePrivatePictureCopy(QString &copyPath);
    std::unique_ptr<QTemporaryFile> makeTempFile(const QString &pattern);
    void end(BuildOutcome outcome, int pauseMs);
    void finish();

    VideoBuildRequest m_request;
    int m_progressMaximum;
    Stage m_stage = Stage::Ready;
    bool m_cancelRequested = false;
    bool m_countsProgress = true;
    int m_lastPosition = 0;
    BuildOutcome m_outcome = BuildOutcome::Failed;
    QString m_failureReason;
    ToolRun *m_run = nullptr;
    std::unique_ptr<QTemporaryFile> m_pictureCopy;
    // The MP4 build's piece of video and encoded audio, gone when the build ends.
    std::unique_ptr<QTemporaryFile> m_piece;
    std::unique_ptr<QTemporaryFile> m_encodedAudio;
    QTimer *m_pauseTimer;
};
