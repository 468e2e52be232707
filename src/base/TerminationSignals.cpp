#include "base/TerminationSignals.h"

#include "base/Paths.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int CaughtSignals[] = {SIGTERM, SIGINT, SIGHUP};

int signalPipe[2] = {-1, -1};

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing else is safe here; a full pipe already holds a signal to act on.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals &TerminationSignals::instance()
{
    static TerminationSignals receiver;
    return receiver;
}

bool TerminationSignals::install()
{
    if (m_notifier)
        return true;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);

    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (const int signalNumber : CaughtSignals)
        ok = ::sigaction(signalNumber, &action, nullptr) == 0 && ok;
    return ok;
}

void TerminationSignals::readSignal()
{
    unsigned char byte = 0;
    if (::read(signalPipe[0], &byte, 1) != 1)
        return;
    const int signalNumber = byte;
    // From here on a repeated signal ends the program at once, clean-up or not.
    for (const int caught : CaughtSignals)
        ::signal(caught, SIG_DFL);
    m_notifier->setEnabled(false);

    emit received(signalNumber);
    removeTempFolder();
    ::raise(signalNumber);
    // A blocked signal would be delivered later: do not run on meanwhile.
    ::_exit(128 + signalNumber);
}
