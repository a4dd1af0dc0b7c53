// One connection to a unit: the serial port `cm1`, the reply timer `tmr1`, the reply
// handler and the login, wired together once. The window, the tests, the benchmark and a
// program without a window each build one, with the watcher that says what happens in
// their own words, and hand its context to their transfers.
#pragma once

#include "link/comm.h"
#include "link/login.h"
#include "link/reply_handler.h"
#include "link/request.h"
#include "link/rule_timer.h"

#include <QObject>

namespace zc {

class LinkWatcher;
class Tsend_rec_command;

class LinkSession : public QObject
{
    Q_OBJECT
public:
    // watcher may be null: nobody hears what happens.
    explicit LinkSession(LinkWatcher *watcher, int replyTimeoutMs = 3000, QObject *parent = nullptr);

    TComm &comm() { return m_cm1; }
    RuleTimer &replyTimer() { return m_tmr1; }
    ReplyHandler &handler() { return m_handler; }
    Tpasswordverify &login() { return m_login; }
    LinkContext context() { return {&m_cm1, m_watcher, &m_tmr1, &m_handler}; }

    // Registers an area's transfer for the replies of its address range and gives it the
    // context to send with.
    void attach(Tsend_rec_command &transfer);

    // Opens the port (throws ECommsError like TComm::OpenPort) or closes it; either way
    // the assembler starts clean and nothing waits any longer. Closing ends a running
    // operation as stopped by the port's closing (the watcher hears portClosed).
    void open(const QString &path);
    void close();
    bool isOpen() const { return m_cm1.PortOpen(); }

    // A device operation waits for its reply: one runs at a time.
    bool busy() const { return m_handler.outstanding() || m_tmr1.isActive(); }
    // While busy, tells the watcher what is running and returns true: the caller then
    // starts nothing.
    bool refuseWhileBusy();

    // With the port closed, tells the watcher at once (no request could reach the unit) and
    // returns true: the caller then starts nothing.
    bool refuseWhileClosed();
    // What every device action asks first: the port is open and nothing else runs.
    bool refuseDeviceAction() { return refuseWhileClosed() || refuseWhileBusy(); }

    // Stops the running operation at once: the outstanding request ends (its reply, should it
    // still come, is late) and the operation ends as stopped by the user, with what the unit
    // may now hold. False when nothing ran.
    bool stop();
    // A paged transfer has started and not ended (the Stop button's state).
    bool transferActive() const { return m_handler.activeReceiver() != nullptr; }

    // The program ends now (a signal): ends whatever runs without a word from the watcher
    // to the user, closes the port, and returns how the running operation ended (what the
    // unit may now hold), if one ran.
    std::optional<Outcome> endForExit();

    // Ends every registered transfer and a pending login; true when one was waiting.
    bool abandonAll(Interruption why = Interruption::Abandoned, std::optional<Outcome> *stopped = nullptr);

signals:
    // The port was opened, closed or lost: the unit on it may be another one now.
    void portChanged();
    // The device went away: the port is closed and every operation ended (the watcher heard
    // portLost).
    void portLost(const zc::PortProblem &why);

private:
    void cm1RequestHangup(const PortProblem &why);

    LinkWatcher *m_watcher;
    RuleTimer m_tmr1;
    TComm m_cm1;
    ReplyHandler m_handler;
    Tpasswordverify m_login;
};

} // namespace zc
