#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Calls a function once a widget's window is exposed: the window manager has placed and mapped
// it, so a box centred over the window stands where the window is, not where it was before the
// window manager moved it. A window that is never exposed gets the call after a while anyway.
class WhenExposed : public QObject
{
public:
    static void call(QWidget *widget, std::function<void()> function);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WhenExposed(QWidget *widget, std::function<void()> function);
    void fire();

    std::function<void()> m_function;
    QTimer m_fallback;
};
