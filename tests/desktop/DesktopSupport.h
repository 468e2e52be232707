#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>

// Real input and the X server's view of windows, for tests that run on the private desktop of
// desktop-session.sh (Xvfb with openbox). Every wait lets the event loop run, so the window under
// test answers the window manager and the drag protocol meanwhile.
namespace Desktop {

// Runs xdotool (XTest input: the server sees a real device) and waits for its end.
bool xdotool(const QStringList &arguments, QString *output = nullptr);
bool movePointer(const QPoint &global);
// Moves the pointer there, then presses and releases `button` (1 left, 3 right).
bool click(const QPoint &global, int button = 1);
// Key names as xdotool knows them ("Down", "Return"), sent to the window with the focus.
bool pressKeys(const QStringList &keys);
QPoint pointerPosition();

// A top-level window as the X server has it.
struct ServerWindow
{
    bool viewable = false;
    QRect client;     // the client area in screen coordinates
    QMargins frame;   // the window manager's decoration around it (_NET_FRAME_EXTENTS)
    bool framed = false;
    QRect frameRect() const { return client.marginsAdded(frame); }
};
ServerWindow serverWindow(WId window);
// Waits until the window is viewable, the window manager has framed it and its place has held
// for a few reads; the last reading, or an unviewable one after `timeoutMs`.
ServerWindow waitForSettledWindow(WId window, int timeoutMs = 10000);
// The same for a widget's top level: it shows, then settles.
ServerWindow waitForSettledWindow(QWidget *widget, int timeoutMs = 10000);

// The drag-source helper: a small window of its own process that drags the given files by XDND
// while the left button is held on it.
class DragSource : public QObject
{
public:
    explicit DragSource(const QStringList &paths);
    ~DragSource() override;
    bool isReady() const { return m_window != 0; }
    // A real drag: the button goes down on the source, the pointer travels to `target` in steps
    // (screen coordinates) and, once `arrived` holds (or at once when none is given), the button
    // comes up. The drop action the source reports ("copy", "none"...), or "" when it never ended.
    QString dragTo(const QPoint &target, const std::function<bool()> &arrived = {});

private:
    bool waitForLine(const QByteArray &prefix, QByteArray *line, int timeoutMs);

    QProcess m_process;
    QByteArray m_output;
    WId m_window = 0;
};

} // namespace Desktop
