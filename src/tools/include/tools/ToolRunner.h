#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Receives each line of a tool's output while the tool runs.
using ToolLineHandler = std::function<void(const QString &line)>;

// Gathers a tool's output and hands it on line by line: a line ends at CR or LF, so every redraw
// of a status line is one line, however many arrive in one read. A line that runs to Capacity
// bytes without an end is handed on in pieces of Capacity - 1 bytes, so the buffer stays small.
class ToolLineBuffer
{
public:
    static constexpr int Capacity = 1024;

    explicit ToolLineBuffer(ToolLineHandler handler);
    void feed(const QByteArray &chunk);
    QByteArray pending() const { return m_buffer; }

private:
    void send(const QByteArray &text);

    ToolLineHandler m_handler;
    QByteArray m_buffer;
};

struct ToolResult
{
    enum class Status {
        Finished,       // the tool ran and exited by itself
        Canceled,       // stopped by cancel() or stopNow()
        FailedToStart,  // missing, not executable, ...
        Crashed,        // killed by a signal it did not ask for
        TimedOut,       // ran past the run's time limit and was killed
    };

    Status status = Status::FailedToStart;
    int exitCode = -1;
    // Standard output and error, merged, in the order written; of a long output only the last
    // OutputTailBytes or so, starting at a line.
    QString output;
    QString errorString;    // why the tool could not start

    // The tool was started (and ended or was stopped).
    bool started() const { return status != Status::FailedToStart; }
    bool canceled() const { return status == Status::Canceled; }
    // Ended by itself with exit code 0.
    bool succeeded() const { return status == Status::Finished && exitCode == 0; }
};

// One run of an external tool, as a job: start() returns at once and finished() reports the
// result from the event loop, exactly once; nothing polls and nothing sleeps, so any number of
// runs go on side by side. The tool leads a process group of its own: a cancel, a time-out, a
// termination signal or the run's destruction ends the tool together with every process it
// started.
class ToolRun : public QObject
{
    Q_OBJECT

public:
    // How much of a tool's output a run keeps (the end of it).
    static constexpr qsizetype OutputTailBytes = 8 * 1024 * 1024;

    ToolRun(QString toolPath, QStringList arguments, QObject *parent = nullptr);
    // A tool still running is ended with its group and reaped; finished() is not sent then.
    ~ToolRun() override;

    void setLineHandler(ToolLineHandler handler) { m_lineHandler = std::move(handler); }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Starts the tool; later calls do nothing. A tool that cannot start, or a run cancelled
    // before it started, still reports through finished(), from the event loop.
    void start();
    // Ends the tool's process group; finished() then reports Status::Canceled.
    void cancel();
    bool cancelRequested() const { return m_cancelRequested; }
    // Ends the tool's whole process group at once and reaps it before returning: for a program
    // that is about to end. finished() reports Status::Canceled.
    void stopNow();
    bool isFinished() const { return m_state == State::Finished; }
    // The result once finished() was sent.
    const ToolResult &result() const { return m_result; }
    // Process id while running (tests and benchmarks watch the child).
    qint64 processId() const;

    // Starts the tool and waits for its end, without user input. Only for the start-up checks
    // (the tools' identities, the font list), which run before any window can be used.
    ToolResult exec();

signals:
    void finished(const ToolResult &result);

private:
    enum class State { Ready, Running, Finished };
    struct Private;

    void endProcessGroup();
    void drain();
    void processEnded();
    void finishWith(ToolResult::Status status, const QString &errorString = {});

    QString m_toolPath;
    QStringList m_arguments;
    ToolLineHandler m_lineHandler;
    int m_timeoutMs = 0;
    bool m_cancelRequested = false;
    bool m_timedOut = false;
    bool m_startFailed = false;
    State m_state = State::Ready;
    ToolResult m_result;
    std::unique_ptr<Private> d;
};

// Runs a tool to its end and waits for it (ToolRun::exec): the start-up checks, tests and
// benchmarks; everything else starts a ToolRun and reacts to finished().
ToolResult runTool(const QString &toolPath, const QStringList &arguments,
                   const ToolLineHandler &lineHandler = {});
