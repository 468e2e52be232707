#include "VirtualDisplay.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

VirtualDisplay::~VirtualDisplay()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool VirtualDisplay::start(QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    int ready[2];
    if (::pipe(ready) != 0)
        return fail(QStringLiteral("no pipe"));
    const QByteArray fd = QByteArray::number(ready[1]);
    m_pid = ::fork();
    if (m_pid < 0)
        return fail(QStringLiteral("no fork"));
    if (m_pid == 0) {
        ::close(ready[0]);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    // The server writes its display number once it takes connections.
    QByteArray number;
    pollfd wait = {ready[0], POLLIN, 0};
    while (!number.endsWith('\n') && ::poll(&wait, 1, 20000) > 0) {
        char c = 0;
        if (::read(ready[0], &c, 1) != 1)
            break;
        number += c;
    }
    ::close(ready[0]);
    if (!number.endsWith('\n'))
        return fail(QStringLiteral("Xvfb did not start (is it installed?)"));
    m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}
