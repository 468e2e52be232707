#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the program cleanly on SIGTERM (logout), SIGINT and SIGHUP. The handler only writes the
// signal's number into a pipe; a socket notifier reads it in whatever event loop runs, nested
// loops of tool runs included. Then received() lets every receiver stop what it runs and remove
// what it was writing, the private temporary folder goes, and the process ends by the same
// signal, so whoever started it sees why it ended.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    static TerminationSignals &instance();

    // Catches the three signals from now on; false when the pipe or a handler could not be set up.
    bool install();

signals:
    // The process ends as soon as the receivers have returned.
    void received(int signalNumber);

private:
    TerminationSignals() = default;
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
