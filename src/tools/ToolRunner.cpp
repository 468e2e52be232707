#include "tools/ToolRunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

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
    if (m_buffer.size() + chunk.size() >= Capacity) {
        // Without a line end in sight, pass the text on as it stands rather than grow.
        const QByteArray buffered = m_buffer;
        m_buffer.clear();
        send(buffered);
        send(chunk);
        return;
    }
    m_buffer += chunk;
    for (;;) {
        int end = -1;
        for (int i = 0; i < m_buffer.size(); ++i) {
            if (m_buffer.at(i) == '\r' || m_buffer.at(i) == '\n') {
                end = i;
                break;
            }
        }
        if (end < 0)
            break;
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        // An empty line (the LF of a CR LF pair) carries nothing.
        send(line);
    }
}

struct ToolRun::Private
{
    QProcess process;
    QEventLoop loop;
    QByteArray output;
    ToolLineBuffer lines;
    bool startFailed = false;
    bool timedOut = false;

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
        if (wantLines)
            lines.feed(chunk);
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

void ToolRun::requestCancel()
{
    m_cancelRequested = true;
    if (d && d->process.state() != QProcess::NotRunning)
        d->process.kill();
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
    if (!m_workingDirectory.isEmpty())
        p.process.setWorkingDirectory(m_workingDirectory);

    QObject::connect(&p.process, &QProcess::readyRead, &p.loop, [&p, wantLines] { p.drain(wantLines); });
    QObject::connect(&p.process, &QProcess::finished, &p.loop, [&p] { p.loop.quit(); });
    QObject::connect(&p.process, &QProcess::errorOccurred, &p.loop, [&p](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            p.startFailed = true;
            p.loop.quit();
        }
    });
    QTimer timeout;
    if (m_timeoutMs > 0) {
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &p.loop, [&p] {
            p.timedOut = true;
            p.process.kill();
        });
    }

    if (m_cancelRequested) {
        result.status = ToolResult::Status::Canceled;
    } else {
        p.process.start(m_toolPath, m_arguments, QIODevice::ReadOnly);
        if (!p.startFailed) {
            if (m_timeoutMs > 0)
                timeout.start(m_timeoutMs);
            p.loop.exec(m_userInput == UserInput::Deferred ? QEventLoop::ExcludeUserInputEvents
                                                           : QEventLoop::AllEvents);
        }
        if (p.startFailed) {
            result.status = ToolResult::Status::FailedToStart;
            result.errorString = p.process.errorString();
        } else {
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
    result.output = QString::fromLocal8Bit(p.output);
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
