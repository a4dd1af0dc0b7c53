// Ctrl-C (SIGINT) and SIGTERM delivered to the event loop: while a watch lives, the signal
// handler only writes the signal's number into a pipe, and the loop hands it to onSignal,
// where the jobs can end as Stop ends them in the window and say what each unit holds.
// When the watch ends, the signals act as before.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace zc::cli {

class SignalWatch : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatch(std::function<void(int signalNumber)> onSignal, QObject *parent = nullptr);
    ~SignalWatch() override;

private:
    std::function<void(int)> m_onSignal;
    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zc::cli
