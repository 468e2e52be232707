#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

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
        Canceled,       // stopped by requestCancel()
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

// One run of an external tool. exec() waits in a nested event loop, so windows stay responsive,
// timers fire and handlers may start nested runs; nothing polls and nothing sleeps.
// Each run owns its line buffer and its cancel flag. The tool leads a process group of its own:
// a cancel, a time-out or a termination signal ends the tool together with every process it
// started.
class ToolRun
{
public:
    // How much of a tool's output a run keeps (the end of it).
    static constexpr qsizetype OutputTailBytes = 8 * 1024 * 1024;

    enum class UserInput {
        Deferred,   // keyboard and mouse wait until the tool has ended (image tool)
        Allowed,    // the user can press Cancel while the tool runs (encoder)
    };

    ToolRun(QString toolPath, QStringList arguments);
    ~ToolRun();
    ToolRun(const ToolRun &) = delete;
    ToolRun &operator=(const ToolRun &) = delete;

    void setLineHandler(ToolLineHandler handler) { m_lineHandler = std::move(handler); }
    // May be changed while the tool runs: allowing input then takes effect at once (a window that
    // offers a way out must get its clicks).
    void setUserInput(UserInput input);
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    void setWorkingDirectory(const QString &dir) { m_workingDirectory = dir; }

    ToolResult exec();

    // cancelRequested: kills the tool; exec() then returns with Status::Canceled.
    void requestCancel();
    bool cancelRequested() const { return m_cancelRequested; }
    bool isRunning() const { return m_running; }
    // Ends the tool's whole process group at once and waits until the tool is gone; exec() then
    // returns with Status::Canceled. For a program that is about to end.
    void stopNow();
    // Process id while running (tests and benchmarks watch the child).
    qint64 processId() const;

private:
    struct Private;
    void endProcessGroup();

    QString m_toolPath;
    QStringList m_arguments;
    ToolLineHandler m_lineHandler;
    UserInput m_userInput = UserInput::Deferred;
    int m_timeoutMs = 0;
    QString m_workingDirectory;
    bool m_cancelRequested = false;
    bool m_running = false;
    Private *d = nullptr;
};

// Runs a tool to its end: the one way the program starts its tools.
ToolResult runTool(const QString &toolPath, const QStringList &arguments,
                   const ToolLineHandler &lineHandler = {},
                   ToolRun::UserInput input = ToolRun::UserInput::Deferred);
