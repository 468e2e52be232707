#include "WhenExposed.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace {

constexpr int FallbackMs = 3000;

} // namespace

void WhenExposed::call(QWidget *widget, std::function<void()> function)
{
    const QWindow *window = widget->windowHandle();
    if (!window || window->isExposed()) {
        function();
        return;
    }
    new WhenExposed(widget, std::move(function));
}

WhenExposed::WhenExposed(QWidget *widget, std::function<void()> function)
    : QObject(widget)
    , m_function(std::move(function))
{
    widget->windowHandle()->installEventFilter(this);
    m_fallback.setSingleShot(true);
    connect(&m_fallback, &QTimer::timeout, this, &WhenExposed::fire);
    m_fallback.start(FallbackMs);
}

bool WhenExposed::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
        // After the window has taken the event: it knows its place then.
        QMetaObject::invokeMethod(this, &WhenExposed::fire, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void WhenExposed::fire()
{
    if (!m_function)
        return;
    const std::function<void()> function = std::exchange(m_function, {});
    deleteLater();
    function();
}
