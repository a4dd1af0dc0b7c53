#include "link/link_session.h"

#include "link/paged_transfer.h"
#include "link/reporter.h"

namespace zc {

LinkSession::LinkSession(Reporter &reporter, int replyTimeoutMs, QObject *parent)
    : QObject(parent), m_reporter(reporter), m_tmr1(replyTimeoutMs, this), m_cm1(this),
      m_handler(reporter, m_tmr1, this)
{
    m_tmr1.setObjectName(QStringLiteral("tmr1"));
    m_tmr1.setTimerType(Qt::PreciseTimer);
    m_cm1.setObjectName(QStringLiteral("cm1"));
    connect(&m_cm1, &TComm::OnReceiveChunk, &m_handler, &ReplyHandler::receiveChunk);
    connect(&m_tmr1, &QTimer::timeout, &m_handler, &ReplyHandler::tmr1Timer);
    connect(&m_cm1, &TComm::OnRequestHangup, this, &LinkSession::cm1RequestHangup);
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
    m_cm1.SetCommName(path);
    m_cm1.OpenPort();
}

void LinkSession::close()
{
    QString behind;
    abandonAll(&behind);
    m_tmr1.stopRule();
    m_cm1.ClosePort();
    emit portChanged();
    // Closing the port in the middle of a save leaves the unit with part of it: say which.
    if (!behind.isEmpty()) {
        m_reporter.messageBox(QStringLiteral("The port was closed; the transfer was stopped.\n") + behind);
        m_reporter.setLastingStatus(behind);
    }
}

bool LinkSession::abandonAll(QString *leftBehind, Interruption why)
{
    const bool timing = m_tmr1.isActive();
    return m_handler.abandonAll(leftBehind, why) || timing;
}

bool LinkSession::refuseWhileBusy()
{
    if (!busy()) return false;
    m_reporter.setStatus(m_handler.outstandingText() + QStringLiteral("; wait until it ends"));
    return true;
}

bool LinkSession::refuseWhileClosed()
{
    if (isOpen()) return false;
    m_reporter.messageBox(QStringLiteral("The COM port is not open\n"
                                         "Pick the unit's port in the COM Port list and press Open."));
    return true;
}

bool LinkSession::stop()
{
    // A request on its way ends now; its transfer says what the unit may hold.
    if (m_handler.stopOutstanding()) return true;
    ReplyReceiver *t = m_handler.activeReceiver();
    if (!t) return false;
    t->stopNow();
    return true;
}

void LinkSession::cm1RequestHangup(const QString &why)
{
    // The port object has already closed the device; everything waiting on it ends here.
    QString behind;
    const bool wasWaiting = abandonAll(&behind, Interruption::PortLost);
    m_tmr1.stopRule();
    emit portChanged();
    emit portLost(why);
    m_reporter.setStatus(QStringLiteral("Serial port lost"));
    if (!behind.isEmpty()) m_reporter.setLastingStatus(behind);
    if (wasWaiting) {
        m_reporter.setProgress(100);
        QString text = QStringLiteral("The serial port was lost; the transfer was stopped.");
        if (!behind.isEmpty()) text += QLatin1Char('\n') + behind;
        if (!why.isEmpty()) text += QLatin1Char('\n') + why;
        m_reporter.messageBox(text);
    }
}

} // namespace zc
