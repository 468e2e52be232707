#pragma once

#include <QString>

#include <sys/types.h>

// A private X server (Xvfb) for tests that send real X input. It picks a free display number
// itself (-displayfd), so runs side by side never share one; it stops with the object. Plain
// POSIX, so it can start before the QApplication that is to use it.
class VirtualDisplay
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    // Starts the server and waits until it takes connections; false with *error set otherwise.
    bool start(QString *error = nullptr);
    // ":N" once started.
    QString name() const { return m_name; }

private:
    bool startOnce(QString *error);
    void stop();

    pid_t m_pid = -1;
    QString m_name;
};
