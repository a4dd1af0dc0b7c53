#include "link/link_session.h"

#include "link/link_watcher.h"
#include "link/paged_transfer.h"

namespace zc {

LinkSession::LinkSession(LinkWatcher *watcher, int replyTimeoutMs, QObject *parent)
    : QObject(parent), m_watcher(watcher), m_tmr1(replyTimeoutMs, this), m_cm1(this), m_handler(m_tmr1, this)
{
    m_handler.setWatcher(watcher);
    m_tmr1.setObjectName(QStringLiteral("tmr1"));
    m_tmr1.setTimerType(Qt::PreciseTimer);
    m_cm1.setObjectName(QStringLiteral("cm1"));
    connect(&m_cm1, &TComm::OnReceiveChunk, &m_handler, &ReplyHandler::receiveChunk);
    connect(&m_tmr1, &QTimer::timeout, &m_handler, &ReplyHandler::tmr1Timer);
    connect(&m_cm1, &TComm::OnRequestHangup, this, &LinkSession::cm1RequestHangup);
    // Behind a network every reply comes a round trip later than on a cable: the login's
    // measured time is added to each deadline.
    connect(&m_login, &SingleRequest::done, this, [this](const Outcome &o) {
        if (o.kind == Outcome::Kind::Completed && m_cm1.PortRemote() && m_login.roundTripMs >= 0)
            m_handler.setDeadlineAllowance(int(m_login.roundTripMs));
    });
}

void LinkSession::attach(Tsend_rec_command &transfer)
{
    transfer.setLink(context());
    m_handler.attach(transfer.area(), &transfer);
}

void LinkSession::open(const QString &path)
{
    abandonAll();
    m_tmr1.stopRule();
    emit portChanged();
    m_handler.setDeadlineAllowance(0);
    m_cm1.SetCommName(path);
    m_cm1.OpenPort();
}

void LinkSession::close()
{
    std::optional<Outcome> stopped;
    abandonAll(Interruption::Closed, &stopped);
    m_tmr1.stopRule();
    m_cm1.ClosePort();
    emit portChanged();
    // Closing the port in the middle of a save leaves the unit with part of it.
    if (m_watcher) m_watcher->portClosed(stopped);
}

std::optional<Outcome> LinkSession::endForExit()
{
    // As when another operation takes over: the watcher says nothing of it.
    std::optional<Outcome> stopped;
    abandonAll(Interruption::Abandoned, &stopped);
    m_tmr1.stopRule();
    m_cm1.ClosePort();
    return stopped;
}

bool LinkSession::abandonAll(Interruption why, std::optional<Outcome> *stopped)
{
    const bool timing = m_tmr1.isActive();
    return m_handler.abandonAll(why, stopped) || timing;
}

bool LinkSession::refuseWhileBusy()
{
    if (!busy()) return false;
    if (m_watcher) m_watcher->refusedBusy(m_handler.outstandingOperation());
    return true;
}

bool LinkSession::refuseWhileClosed()
{
    if (isOpen()) return false;
    if (m_watcher) m_watcher->refusedPortClosed();
    return true;
}

bool LinkSession::stop()
{
    // A request on its way ends now; its operation says what the unit may hold.
    if (m_handler.stopOutstanding()) return true;
    ReplyReceiver *t = m_handler.activeReceiver();
    if (!t) return false;
    t->stopNow();
    return true;
}

void LinkSession::cm1RequestHangup(const PortProblem &why)
{
    // The port object has already closed the device; everything waiting on it ends here.
    std::optional<Outcome> stopped;
    const bool wasWaiting = abandonAll(Interruption::PortLost, &stopped);
    m_tmr1.stopRule();
    emit portChanged();
    emit portLost(why);
    if (m_watcher) m_watcher->portLost(why, wasWaiting, stopped);
}

} // namespace zc
