#include "link/link_session.h"

#include "link/paged_transfer.h"
#include "link/reporter.h"

namespace zc {

LinkSession::LinkSession(Reporter &reporter, int replyTimeoutMs, QObject *parent)
    : QObject(parent), m_reporter(reporter), m_tmr1(replyTimeoutMs, this), m_cm1(this), m_handler(reporter, m_tmr1, this)
{
    m_tmr1.setObjectName(QStringLiteral("tmr1"));
    m_tmr1.setTimerType(Qt::PreciseTimer);
    m_cm1.setObjectName(QStringLiteral("cm1"));
    m_handler.setLogin(&m_login);
    connect(&m_cm1, &TComm::OnReceiveData, &m_handler, &ReplyHandler::cm1ReceiveData);
    connect(&m_tmr1, &QTimer::timeout, &m_handler, &ReplyHandler::tmr1Timer);
    connect(&m_cm1, &TComm::OnRequestHangup, this, &LinkSession::cm1RequestHangup);
}

void LinkSession::attach(Tsend_rec_command &transfer)
{
    transfer.setLink(context());
    m_handler.attach(&transfer);
}

void LinkSession::open(const QString &path)
{
    abandonAll();
    m_tmr1.stopRule();
    m_cm1.SetCommName(path);
    m_cm1.OpenPort();
}

void LinkSession::close()
{
    abandonAll();
    m_tmr1.stopRule();
    m_cm1.ClosePort();
}

bool LinkSession::abandonAll(QString *leftBehind)
{
    const bool timing = m_tmr1.isActive();
    return m_handler.abandonAll(leftBehind) || timing;
}

bool LinkSession::refuseWhileBusy()
{
    if (!busy())
        return false;
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
    Tsend_rec_command *t = m_handler.activeTransfer();
    if (!t) return false;
    if (m_tmr1.isActive()) {
        t->requestStop();
        m_reporter.setStatus(QStringLiteral("Stopping after the current page"));
        return true;
    }
    // The reply's time has run out: no page is on its way, so nothing is left to finish.
    t->stopNow();
    m_handler.abandonAll();
    return true;
}

void LinkSession::cm1RequestHangup(const QString &why)
{
    // The port object has already closed the device; everything waiting on it ends here.
    QString behind;
    const bool wasWaiting = abandonAll(&behind);
    m_tmr1.stopRule();
    emit portLost(why);
    m_reporter.setStatus(QStringLiteral("Serial port lost"));
    if (wasWaiting) {
        m_reporter.setProgress(100);
        QString text = QStringLiteral("The serial port was lost; the transfer was stopped.");
        if (!behind.isEmpty())
            text += QLatin1Char('\n') + behind;
        if (!why.isEmpty())
            text += QLatin1Char('\n') + why;
        m_reporter.messageBox(text);
    }
}

} // namespace zc
