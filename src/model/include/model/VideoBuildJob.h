#pragma once

#include "model/VideoBuild.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryFile;
class QTimer;
class ToolRun;
template <typename T>
class QFutureWatcher;

// One video build: the encoder runs on a private copy of the picture and the audio, the job
// reports how far it has come, and it ends with an outcome once the encoder has stopped.
// Each encoder pass runs on its own and the next one starts from its end, so any number of jobs
// run side by side. The video is written to a hidden name beside the output and takes the
// output's name only once it is whole; until then a file already at the output path stays as it
// was. A job may be destroyed at any time: its encoder stops and what it wrote goes.
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
    // An MP4 piece made from the request's picture at its size by mp4PieceArguments(), shared by
    // builds from the same picture; set before start(). Without one the build encodes its own.
    void setMp4Piece(const QString &piecePath) { m_sharedPiece = piecePath; }
    // The encoder's process id while it runs, else 0.
    qint64 encoderProcessId() const;
    // Where the encoder writes the video until it is in place; empty before and after.
    QString partialOutputPath() const { return m_partialPath; }

public slots:
    // Queues the build, so it begins once the event loop runs; later calls do nothing.
    void start();
    // Stops the encoder, or keeps it from starting; once the encoder has ended it does nothing.
    void cancel();

signals:
    // position is within 0..progressMaximum(), percent within 0..100.
    void progressChanged(int position, int percent);
    // An encoder pass is starting with these arguments.
    void passStarted(const QStringList &arguments);
    // The MP4 has been written and its check has begun.
    void checkStarted();
    // The encoder has stopped and its run is judged: Cancel no longer means anything.
    void encoderEnded(BuildOutcome outcome);
    // After encoderEnded(), once the end state has been on screen long enough to be read.
    void finished(BuildOutcome outcome, const QString &failureReason);

private:
    // Ending: the encoder has stopped and the end state is on screen for its pause.
    enum class Stage { Ready, Started, Ending, Finished };
    // The encoder's runs: one for WebM and MPEG-1, two for MP4 (its piece, then the muxing).
    enum class Pass { Video, Mp4Piece, Mp4Mux };

    void run();
    // The MP4 build: a piece of video and the audio first, then the two muxed, then the check.
    void startMp4(const QString &picture);
    QString mp4PiecePath() const;
    // The song's audio has been tested on a worker thread: copied when it is AAC-LC throughout.
    void audioTested();
    void startPass(Pass pass, const QStringList &arguments, const QString &writtenPath, bool countsProgress);
    void passEnded(const ToolResult &result);
    // The written MP4 is checked on a worker thread.
    void startMp4Check();
    void mp4Checked();
    // Gives the checked video the output's name, replacing what was there.
    void placeOutput();
    void endRun(const BuildVerdict &verdict);
    // Removes the partly or wrongly written video: the one place that deletes what a build wrote.
    void discardOutput();
    void releaseTempFiles();
    // The program is ending on a signal: the encoder stops and what it wrote goes, at once.
    void stopForTermination();
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
    Pass m_pass = Pass::Video;
    // The pass running now and the file it writes.
    ToolRun *m_run = nullptr;
    QString m_passOutput;
    // The hidden name beside the output that the video is written to; empty when nothing is there
    // that this build wrote.
    QString m_partialPath;
    std::unique_ptr<QTemporaryFile> m_pictureCopy;
    // The MP4 build's piece of video and encoded audio, gone when the build ends.
    std::unique_ptr<QTemporaryFile> m_piece;
    std::unique_ptr<QTemporaryFile> m_encodedAudio;
    QString m_mp4Picture;
    QString m_mp4Audio;
    QString m_sharedPiece;
    bool m_copiesAudio = false;
    QFutureWatcher<bool> *m_audioTest = nullptr;
    QFutureWatcher<QString> *m_check = nullptr;
    QTimer *m_pauseTimer;
};
