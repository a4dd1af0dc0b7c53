#include "link/reply_handler.h"

#include "link/login.h"
#include "link/paged_transfer.h"
#include "link/reporter.h"
#include "link/rule_timer.h"
#include "link/traffic_log.h"

#include <algorithm>

namespace zc {

namespace {

using Route = ReplyHandler::Route;

// The routing table: what a read or write reply of each address range shows and where it
// goes. A range without a write status takes no writes ("Undefined address").
struct RouteRow
{
    const char *readStatus;
    const char *writeStatus;
    bool counted;    // the status shows the transfer's counters and the progress follows them
    int shownOffset; // the counter shown is next page plus this
    const char *refusedText;
    Route read, accepted, refused;
};

constexpr RouteRow kRoutes[kAreaCount] = {
    {"Reading basic setting", "Save basic settings", false, 0, "Basic setting error", Route::SettingsRead,
     Route::SettingsWriteAccepted, Route::SettingsWriteRefused},
    {"Reading number list:", "Save number list:", true, 0, "Number list data error", Route::NumbersRead,
     Route::NumbersWriteAccepted, Route::NumbersWriteRefused},
    {"Reading historical data:", nullptr, true, -1, nullptr, Route::HistoryRead, Route::UndefinedAddress,
     Route::UndefinedAddress},
};

QString withLeftBehind(const QString &text, const QString &behind)
{
    return behind.isEmpty() ? text : text + QLatin1Char('\n') + behind;
}

} // namespace

ReplyHandler::ReplyHandler(Reporter &reporter, RuleTimer &replyTimer, QObject *parent)
    : QObject(parent), m_reporter(reporter), m_timer(replyTimer)
{
}

void ReplyHandler::attach(Tsend_rec_command *transfer)
{
    if (transfer)
        m_transfers[int(transfer->area())] = transfer;
}

void ReplyHandler::requestSent(std::uint8_t command, std::int32_t address, Requester who, Tsend_rec_command *transfer)
{
    resetAssembler();
    // A new operation ends the claim of the one before it: its late reply must not
    // continue a chain the user has left.
    if (m_out.active && (m_out.who != who || m_out.transfer != transfer)) {
        if (m_out.transfer)
            m_out.transfer->abandon();
    }
    if (who != Requester::Login && m_login)
        m_login->loginPending = false;
    m_out = {true, command, address, who, transfer};
}

void ReplyHandler::resetAssembler()
{
    m_rec.inFrame = 0;
    m_rec.byteCount = 0;
    m_replay.clear();
    m_replyIncoming = false;
}

bool ReplyHandler::abandonAll(QString *leftBehind)
{
    bool waiting = m_out.active || m_rec.inFrame != 0;
    if (leftBehind && m_out.transfer)
        *leftBehind = m_out.transfer->leftBehind();
    if (m_login && m_login->loginPending) {
        m_login->loginPending = false;
        waiting = true;
    }
    for (Tsend_rec_command *t : m_transfers)
        if (t) {
            waiting = waiting || t->awaitingReply;
            t->abandon();
        }
    m_out = {};
    resetAssembler();
    return waiting;
}

Tsend_rec_command *ReplyHandler::activeTransfer() const
{
    for (Tsend_rec_command *t : m_transfers)
        if (t && t->active()) return t;
    return nullptr;
}

QString ReplyHandler::outstandingText() const
{
    if (m_out.who == Requester::Login)
        return QStringLiteral("A login is running");
    if (m_out.command == kCmdDeleteHistory)
        return QStringLiteral("A delete is running");
    if (m_out.command == kCmdWriteBlock)
        return QStringLiteral("A save is running");
    return QStringLiteral("A read is running");
}

void ReplyHandler::cm1ReceiveData(std::uint8_t b)
{
    // The first byte after a request means its reply is coming in.
    if (m_timer.isActive())
        m_replyIncoming = true;
    m_timer.stopRule();
    m_reporter.setStatus(QStringLiteral("Data communication"));
    // Bytes replayed after a false start come before this one.
    m_replay.push_back(b);
    while (!m_replay.empty()) {
        const std::uint8_t x = m_replay.front();
        m_replay.pop_front();
        receiveByte(x);
    }
    // While an awaited reply is still incomplete (noise, a cut frame), the reply timer
    // watches the gap to the next byte, so a reply that stalls ends in "Receive timeout"
    // instead of leaving the transfer hanging without a word.
    if (m_replyIncoming)
        m_timer.start();
}

void ReplyHandler::receiveByte(std::uint8_t b)
{
    if (m_rec.inFrame == 0) {
        if (b == kStartByte)
            m_rec.inFrame = 1;
        return;
    }

    m_rec.raw[std::size_t(m_rec.byteCount)] = b;
    if (m_rec.byteCount == 6) {
        m_rec.recDataLength = (m_rec.raw[5] << 8) | m_rec.raw[6];
        // No request asks for more than one page: a longer frame is a false start, dropped
        // as soon as its length is known.
        if (m_rec.recDataLength > kMaxData) {
            resynchronise(7);
            return;
        }
    }
    ++m_rec.byteCount;
    if (m_rec.byteCount >= 8 && m_rec.byteCount == m_rec.recDataLength + 8)
        completeFrame();
}

bool ReplyHandler::resynchronise(int held)
{
    const auto first = m_rec.raw.begin();
    const auto next = std::find(first, first + held, kStartByte);
    m_rec.inFrame = 0;
    m_rec.byteCount = 0;
    if (next == first + held)
        return false;
    m_replay.insert(m_replay.begin(), next, first + held);
    return true;
}

void ReplyHandler::completeFrame()
{
    const int n = m_rec.recDataLength;
    m_rec.receivedChecksum = m_rec.raw[std::size_t(7 + n)];
    m_rec.command = m_rec.raw[0];
    std::copy(m_rec.raw.begin() + 1, m_rec.raw.begin() + 5, m_rec.address.begin());
    std::copy(m_rec.raw.begin() + 5, m_rec.raw.begin() + 7, m_rec.dataLength.begin());
    std::copy(m_rec.raw.begin() + 7, m_rec.raw.begin() + 7 + n, m_rec.data.begin());
    m_rec.requestedLength = std::uint32_t(n);
    m_rec.CalcChecksum();
    const bool good = m_rec.checksum == m_rec.receivedChecksum;
    logTraffic(good ? "reply" : "damaged reply", reinterpret_cast<const char *>(m_rec.raw.data()), n + 8);

    if (!good) {
        m_reporter.setStatus(QStringLiteral("Invalid data"));
        emit routed(Route::InvalidData);
        // A start byte inside what was held may begin the real reply (the first one was
        // noise or page data): read on from there and let the reply timer watch it.
        if (resynchronise(n + 8))
            return;
        m_replyIncoming = false;
        // A damaged reply ends what was waiting for it; the user is told, not left waiting.
        QString behind;
        bool waiting = m_out.active;
        if (m_out.transfer) {
            behind = m_out.transfer->leftBehind();
            m_out.transfer->abandon();
        }
        if (m_login && m_login->loginPending) {
            m_login->loginPending = false;
            waiting = true;
        }
        m_out = {};
        if (waiting)
            m_reporter.messageBox(withLeftBehind(QStringLiteral("The reply from the unit was damaged (checksum error). "
                                                                "The operation was stopped; please try again."),
                                                 behind));
        return;
    }

    m_valid.command = m_rec.raw[0];
    m_valid.address = std::int32_t(std::uint32_t(m_rec.raw[1]) << 24 | std::uint32_t(m_rec.raw[2]) << 16 |
                                   std::uint32_t(m_rec.raw[3]) << 8 | std::uint32_t(m_rec.raw[4]));
    m_valid.dataLength = std::uint16_t(n);
    std::copy(m_rec.raw.begin() + 7, m_rec.raw.begin() + 8 + n, m_valid.data.begin());
    // The receive state is clean before anything is routed, so a modal message shown
    // while routing can go on receiving.
    m_rec.byteCount = 0;
    m_rec.inFrame = 0;
    m_replyIncoming = false;
    route();
}

bool ReplyHandler::answersOutstanding() const
{
    if (!m_out.active || m_valid.command != m_out.command)
        return false;
    // The delete reply's address carries nothing: the command alone answers it.
    return m_valid.command == kCmdDeleteHistory || m_valid.address == m_out.address;
}

void ReplyHandler::route()
{
    const std::uint8_t cmd = m_valid.command;
    const bool firstByteOne = m_valid.dataLength > 0 && m_valid.data[0] == 0x01;

    if (cmd == kCmdDeleteHistory) {
        m_reporter.setStatus(QStringLiteral("Delete command"));
        if (!answersOutstanding()) {
            emit routed(Route::Ignored);
            return;
        }
        m_out = {};
        // A reply without data carries no verdict: it counts as refused.
        emit routed(firstByteOne ? Route::HistoryDeleted : Route::HistoryDeleteRefused);
        m_reporter.messageDialog(firstByteOne ? QStringLiteral("Historical data deleted")
                                              : QStringLiteral("Historical data delet error"));
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
    const bool answers = answersOutstanding();
    const Requester who = m_out.who;
    Tsend_rec_command *t = answers && who == Requester::Transfer ? m_out.transfer : nullptr;
    if (row.counted && t && t->pageCount != 0) {
        m_reporter.setStatus(QString::fromLatin1(status) +
                             QStringLiteral("%1/%2").arg(t->nextPage + row.shownOffset).arg(t->pageCount));
        m_reporter.setProgress(t->nextPage * 100 / t->pageCount);
    } else {
        m_reporter.setStatus(QString::fromLatin1(status));
    }
    if (!answers) {
        emit routed(Route::Ignored);
        return;
    }
    m_out = {};

    if (who == Requester::Login) {
        if (!m_login || !m_login->loginPending) {
            emit routed(Route::Ignored);
            return;
        }
        if (m_valid.dataLength < 4) {
            m_login->loginPending = false;
            emit routed(Route::ShortPage);
            m_reporter.messageBox(QStringLiteral("The unit's reply to the login was incomplete. "
                                                 "Please log in again."));
            return;
        }
        emit routed(Route::Login);
        emit loginReply(m_valid);
        return;
    }
    if (!t || !t->awaitingReply) {
        emit routed(Route::Ignored);
        return;
    }
    t->awaitingReply = false;
    // A page read must bring a whole page: decoding a short one would mix in bytes left
    // from the previous page.
    if (read && m_valid.dataLength != kPageSize) {
        emit routed(Route::ShortPage);
        const QString behind = t->leftBehind();
        t->abandon();
        m_reporter.messageBox(withLeftBehind(QStringLiteral("The unit sent an incomplete page (%1 of %2 bytes). "
                                                            "The transfer was stopped; please try again.")
                                                 .arg(m_valid.dataLength)
                                                 .arg(kPageSize),
                                             behind));
        return;
    }
    t->address = m_valid.address;
    std::copy(m_valid.data.begin(), m_valid.data.begin() + m_valid.dataLength, t->data.begin());
    if (read) {
        emit routed(row.read);
        t->pageRead();
    } else if (firstByteOne) {
        emit routed(row.accepted);
        t->pageWritten();
    } else {
        emit routed(row.refused);
        const QString text = withLeftBehind(QString::fromLatin1(row.refusedText), t->leftBehind());
        t->abandon();
        m_reporter.messageDialog(text);
    }
}

void ReplyHandler::tmr1Timer()
{
    m_timer.stopRule();
    // A reply that stopped half way is dropped, so the next one is read from its start.
    resetAssembler();
    // A login whose reply never came must not take over a later settings read; a page
    // transfer's late reply may still continue its chain.
    if (m_login)
        m_login->loginPending = false;
    QString behind;
    if (m_out.active && m_out.who == Requester::Login)
        m_out = {};
    else if (m_out.active && m_out.transfer)
        behind = m_out.transfer->leftBehind();
    m_reporter.messageBox(withLeftBehind(QStringLiteral("Receive timeout"), behind));
    m_reporter.setStatusDirect(QString());
    m_reporter.setProgress(100);
    emit timedOut();
}

} // namespace zc
