// SIGINT (Ctrl-C), SIGTERM and SIGHUP delivered to the event loop: while a watch lives, the
// signal handler only writes the signal's number into a pipe, and the loop hands it to
// onSignal, where the programs end what runs on the unit as Stop ends it and say what the
// unit holds. When the watch ends, the signals act as before.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace zc {

class SignalWatch : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatch(std::function<void(int signalNumber)> onSignal, QObject *parent = nullptr);
    ~SignalWatch() override;

    // A reader of standard output or error that went away (a closed pipe, `| head`) makes
    // writes there fail instead of ending the program in the middle of a save.
    static void ignoreBrokenPipes();

private:
    std::function<void(int)> m_onSignal;
    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zc
