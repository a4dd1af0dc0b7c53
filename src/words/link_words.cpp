#include "words/link_words.h"

#include "words/left_behind.h"
#include "words/port_words.h"
#include "words/reporter.h"

namespace zc {

namespace {

// The status each page reply shows, by area: read and write, and whether the transfer's
// counters follow it (with the page shown as next page plus the offset).
struct ReplyText
{
    const char *read;
    const char *write;
    bool counted;
    int shownOffset;
};

constexpr ReplyText kReplyTexts[kAreaCount] = {
    {"Reading basic setting", "Save basic settings", false, 0},
    {"Reading number list:", "Save number list:", true, 0},
    {"Reading historical data:", nullptr, true, -1},
};

// The status while a page request of each area is on its way.
constexpr const char *kRequestTexts[kAreaCount][2] = {
    {"Read settings", "Save settings"},
    {"Reading telephone number information", "Save list"},
    {"Reading historical data", nullptr},
};

const QString kDamaged = QStringLiteral("The reply from the unit was damaged (checksum error). "
                                        "The operation was stopped; please try again.");

// A message, and on its next line what was left behind when anything was.
QString withLeftBehind(const QString &text, const QString &behind)
{
    return behind.isEmpty() ? text : text + QLatin1Char('\n') + behind;
}

QString successText(const Outcome &o)
{
    switch (o.area) {
    case Area::Settings:
        return o.writing ? QStringLiteral("Basic setting saved success")
                         : QStringLiteral("Basic settings read to PC software success.");
    case Area::Numbers:
        return o.writing ? QStringLiteral("Authorized number list saved success")
                         : QStringLiteral("Authorized number list read to PC software success.");
    case Area::History:
        break;
    }
    return {}; // the history page says how many records the read kept
}

} // namespace

QString LinkWords::running(Busy operation)
{
    switch (operation) {
    case Busy::Login:
        return QStringLiteral("A login is running");
    case Busy::Delete:
        return QStringLiteral("A delete is running");
    case Busy::Save:
        return QStringLiteral("A save is running");
    case Busy::Read:
        break;
    }
    return QStringLiteral("A read is running");
}

void LinkWords::requestSent(const Sent &sent)
{
    switch (sent.who) {
    case Requester::Login:
        m_reporter.setStatus(QStringLiteral("Read settings"));
        m_reporter.setStatus(QStringLiteral("Password verifing"));
        return;
    case Requester::Single:
        m_reporter.setStatus(QStringLiteral("Password verifying"));
        return;
    case Requester::Transfer:
        break;
    }
    // The settings save shows each page's share of the save before it goes out.
    if (sent.area == Area::Settings && sent.writing) m_reporter.setProgress(50 * sent.page);
    const char *text = kRequestTexts[int(sent.area)][sent.writing ? 1 : 0];
    m_reporter.setStatus(text ? QString::fromLatin1(text) : QString());
}

void LinkWords::bytesReceived()
{
    m_reporter.setStatus(QStringLiteral("Data communication"));
}

void LinkWords::frameDamaged()
{
    m_reporter.setStatus(QStringLiteral("Invalid data"));
}

void LinkWords::replyRouted(const Reply &reply)
{
    using Kind = Reply::Kind;
    switch (reply.kind) {
    case Kind::Delete:
        m_reporter.setStatus(QStringLiteral("Delete command"));
        return;
    case Kind::UndefinedData:
        m_reporter.setStatus(QStringLiteral("Undefined data"));
        return;
    case Kind::UndefinedAddress:
        m_reporter.setStatus(QStringLiteral("Undefined address"));
        return;
    case Kind::Page:
        break;
    }
    const ReplyText &row = kReplyTexts[int(reply.area)];
    const QString status = QString::fromLatin1(reply.read ? row.read : row.write);
    if (row.counted && reply.pageCount != 0) {
        m_reporter.setStatus(
            status + QStringLiteral("%1/%2").arg(reply.nextPage + row.shownOffset).arg(reply.pageCount));
        m_reporter.setProgress(reply.nextPage * 100 / reply.pageCount);
    } else {
        m_reporter.setStatus(status);
    }
}

void LinkWords::replyIgnored(bool early, const std::optional<Outcome> &late)
{
    if (early) {
        m_reporter.setStatus(QStringLiteral("Unasked reply from the unit ignored"));
        return;
    }
    // What the ended request left behind still holds: the late reply changes nothing.
    const QString behind = late ? leftBehind(*late) : QString();
    m_reporter.setLastingStatus(behind.isEmpty()
                                    ? QStringLiteral("Late reply from the unit ignored")
                                    : QStringLiteral("Late reply from the unit ignored. ") + behind);
}

void LinkWords::handingOn(bool on)
{
    m_reporter.holdStatus(on);
}

void LinkWords::decoding(Area area, int page, bool on)
{
    if (area != Area::Settings) return;
    if (on)
        m_reporter.setStatusDirect(page == 1 ? QStringLiteral("The first page")
                                             : QStringLiteral("The second page"));
    else if (page == 2)
        m_reporter.setStatusDirect(QString());
}

void LinkWords::decodeProgress(Area, int percent)
{
    m_reporter.setProgress(percent);
}

void LinkWords::ended(const Outcome &o)
{
    if (o.operation == Outcome::Operation::Transfer)
        transferEnded(o);
    else
        singleEnded(o);
}

void LinkWords::transferEnded(const Outcome &o)
{
    using K = Outcome::Kind;
    using C = Outcome::Cause;
    if (o.completed()) {
        if (const QString text = successText(o); !text.isEmpty()) m_reporter.messageBox(text);
        return;
    }
    // No progress bar stays standing at a half-way value once the transfer is over.
    m_reporter.setProgress(100);
    const QString behind = leftBehind(o);
    switch (o.kind) {
    case K::Completed:
        return;
    case K::Refused:
        m_reporter.messageDialog(withLeftBehind(o.area == Area::Settings
                                                    ? QStringLiteral("Basic setting error")
                                                    : QStringLiteral("Number list data error"),
                                                behind));
        m_reporter.setLastingStatus(behind);
        return;
    case K::Damaged:
        if (o.cause == C::ShortReply)
            m_reporter.messageBox(
                withLeftBehind(QStringLiteral("The unit sent an incomplete page (%1 of %2 bytes). "
                                              "The transfer was stopped; please try again.")
                                   .arg(o.replyLength)
                                   .arg(kPageSize),
                               behind));
        else if (o.cause == C::NoVerdict)
            m_reporter.messageBox(
                withLeftBehind(QStringLiteral("The unit's reply to the save carried no data. "
                                              "The save was stopped; please try again."),
                               behind));
        else
            m_reporter.messageBox(withLeftBehind(kDamaged, behind));
        if (o.cause != C::Checksum || !behind.isEmpty()) m_reporter.setLastingStatus(behind);
        return;
    case K::TimedOut:
        timedOut(behind);
        return;
    case K::Stopped: {
        // Closing the port or losing it is told by the session; another operation taking
        // over is no news.
        if (o.cause != C::ByUser) return;
        const QString text =
            QStringLiteral("Stopped after %1 of %2 pages.").arg(o.pagesDone).arg(o.pageCount);
        m_reporter.messageBox(withLeftBehind(text, behind));
        m_reporter.setLastingStatus(behind.isEmpty() ? text : behind);
        return;
    }
    case K::PortLost:
        return;
    }
}

void LinkWords::singleEnded(const Outcome &o)
{
    using K = Outcome::Kind;
    const bool login = o.operation == Outcome::Operation::Login;
    const bool deleting = o.operation == Outcome::Operation::Delete;
    const QString behind = leftBehind(o);
    switch (o.kind) {
    case K::Completed:
    case K::Refused:
        if (deleting)
            m_reporter.messageDialog(o.completed() ? QStringLiteral("Historical data deleted")
                                                   : QStringLiteral("Historical data delet error"));
        return;
    case K::Damaged:
        m_reporter.messageBox(
            login && o.cause == Outcome::Cause::ShortReply
                ? QStringLiteral("The unit's reply to the login was incomplete. Please log in again.")
                : withLeftBehind(kDamaged, behind));
        if (!behind.isEmpty()) m_reporter.setLastingStatus(behind);
        return;
    case K::TimedOut:
        timedOut(behind);
        return;
    case K::Stopped:
        if (o.cause != Outcome::Cause::ByUser) return;
        if (login) m_reporter.messageBox(QStringLiteral("The login was stopped. Please log in again."));
        if (deleting) {
            m_reporter.messageBox(QStringLiteral("The delete was stopped.\n") + behind);
            m_reporter.setLastingStatus(behind);
        }
        m_reporter.setProgress(100);
        return;
    case K::PortLost:
        return;
    }
}

void LinkWords::timedOut(const QString &behind)
{
    m_reporter.messageBox(withLeftBehind(QStringLiteral("Receive timeout"), behind));
    // The status line keeps what was left behind; otherwise it is emptied without starting
    // the status clear timer.
    if (!behind.isEmpty())
        m_reporter.setLastingStatus(behind);
    else
        m_reporter.setStatusDirect(QString());
    m_reporter.setProgress(100);
}

void LinkWords::refusedPortClosed()
{
    m_reporter.messageBox(QStringLiteral("The COM port is not open\n"
                                         "Pick the unit's port in the COM Port list and press Open."));
}

void LinkWords::refusedBusy(Busy operation)
{
    m_reporter.setStatus(running(operation) + QStringLiteral("; wait until it ends"));
}

void LinkWords::portClosed(const std::optional<Outcome> &stopped)
{
    // Closing the port in the middle of a save leaves the unit with part of it: say which.
    const QString behind = stopped ? leftBehind(*stopped) : QString();
    if (behind.isEmpty()) return;
    m_reporter.messageBox(QStringLiteral("The port was closed; the transfer was stopped.\n") + behind);
    m_reporter.setLastingStatus(behind);
}

void LinkWords::portLost(const PortProblem &why, bool waiting, const std::optional<Outcome> &stopped)
{
    const QString behind = stopped ? leftBehind(*stopped) : QString();
    m_reporter.setStatus(QStringLiteral("Serial port lost"));
    if (!behind.isEmpty()) m_reporter.setLastingStatus(behind);
    if (!waiting) return;
    m_reporter.setProgress(100);
    QString text =
        withLeftBehind(QStringLiteral("The serial port was lost; the transfer was stopped."), behind);
    const QString advice = portAdvice(why);
    if (!advice.isEmpty()) text += QLatin1Char('\n') + advice;
    m_reporter.messageBox(text);
}

} // namespace zc
