#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

#include <optional>

class QMouseEvent;
class QSize;
class QWidget;
class QWindow;

// Lets the user move a window by dragging its body with the left button and, given a margin,
// resize it by its edges, showing the matching cursor there. It filters the window's own mouse
// events; presses on child controls never reach it. On X11 it also keeps Qt's idea of the
// window's position equal to the X server's while the window is placed and shown.
class WindowMover : public QObject
{
    Q_OBJECT

public:
    // A press within `resizeMargin` pixels of an edge resizes; 0 never resizes.
    explicit WindowMover(QWidget *window, int resizeMargin = 0);

    bool isDragging() const { return m_dragging; }

    // The edges of a window of `size` that `pos` lies within `margin` pixels of.
    static Qt::Edges edgesAt(const QPoint &pos, const QSize &size, int margin);
    // The cursor that shows a resize by those edges; the arrow for none.
    static Qt::CursorShape resizeCursor(Qt::Edges edges);
    // Wayland compositors ignore moves of top-level windows by the program itself.
    static bool isWayland();
    // The top-left corner of `window`'s client area as the X server has it, in Qt's coordinates;
    // nothing off X11 or before the window exists.
    static std::optional<QPoint> serverPosition(const QWindow *window);
    // Its client area, place and size, as the X server has it.
    static std::optional<QRect> serverGeometry(const QWindow *window);
    // The top-level `window`'s frame, and a point in it on the screen, where the X server has the
    // window. Qt was seen holding an old place or size, (0,0) or 1x1, for a while after the window
    // manager had placed and sized the window: long enough, on a busy machine, to misplace a
    // dialog opened beside it.
    static QRect serverFrameGeometry(const QWidget *window);
    static QPoint serverMapToGlobal(const QWidget *widget, const QPoint &pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool press(QMouseEvent *event);
    bool move(QMouseEvent *event);
    Qt::Edges resizeEdgesAt(const QPoint &pos) const;
    void matchServerPosition();

    QWidget *m_window;
    int m_resizeMargin;
    bool m_dragging = false;
    QPoint m_grabOffset; // cursor minus the window's top-left corner, in screen pixels
    QPoint m_pressPos;
};
