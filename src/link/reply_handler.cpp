#include "link/reply_handler.h"

#include <QScopeGuard>

#include "link/reporter.h"
#include "link/rule_timer.h"
#include "link/traffic_log.h"

#include <algorithm>

namespace zc {

namespace {

using Route = ReplyHandler::Route;

// The routing table: what a read or write reply of each address range shows and which
// route it takes. A range without a write status takes no writes ("Undefined address").
struct RouteRow
{
    const char *readStatus;
    const char *writeStatus;
    bool counted;    // the status shows the transfer's counters and the progress follows them
    int shownOffset; // the counter shown is next page plus this
    Route read, accepted, refused;
};

constexpr RouteRow kRoutes[kAreaCount] = {
    {"Reading basic setting", "Save basic settings", false, 0, Route::SettingsRead,
     Route::SettingsWriteAccepted, Route::SettingsWriteRefused},
    {"Reading number list:", "Save number list:", true, 0, Route::NumbersRead, Route::NumbersWriteAccepted,
     Route::NumbersWriteRefused},
    {"Reading historical data:", nullptr, true, -1, Route::HistoryRead, Route::UndefinedAddress,
     Route::UndefinedAddress},
};

const QString kDataCommunication = QStringLiteral("Data communication");
const QString kDeleteUnknown =
    QStringLiteral("It is unknown whether the unit deleted its log: read the history to see.");

QString withLeftBehind(const QString &text, const QString &behind)
{
    return behind.isEmpty() ? text : text + QLatin1Char('\n') + behind;
}

} // namespace

ReplyHandler::ReplyHandler(Reporter &reporter, RuleTimer &replyTimer, QObject *parent)
    : QObject(parent), m_reporter(reporter), m_timer(replyTimer), m_baseMs(replyTimer.interval())
{
}

void ReplyHandler::requestSent(std::uint8_t command, std::int32_t address, Requester who,
                               ReplyReceiver *receiver, const QByteArray &early)
{
    // Every frame assembled so far, and any made of the bytes that were waiting in the port,
    // was received before this request: none of them answers it.
    if (!early.isEmpty())
        m_assembler.feed(reinterpret_cast<const std::uint8_t *>(early.constData()), std::size_t(early.size()),
                         m_frames);
    m_earlyFrames = m_frames.size();
    resetAssembler();
    routeFrames();
    // The deadline counts from this write.
    m_timer.stopRule();
    m_timer.setInterval(m_baseMs);
    m_deadlineMoved = false;
    // A new operation ends the claim of the one before it: its late reply must not
    // continue a chain the user has left.
    if (m_out.active && (m_out.who != who || m_out.receiver != receiver)) {
        const Outstanding before = m_out;
        m_out = {};
        if (before.receiver) before.receiver->interrupt(Interruption::Abandoned);
    }
    m_out = {true, command, address, who, receiver};
}

void ReplyHandler::resetAssembler()
{
    m_assembler.reset();
}

void ReplyHandler::clearOutstanding()
{
    m_out = {};
    m_timer.stopRule();
}

bool ReplyHandler::stopOutstanding()
{
    if (!m_out.active) return false;
    const Outstanding out = m_out;
    clearOutstanding();
    resetAssembler();
    m_late = out;
    m_lateBehind.clear();
    if (out.who == Requester::Login) {
        if (out.receiver) out.receiver->stopNow();
        m_reporter.messageBox(QStringLiteral("The login was stopped. Please log in again."));
    } else if (out.who == Requester::Transfer && out.receiver && out.receiver->active()) {
        // The page on its way may or may not be written: the transfer says so.
        out.receiver->stopNow();
    } else if (out.command == kCmdDeleteHistory) {
        if (out.receiver) out.receiver->stopNow();
        m_lateBehind = kDeleteUnknown;
        m_reporter.messageBox(QStringLiteral("The delete was stopped.\n") + kDeleteUnknown);
        m_reporter.setLastingStatus(kDeleteUnknown);
    }
    m_reporter.setProgress(100);
    return true;
}

bool ReplyHandler::abandonAll(QString *leftBehind, Interruption why)
{
    bool waiting = m_out.active || m_assembler.inFrame();
    const Outstanding before = m_out;
    clearOutstanding();
    QString behind;
    // The outstanding request's owner speaks first: what it left behind is what counts.
    if (before.active && before.receiver) behind = before.receiver->interrupt(why);
    if (before.active && before.command == kCmdDeleteHistory) behind = kDeleteUnknown;
    for (ReplyReceiver *r : m_receivers)
        if (r && r->active()) {
            const QString b = r->interrupt(why);
            if (behind.isEmpty()) behind = b;
            waiting = true;
        }
    if (leftBehind) *leftBehind = behind;
    resetAssembler();
    return waiting;
}

ReplyReceiver *ReplyHandler::activeReceiver() const
{
    for (ReplyReceiver *r : m_receivers)
        if (r && r->active()) return r;
    return nullptr;
}

QString ReplyHandler::outstandingText() const
{
    if (m_out.who == Requester::Login) return QStringLiteral("A login is running");
    if (m_out.command == kCmdDeleteHistory) return QStringLiteral("A delete is running");
    if (m_out.command == kCmdWriteBlock) return QStringLiteral("A save is running");
    return QStringLiteral("A read is running");
}

void ReplyHandler::receive(const std::uint8_t *bytes, std::size_t count)
{
    if (count == 0) return;
    m_reporter.setStatus(kDataCommunication);
    m_assembler.feed(bytes, count, m_frames);
    // A false start (0x23 and a plausible length in noise) that swallowed the awaited reply
    // is given up as soon as that whole reply lies inside it.
    // A whole page (265 bytes) never fits inside a false frame: only the short replies to a
    // save or a delete are looked for there.
    ReceivedFrame inner;
    if (m_out.active && m_out.command != kCmdReadBlock && m_assembler.innerFrame(inner) &&
        answers(m_out, inner.command, inner.address))
        m_assembler.dropFalseStart(m_frames);
    watchHeader();
    routeFrames();
}

void ReplyHandler::watchHeader()
{
    if (m_deadlineMoved || !m_out.active || !m_timer.isActive()) return;
    std::uint8_t command = 0;
    std::int32_t address = 0;
    int length = 0;
    if (!m_assembler.header(command, address, length) || !answers(m_out, command, address)) return;
    // The awaited reply is on its way: it gets the time its bytes take on the wire, and the
    // usual allowance after that. This happens once per request, so noise that only looks
    // like the header cannot hold the request open.
    m_deadlineMoved = true;
    m_timer.start(m_baseMs + wireMs(length));
}

void ReplyHandler::routeFrames()
{
    // A message shown while routing runs a modal loop in which more bytes arrive: they are
    // assembled at once, and routed in order once the frame before them is done.
    if (m_routing) return;
    m_routing = true;
    while (m_nextFrame < m_frames.size()) {
        const bool early = m_nextFrame < m_earlyFrames;
        const ReceivedFrame frame = m_frames[m_nextFrame++];
        handleFrame(frame, early);
    }
    m_frames.clear();
    m_nextFrame = 0;
    m_earlyFrames = 0;
    m_routing = false;
}

void ReplyHandler::handleFrame(const ReceivedFrame &f, bool early)
{
    logTraffic(f.good ? "reply" : "damaged reply", reinterpret_cast<const char *>(f.bytes.data()), f.size);
    if (!f.good) {
        m_reporter.setStatus(QStringLiteral("Invalid data"));
        emit routed(Route::InvalidData);
        if (early) return;
        // A start byte inside it may begin the real reply: reading goes on from there, unless
        // its header and length are those of the awaited reply, which then came damaged (page
        // 20 of the list lives at 0x2300, so its acknowledgement holds a start byte).
        if (!m_out.active || (f.resynchronising && !isAwaitedShape(f))) return;
        // A damaged reply ends what was waiting for it; the user is told, not left waiting.
        endOutstanding(Interruption::Damaged,
                       QStringLiteral("The reply from the unit was damaged (checksum error). "
                                      "The operation was stopped; please try again."));
        return;
    }
    m_valid.command = f.command;
    m_valid.address = f.address;
    m_valid.dataLength = std::uint16_t(f.length);
    std::copy(f.data.begin(), f.data.begin() + f.length + 1, m_valid.data.begin());
    route(early);
}

bool ReplyHandler::answers(const Outstanding &out, std::uint8_t command, std::int32_t address) const
{
    if (!out.active || command != out.command) return false;
    // The delete reply's address carries nothing: the command alone answers it.
    return command == kCmdDeleteHistory || address == out.address;
}

bool ReplyHandler::isAwaitedShape(const ReceivedFrame &f) const
{
    return answers(m_out, f.command, f.address) && f.length == (f.command == kCmdReadBlock ? kPageSize : 1);
}

void ReplyHandler::route(bool early)
{
    // The texts set while a reply is handed on show once the next request is on the wire.
    m_reporter.holdStatus(true);
    const auto release = qScopeGuard([this] { m_reporter.holdStatus(false); });
    const std::uint8_t cmd = m_valid.command;
    const bool firstByteOne = m_valid.dataLength > 0 && m_valid.data[0] == 0x01;
    const bool isAnswer = !early && answers(m_out, cmd, m_valid.address);
    const bool isLate = !early && !isAnswer && answers(m_late, cmd, m_valid.address);
    const auto ignore = [this, isLate, early] {
        // Bytes that came before the request was written answer nothing: a notice, no more.
        if (early) m_reporter.setStatus(QStringLiteral("Unasked reply from the unit ignored"));
        // What the timed-out request left behind still holds: the late reply changes nothing.
        if (isLate)
            m_reporter.setLastingStatus(
                m_lateBehind.isEmpty() ? QStringLiteral("Late reply from the unit ignored")
                                       : QStringLiteral("Late reply from the unit ignored. ") + m_lateBehind);
        emit routed(Route::Ignored);
    };

    if (cmd == kCmdDeleteHistory) {
        m_reporter.setStatus(QStringLiteral("Delete command"));
        if (!isAnswer) return ignore();
        const Outstanding out = m_out;
        clearOutstanding();
        // A reply without data carries no verdict: it counts as refused.
        emit routed(firstByteOne ? Route::HistoryDeleted : Route::HistoryDeleteRefused);
        m_reporter.messageDialog(firstByteOne ? QStringLiteral("Historical data deleted")
                                              : QStringLiteral("Historical data delet error"));
        if (out.receiver)
            out.receiver->deliver(cmd, m_valid.address, m_valid.data.data(), m_valid.dataLength);
        return;
    }
    if (cmd != kCmdReadBlock && cmd != kCmdWriteBlock) {
        m_reporter.setStatus(QStringLiteral("Undefined data"));
        emit routed(Route::UndefinedData);
        return;
    }

    const RouteRow &row = kRoutes[int(routeArea(m_valid.address))];
    const bool read = cmd == kCmdReadBlock;
    const char *status = read ? row.readStatus : row.writeStatus;
    if (!status) {
        m_reporter.setStatus(QStringLiteral("Undefined address"));
        emit routed(Route::UndefinedAddress);
        return;
    }
    const Outstanding out = m_out;
    ReplyReceiver *t = isAnswer && out.who == Requester::Transfer ? out.receiver : nullptr;
    if (row.counted && t && t->pageCount() != 0) {
        m_reporter.setStatus(
            QString::fromLatin1(status) +
            QStringLiteral("%1/%2").arg(t->nextPage() + row.shownOffset).arg(t->pageCount()));
        m_reporter.setProgress(t->nextPage() * 100 / t->pageCount());
    } else {
        m_reporter.setStatus(QString::fromLatin1(status));
    }
    if (!isAnswer) return ignore();
    clearOutstanding();

    if (out.who == Requester::Login) {
        if (m_valid.dataLength < 4) {
            emit routed(Route::ShortPage);
            if (out.receiver) out.receiver->interrupt(Interruption::Damaged);
            m_reporter.messageBox(QStringLiteral("The unit's reply to the login was incomplete. "
                                                 "Please log in again."));
            return;
        }
        emit routed(Route::Login);
        if (out.receiver)
            out.receiver->deliver(cmd, m_valid.address, m_valid.data.data(), m_valid.dataLength);
        return;
    }
    if (!t || !t->active()) {
        emit routed(Route::Ignored);
        return;
    }
    if (read)
        emit routed(m_valid.dataLength == kPageSize ? row.read : Route::ShortPage);
    else if (m_valid.dataLength == 0)
        emit routed(Route::ShortPage); // no verdict: taken as damaged
    else
        emit routed(firstByteOne ? row.accepted : row.refused);
    t->deliver(cmd, m_valid.address, m_valid.data.data(), m_valid.dataLength);
}

void ReplyHandler::endOutstanding(Interruption why, const QString &text)
{
    const Outstanding out = m_out;
    clearOutstanding();
    if (why == Interruption::TimedOut) m_late = out;
    QString behind;
    if (out.receiver) behind = out.receiver->interrupt(why);
    if (out.active && out.command == kCmdDeleteHistory) behind = kDeleteUnknown;
    if (why == Interruption::TimedOut) m_lateBehind = behind;
    if (!out.active && why != Interruption::TimedOut) return;
    m_reporter.messageBox(withLeftBehind(text, behind));
    if (!behind.isEmpty())
        m_reporter.setLastingStatus(behind);
    else if (why == Interruption::TimedOut)
        m_reporter.setStatusDirect(QString());
}

void ReplyHandler::tmr1Timer()
{
    m_timer.stopRule();
    // A reply that stopped half way is dropped, so the next one is read from its start.
    resetAssembler();
    // The request is over: a reply that still comes is late and is not continued.
    endOutstanding(Interruption::TimedOut, QStringLiteral("Receive timeout"));
    m_reporter.setProgress(100);
}

} // namespace zc
