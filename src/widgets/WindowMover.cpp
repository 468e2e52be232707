#include "widgets/WindowMover.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

WindowMover::WindowMover(QWidget *window, int resizeMargin)
    : QObject(window)
    , m_window(window)
    , m_resizeMargin(resizeMargin)
{
    m_window->installEventFilter(this);
}

Qt::Edges WindowMover::edgesAt(const QPoint &pos, const QSize &size, int margin)
{
    Qt::Edges edges;
    if (pos.x() < margin)
        edges |= Qt::LeftEdge;
    if (pos.x() >= size.width() - margin)
        edges |= Qt::RightEdge;
    if (pos.y() < margin)
        edges |= Qt::TopEdge;
    if (pos.y() >= size.height() - margin)
        edges |= Qt::BottomEdge;
    return edges;
}

Qt::CursorShape WindowMover::resizeCursor(Qt::Edges edges)
{
    const bool across = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool down = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (across && down)
        return edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge)
            ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    if (across)
        return Qt::SizeHorCursor;
    return down ? Qt::SizeVerCursor : Qt::ArrowCursor;
}

bool WindowMover::isWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

Qt::Edges WindowMover::resizeEdgesAt(const QPoint &pos) const
{
    if (m_resizeMargin <= 0 || m_window->isMaximized())
        return {};
    return edgesAt(pos, m_window->size(), m_resizeMargin);
}

std::optional<QPoint> WindowMover::serverPosition(const QWindow *window)
{
    const std::optional<QRect> client = serverGeometry(window);
    return client ? std::optional<QPoint>(client->topLeft()) : std::nullopt;
}

std::optional<QRect> WindowMover::serverGeometry(const QWindow *window)
{
    // Other platforms may answer for the X11 interface without a connection behind it.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb") || !window || !window->handle())
        return std::nullopt;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    const auto free = [](void *reply) { std::free(reply); };
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), free);
    if (!geometry)
        return std::nullopt;
    const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(free)> root(
        xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0),
                                        nullptr),
        free);
    if (!root)
        return std::nullopt;
    const qreal ratio = window->devicePixelRatio();
    return QRect(qRound(root->dst_x / ratio), qRound(root->dst_y / ratio), qRound(geometry->width / ratio),
                 qRound(geometry->height / ratio));
}

QRect WindowMover::serverFrameGeometry(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    const std::optional<QRect> client = serverGeometry(handle);
    return client ? client->marginsAdded(handle->frameMargins()) : window->frameGeometry();
}

QPoint WindowMover::serverMapToGlobal(const QWidget *widget, const QPoint &pos)
{
    const QWidget *window = widget->window();
    const std::optional<QPoint> client = serverPosition(window->windowHandle());
    return client ? *client + widget->mapTo(window, pos) : widget->mapToGlobal(pos);
}

void WindowMover::matchServerPosition()
{
    QWindow *handle = m_window->windowHandle();
    if (!handle || !handle->isExposed() || m_dragging)
        return;
    // Under openbox Qt may keep the first placement's (0,0) while the window stands elsewhere,
    // which misplaces everything Qt maps to the screen until the window is moved. Asking for the
    // place it already has brings the window manager's answer that sets Qt right.
    const std::optional<QPoint> server = serverPosition(handle);
    if (server && *server != handle->position())
        handle->setPosition(*server);
}

bool WindowMover::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window->windowHandle()
        && (event->type() == QEvent::Expose || event->type() == QEvent::Move)) {
        matchServerPosition();
        return false;
    }
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::WinIdChange:
        case QEvent::Show:
            if (QWindow *handle = m_window->windowHandle())
                handle->installEventFilter(this);
            break;
        case QEvent::MouseButtonPress:
            return press(static_cast<QMouseEvent *>(event));
        case QEvent::MouseMove:
            return move(static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                m_dragging = false;
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool WindowMover::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const Qt::Edges edges = resizeEdgesAt(event->position().toPoint());
    QWindow *handle = m_window->windowHandle();
    if (!edges || !handle || !handle->startSystemResize(edges)) {
        m_pressPos = event->globalPosition().toPoint();
        m_grabOffset = m_pressPos - m_window->frameGeometry().topLeft();
        // Qt keeps the mouse grabbed for the window until the button comes up, also outside it.
        m_dragging = true;
    }
    event->accept();
    return true;
}

bool WindowMover::move(QMouseEvent *event)
{
    if (!m_dragging) {
        if (m_resizeMargin > 0) {
            const Qt::Edges edges = resizeEdgesAt(event->position().toPoint());
            if (edges)
                m_window->setCursor(resizeCursor(edges));
            else
                m_window->unsetCursor();
        }
        return false;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (!isWayland()) {
        m_window->move(global - m_grabOffset);
        return true;
    }
    // Hand the drag to the compositor once the pointer has really moved.
    if ((global - m_pressPos).manhattanLength() >= QGuiApplication::styleHints()->startDragDistance()
        && m_window->windowHandle()) {
        m_dragging = false;
        m_window->windowHandle()->startSystemMove();
    }
    return true;
}
