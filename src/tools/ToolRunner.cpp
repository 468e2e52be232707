#include "tools/ToolRunner.h"

#include "base/TerminationSignals.h"

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

namespace {

// The value with which a run's loop is left to be entered again with other flags.
constexpr int ReenterLoop = 2;

} // namespace

ToolLineBuffer::ToolLineBuffer(ToolLineHandler handler)
    : m_handler(std::move(handler))
{
}

void ToolLineBuffer::send(const QByteArray &text)
{
    if (!text.isEmpty() && m_handler)
        m_handler(QString::fromLocal8Bit(text));
}

void ToolLineBuffer::feed(const QByteArray &chunk)
{
    m_buffer += chunk;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_buffer.size(); ++i) {
        const char c = m_buffer.at(i);
        if (c == '\r' || c == '\n') {
            // An empty line (the LF of a CR LF pair) carries nothing.
            send(m_buffer.mid(start, i - start));
            start = i + 1;
        } else if (i - start + 1 >= Capacity - 1) {
            send(m_buffer.mid(start, i - start + 1));
            start = i + 1;
        }
    }
    m_buffer.remove(0, start);
}

struct ToolRun::Private
{
    QProcess process;
    QEventLoop loop;
    QByteArray output;
    bool truncated = false; // the front of the output was dropped
    ToolLineBuffer lines;
    bool startFailed = false;
    bool timedOut = false;
    bool ended = false;

    explicit Private(ToolLineHandler handler)
        : lines(std::move(handler))
    {
    }

    void drain(bool wantLines)
    {
        const QByteArray chunk = process.readAll();
        if (chunk.isEmpty())
            return;
        output += chunk;
        // Cut back only once twice the tail has piled up, so the copying stays linear.
        if (output.size() > 2 * OutputTailBytes) {
            output.remove(0, output.size() - OutputTailBytes);
            truncated = true;
        }
        if (wantLines)
            lines.feed(chunk);
    }

    QByteArray keptOutput() const
    {
        if (!truncated && output.size() <= OutputTailBytes)
            return output;
        QByteArray tail = output.right(OutputTailBytes);
        // Begin at a line, not inside one (or inside a character).
        const qsizetype lineEnd = tail.indexOf('\n');
        if (lineEnd >= 0)
            tail.remove(0, lineEnd + 1);
        return tail;
    }
};

ToolRun::ToolRun(QString toolPath, QStringList arguments)
    : m_toolPath(std::move(toolPath))
    , m_arguments(std::move(arguments))
{
}

ToolRun::~ToolRun()
{
    Q_ASSERT(!m_running);
}

qint64 ToolRun::processId() const
{
    return d ? d->process.processId() : 0;
}

void ToolRun::endProcessGroup()
{
    if (!d)
        return;
    // The tool is not reaped before its finished() is handled, so its id still names its group.
    const qint64 pid = d->process.processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
}

void ToolRun::requestCancel()
{
    m_cancelRequested = true;
    endProcessGroup();
}

void ToolRun::stopNow()
{
    requestCancel();
    if (d && d->process.state() != QProcess::NotRunning)
        d->process.waitForFinished(5000);
}

void ToolRun::setUserInput(UserInput input)
{
    const bool widened = m_running && input == UserInput::Allowed && m_userInput != input;
    m_userInput = input;
    // exec() enters its loop again with the wider flags.
    if (widened && d)
        d->loop.exit(ReenterLoop);
}

ToolResult ToolRun::exec()
{
    ToolResult result;
    if (m_toolPath.isEmpty()) {
        result.errorString = QStringLiteral("No tool path");
        return result;
    }

    Private p(m_lineHandler);
    d = &p;
    m_running = true;
    const bool wantLines = bool(m_lineHandler);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The program reads fixed English texts from the tools.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.process.setProcessEnvironment(env);
    p.process.setProcessChannelMode(QProcess::MergedChannels);
    p.process.setStandardInputFile(QProcess::nullDevice());
    // A group of its own: whatever the tool starts can be ended with it, and a Ctrl+C in the
    // terminal reaches the program, which then ends its tools itself.
    p.process.setChildProcessModifier([] { ::setpgid(0, 0); });
    if (!m_workingDirectory.isEmpty())
        p.process.setWorkingDirectory(m_workingDirectory);

    QObject::connect(&p.process, &QProcess::readyRead, &p.loop, [&p, wantLines] { p.drain(wantLines); });
    QObject::connect(&p.process, &QProcess::finished, &p.loop, [&p] {
        p.ended = true;
        p.loop.quit();
    });
    QObject::connect(&p.process, &QProcess::errorOccurred, &p.loop, [&p](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            p.startFailed = true;
            p.ended = true;
            p.loop.quit();
        }
    });
    QTimer timeout;
    if (m_timeoutMs > 0) {
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &p.loop, [this, &p] {
            p.timedOut = true;
            endProcessGroup();
        });
    }

    if (m_cancelRequested) {
        result.status = ToolResult::Status::Canceled;
    } else {
        p.process.start(m_toolPath, m_arguments, QIODevice::ReadOnly);
        if (!p.startFailed) {
            if (m_timeoutMs > 0)
                timeout.start(m_timeoutMs);
            const QMetaObject::Connection stop = QObject::connect(
                &TerminationSignals::instance(), &TerminationSignals::received, &p.loop, [this] { stopNow(); });
            while (!p.ended) {
                const int why = p.loop.exec(m_userInput == UserInput::Deferred ? QEventLoop::ExcludeUserInputEvents
                                                                               : QEventLoop::AllEvents);
                // Anything but a request to come back (the application quitting) ends the wait.
                if (why != ReenterLoop)
                    break;
            }
            QObject::disconnect(stop);
        }
        if (p.startFailed) {
            result.status = ToolResult::Status::FailedToStart;
            result.errorString = p.process.errorString();
        } else {
            // The loop may also have ended because the application quits: the tool goes then.
            if (!p.ended)
                requestCancel();
            // A tool's last words (an error line) may still sit in the pipe after it ended.
            p.process.waitForFinished(-1);
            p.drain(wantLines);
            result.exitCode = p.process.exitCode();
            if (m_cancelRequested)
                result.status = ToolResult::Status::Canceled;
            else if (p.timedOut)
                result.status = ToolResult::Status::TimedOut;
            else if (p.process.exitStatus() == QProcess::CrashExit)
                result.status = ToolResult::Status::Crashed;
            else
                result.status = ToolResult::Status::Finished;
        }
    }
    result.output = QString::fromLocal8Bit(p.keptOutput());
    m_running = false;
    d = nullptr;
    return result;
}

ToolResult runTool(const QString &toolPath, const QStringList &arguments,
                   const ToolLineHandler &lineHandler, ToolRun::UserInput input)
{
    ToolRun run(toolPath, arguments);
    run.setLineHandler(lineHandler);
    run.setUserInput(input);
    return run.exec();
}
