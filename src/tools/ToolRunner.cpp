#include "tools/ToolRunner.h"

#include "base/TerminationSignals.h"

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

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
    QTimer timeout;
    QByteArray output;
    bool truncated = false; // the front of the output was dropped
    ToolLineBuffer lines;
    QMetaObject::Connection termination;

    explicit Private(ToolLineHandler handler)
        : lines(std::move(handler))
    {
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

ToolRun::ToolRun(QString toolPath, QStringList arguments, QObject *parent)
    : QObject(parent)
    , m_toolPath(std::move(toolPath))
    , m_arguments(std::move(arguments))
{
}

ToolRun::~ToolRun()
{
    if (m_state != State::Running || !d)
        return;
    // Nobody is left to hear of the end: the tool and its group go quietly.
    QObject::disconnect(d->termination);
    d->process.disconnect(this);
    endProcessGroup();
    d->process.waitForFinished(5000);
}

qint64 ToolRun::processId() const
{
    return d && m_state == State::Running ? d->process.processId() : 0;
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

void ToolRun::cancel()
{
    if (m_state == State::Finished)
        return;
    m_cancelRequested = true;
    if (m_state == State::Running)
        endProcessGroup();
}

void ToolRun::stopNow()
{
    cancel();
    if (m_state == State::Running && d && d->process.state() != QProcess::NotRunning)
        d->process.waitForFinished(5000);
}

void ToolRun::drain()
{
    const QByteArray chunk = d->process.readAll();
    if (chunk.isEmpty())
        return;
    d->output += chunk;
    // Cut back only once twice the tail has piled up, so the copying stays linear.
    if (d->output.size() > 2 * OutputTailBytes) {
        d->output.remove(0, d->output.size() - OutputTailBytes);
        d->truncated = true;
    }
    if (m_lineHandler)
        d->lines.feed(chunk);
}

void ToolRun::finishWith(ToolResult::Status status, const QString &errorString)
{
    if (m_state == State::Finished)
        return;
    m_state = State::Finished;
    m_result.status = status;
    m_result.errorString = errorString;
    if (d) {
        QObject::disconnect(d->termination);
        d->timeout.stop();
        m_result.output = QString::fromLocal8Bit(d->keptOutput());
    }
    emit finished(m_result);
}

void ToolRun::processEnded()
{
    if (m_state != State::Running || m_startFailed)
        return;
    // A tool's last words (an error line) may still sit in the pipe after it ended.
    drain();
    m_result.exitCode = d->process.exitCode();
    if (m_cancelRequested)
        finishWith(ToolResult::Status::Canceled);
    else if (m_timedOut)
        finishWith(ToolResult::Status::TimedOut);
    else if (d->process.exitStatus() == QProcess::CrashExit)
        finishWith(ToolResult::Status::Crashed);
    else
        finishWith(ToolResult::Status::Finished);
}

void ToolRun::start()
{
    if (m_state != State::Ready)
        return;
    m_state = State::Running;
    // Reported from the event loop, so a caller connects to finished() after start() as well.
    const auto finishLater = [this](ToolResult::Status status, const QString &why) {
        QMetaObject::invokeMethod(
            this, [this, status, why] { finishWith(status, why); }, Qt::QueuedConnection);
    };
    if (m_cancelRequested) {
        finishLater(ToolResult::Status::Canceled, {});
        return;
    }
    if (m_toolPath.isEmpty()) {
        finishLater(ToolResult::Status::FailedToStart, QStringLiteral("No tool path"));
        return;
    }

    d = std::make_unique<Private>(m_lineHandler);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The program reads fixed English texts from the tools.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    d->process.setProcessEnvironment(env);
    d->process.setProcessChannelMode(QProcess::MergedChannels);
    d->process.setStandardInputFile(QProcess::nullDevice());
    // A group of its own: whatever the tool starts can be ended with it, and a Ctrl+C in the
    // terminal reaches the program, which then ends its tools itself.
    d->process.setChildProcessModifier([] { ::setpgid(0, 0); });

    connect(&d->process, &QProcess::readyRead, this, &ToolRun::drain);
    connect(&d->process, &QProcess::finished, this, &ToolRun::processEnded);
    connect(&d->process, &QProcess::errorOccurred, this, [this, finishLater](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && !m_startFailed) {
            m_startFailed = true;
            finishLater(ToolResult::Status::FailedToStart, d->process.errorString());
        }
    });
    if (m_timeoutMs > 0) {
        d->timeout.setSingleShot(true);
        connect(&d->timeout, &QTimer::timeout, this, [this] {
            m_timedOut = true;
            endProcessGroup();
        });
    }
    d->process.start(m_toolPath, m_arguments, QIODevice::ReadOnly);
    if (m_startFailed)
        return;
    if (m_timeoutMs > 0)
        d->timeout.start(m_timeoutMs);
    // The program is ending on a signal: its tools go first.
    d->termination = connect(&TerminationSignals::instance(), &TerminationSignals::received, this,
                             &ToolRun::stopNow);
}

ToolResult ToolRun::exec()
{
    QEventLoop loop;
    connect(this, &ToolRun::finished, &loop, &QEventLoop::quit);
    start();
    if (m_state != State::Finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop may also have ended because the application quits: the tool goes then.
    if (m_state == State::Running) {
        stopNow();
        if (m_state == State::Running)
            finishWith(m_startFailed ? ToolResult::Status::FailedToStart : ToolResult::Status::Canceled,
                       m_startFailed ? d->process.errorString() : QString());
    }
    return m_result;
}

ToolResult runTool(const QString &toolPath, const QStringList &arguments, const ToolLineHandler &lineHandler)
{
    ToolRun run(toolPath, arguments);
    run.setLineHandler(lineHandler);
    return run.exec();
}
