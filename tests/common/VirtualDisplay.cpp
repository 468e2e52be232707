#include "VirtualDisplay.h"

#include <QByteArray>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Whether a client gets through to display number `number`, the way libxcb tries: the abstract
// socket first, then the file.
bool takesClients(const QByteArray &number)
{
    const QByteArray path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {true, false}) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const int offset = abstract ? 1 : 0;
        ::memcpy(address.sun_path + offset, path.constData(), size_t(path.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), length) == 0;
        ::close(fd);
        if (connected)
            return true;
    }
    return false;
}

} // namespace

VirtualDisplay::~VirtualDisplay()
{
    stop();
}

void VirtualDisplay::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

bool VirtualDisplay::start(QString *error)
{
    // A server starting while another one on the same number stops can lose its socket file to
    // the one stopping, and then no client reaches it: such a server is replaced, twice at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!startOnce(error))
            return false;
        const QByteArray number = m_name.mid(1).toLatin1();
        for (int wait = 0; wait < 50; ++wait) {
            if (takesClients(number))
                return true;
            ::usleep(100 * 1000);
        }
        stop();
    }
    if (error)
        *error = QStringLiteral("Xvfb on %1 takes no clients").arg(m_name);
    return false;
}

bool VirtualDisplay::startOnce(QString *error)
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
