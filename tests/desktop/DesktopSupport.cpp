#include "DesktopSupport.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTest>

namespace Desktop {

namespace {

// Runs a program and waits for its end with the event loop running.
bool runTool(const QString &program, const QStringList &arguments, QString *output, int timeoutMs = 15000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(5);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

int number(const QString &text, const QString &label)
{
    const QRegularExpression re(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

bool xdotool(const QStringList &arguments, QString *output)
{
    return runTool(QStringLiteral("xdotool"), arguments, output);
}

bool movePointer(const QPoint &global)
{
    // --sync waits for the pointer to move, which it never does when it stands there already.
    if (pointerPosition() == global)
        return true;
    return xdotool({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
}

bool click(const QPoint &global, int button)
{
    return movePointer(global) && xdotool({"click", QString::number(button)});
}

bool pressKeys(const QStringList &keys)
{
    return xdotool(QStringList{"key", "--delay", "30"} + keys);
}

QPoint pointerPosition()
{
    QString out;
    if (!xdotool({"getmouselocation", "--shell"}, &out))
        return {};
    const QRegularExpression re(QStringLiteral("X=(\\d+)\\s+Y=(\\d+)"));
    const QRegularExpressionMatch m = re.match(out);
    return m.hasMatch() ? QPoint(m.captured(1).toInt(), m.captured(2).toInt()) : QPoint();
}

ServerWindow serverWindow(WId window)
{
    ServerWindow result;
    QString info;
    if (!runTool(QStringLiteral("xwininfo"), {"-id", QString::number(window)}, &info))
        return result;
    result.viewable = info.contains(QLatin1String("Map State: IsViewable"));
    result.client = QRect(number(info, "Absolute upper-left X"), number(info, "Absolute upper-left Y"),
                          number(info, "Width"), number(info, "Height"));
    QString extents;
    if (runTool(QStringLiteral("xprop"), {"-id", QString::number(window), "_NET_FRAME_EXTENTS"}, &extents)) {
        const QRegularExpression re(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"));
        const QRegularExpressionMatch m = re.match(extents);
        if (m.hasMatch()) {
            result.framed = true;
            result.frame = QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(),
                                    m.captured(4).toInt());
        }
    }
    return result;
}

ServerWindow waitForSettledWindow(WId window, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    ServerWindow last;
    int same = 0;
    while (!deadline.hasExpired()) {
        const ServerWindow now = serverWindow(window);
        if (now.viewable && now.framed && now.client == last.client && now.frame == last.frame) {
            if (++same >= 3)
                return now;
        } else {
            same = 0;
        }
        last = now;
        QTest::qWait(20);
    }
    return last;
}

ServerWindow waitForSettledWindow(QWidget *widget, int timeoutMs)
{
    QWidget *window = widget->window();
    if (!QTest::qWaitForWindowExposed(window, timeoutMs))
        return {};
    return waitForSettledWindow(window->winId(), timeoutMs);
}

DragSource::DragSource(const QStringList &paths)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(VELMORA_DRAG_SOURCE), paths);
    QByteArray line;
    if (m_process.waitForStarted(5000) && waitForLine("ready ", &line, 15000)) {
        const WId window = line.mid(6).trimmed().toULongLong();
        if (waitForSettledWindow(window).viewable)
            m_window = window;
    }
}

DragSource::~DragSource()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

bool DragSource::waitForLine(const QByteArray &prefix, QByteArray *line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        m_output += m_process.readAllStandardOutput();
        int end;
        while ((end = m_output.indexOf('\n')) >= 0) {
            const QByteArray next = m_output.left(end);
            m_output.remove(0, end + 1);
            if (next.startsWith(prefix)) {
                if (line)
                    *line = next;
                return true;
            }
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(5);
    }
}

QString DragSource::dragTo(const QPoint &target, const std::function<bool()> &arrived)
{
    if (!m_window)
        return {};
    const QRect source = serverWindow(m_window).client;
    if (!movePointer(source.center()) || !xdotool({"mousedown", "1"}))
        return {};
    if (!waitForLine("started", nullptr, 10000)) {
        xdotool({"mouseup", "1"});
        return {};
    }
    // Several steps, as a hand moves: each motion is one position message to the window below.
    const QPoint start = source.center();
    constexpr int Steps = 8;
    for (int i = 1; i <= Steps; ++i)
        movePointer(start + (target - start) * i / Steps);
    if (arrived) {
        QDeadlineTimer deadline(10000);
        while (!arrived() && !deadline.hasExpired()) {
            // A small move keeps the position messages coming, as the drag protocol expects.
            movePointer(target + QPoint(deadline.remainingTime() % 2, 0));
            QTest::qWait(20);
        }
    }
    xdotool({"mouseup", "1"});
    QByteArray line;
    if (!waitForLine("ended ", &line, 10000))
        return {};
    return QString::fromLatin1(line.mid(6).trimmed());
}

} // namespace Desktop
