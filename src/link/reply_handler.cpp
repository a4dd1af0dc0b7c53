#include "link/reply_handler.h"

#include "link/login.h"
#include "link/reporter.h"
#include "link/rule_timer.h"

#include <algorithm>

namespace zc {

ReplyHandler::ReplyHandler(Reporter &reporter, RuleTimer &replyTimer, QObject *parent)
    : QObject(parent), m_reporter(reporter), m_timer(replyTimer)
{
}

void ReplyHandler::cm1ReceiveData(std::uint8_t b)
{
    // The first byte after a request means its reply is coming in.
    if (m_timer.isActive())
        m_replyIncoming = true;
    m_timer.stopRule();
    m_reporter.setStatus(QStringLiteral("Data communication"));
    receiveByte(b);
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
        // No request asks for more than one page: a longer frame is dropped as soon as its
        // length is known, and the assembler waits for the next start byte.
        if (m_rec.recDataLength > kMaxData) {
            m_rec.byteCount = 0;
            m_rec.inFrame = 0;
            return;
        }
    }
    ++m_rec.byteCount;
    if (m_rec.byteCount >= 8 && m_rec.byteCount == m_rec.recDataLength + 8)
        completeFrame();
}

void ReplyHandler::completeFrame()
{
    const int n = m_rec.recDataLength;
    m_rec.receivedChecksum = m_rec.raw[std::size_t(7 + n)];
    m_rec.command = m_rec.raw[0];
    std::copy(m_rec.raw.begin() + 1, m_rec.raw.begin() + 5, m_rec.address.begin());
    std::copy(m_rec.raw.begin() + 5, m_rec.raw.begin() + 7, m_rec.dataLength.begin());
    std::copy(m_rec.raw.begin() + 7, m_rec.raw.begin() + 7 + n, m_rec.data.begin());
    m_rec.CalcChecksum();

    const bool good = m_rec.checksum == m_rec.receivedChecksum;
    if (good) {
        m_valid.command = m_rec.raw[0];
        m_valid.address = std::int32_t(std::uint32_t(m_rec.raw[1]) << 24 | std::uint32_t(m_rec.raw[2]) << 16 |
                                       std::uint32_t(m_rec.raw[3]) << 8 | std::uint32_t(m_rec.raw[4]));
        m_valid.dataLength = std::uint16_t(n);
        std::copy(m_rec.raw.begin() + 7, m_rec.raw.begin() + 8 + n, m_valid.data.begin());
    }
    // The receive state is clean before anything is routed, so a modal message shown
    // while routing can go on receiving.
    m_rec.byteCount = 0;
    m_rec.inFrame = 0;
    m_replyIncoming = false;

    if (!good) {
        m_reporter.setStatus(QStringLiteral("Invalid data"));
        emit routed(Route::InvalidData);
        // A damaged reply ends what was waiting for it; the user is told, not left waiting.
        if (endWaiting())
            m_reporter.messageBox(QStringLiteral("The reply from the unit was damaged (checksum error). "
                                                 "The operation was stopped; please try again."));
        return;
    }
    route();
}

bool ReplyHandler::endWaiting()
{
    bool any = false;
    auto &t = m_targets;
    if (t.login && t.login->loginPending) {
        t.login->loginPending = false;
        any = true;
    }
    for (Tsend_rec_command *x : {t.settings, t.numbers, t.history})
        if (x && x->awaitingReply) {
            x->awaitingReply = false;
            any = true;
        }
    return any;
}

bool ReplyHandler::takeReply(Tsend_rec_command *target)
{
    if (!target || !target->awaitingReply) {
        emit routed(Route::Ignored);
        return false;
    }
    target->awaitingReply = false;
    // A page read must bring a whole page: decoding a short one would mix in bytes left
    // from the previous page.
    if (m_valid.command == kCmdReadBlock && m_valid.dataLength != kPageSize) {
        emit routed(Route::ShortPage);
        m_reporter.messageBox(QStringLiteral("The unit sent an incomplete page (%1 of %2 bytes). "
                                             "The transfer was stopped; please try again.")
                                  .arg(m_valid.dataLength)
                                  .arg(kPageSize));
        return false;
    }
    handOver(target);
    return true;
}

void ReplyHandler::handOver(Tsend_rec_command *target)
{
    if (!target)
        return;
    target->address = m_valid.address;
    std::copy(m_valid.data.begin(), m_valid.data.begin() + m_valid.dataLength, target->data.begin());
}

bool ReplyHandler::firstDataByteIsOne() const
{
    // A reply without data carries no verdict: it counts as refused.
    return m_valid.dataLength > 0 && m_valid.data[0] == 0x01;
}

namespace {
void call(const std::function<void()> &f)
{
    if (f)
        f();
}

int percent(const Tsend_rec_command *t)
{
    return t->nextPage * 100 / t->pageCount;
}
} // namespace

void ReplyHandler::route()
{
    const std::int32_t a = m_valid.address;
    auto &t = m_targets;

    switch (m_valid.command) {
    case kCmdReadBlock:
        if (a < 0x1000) {
            m_reporter.setStatus(QStringLiteral("Reading basic setting"));
            if (t.login && t.login->loginPending) {
                if (m_valid.dataLength < 4) {
                    t.login->loginPending = false;
                    emit routed(Route::ShortPage);
                    m_reporter.messageBox(QStringLiteral("The unit's reply to the login was incomplete. "
                                                         "Please log in again."));
                    return;
                }
                emit routed(Route::Login);
                if (t.loginCheck)
                    t.loginCheck(m_valid);
                return;
            }
            if (!takeReply(t.settings))
                return;
            emit routed(Route::SettingsRead);
            call(t.decodeSettingsPage);
        } else if (a <= 0xFFFF) {
            if (!t.numbers || !t.numbers->awaitingReply) {
                m_reporter.setStatus(QStringLiteral("Reading number list:"));
                emit routed(Route::Ignored);
                return;
            }
            m_reporter.setStatus(QStringLiteral("Reading number list:%1/%2").arg(t.numbers->nextPage).arg(t.numbers->pageCount));
            m_reporter.setProgress(percent(t.numbers));
            if (!takeReply(t.numbers))
                return;
            emit routed(Route::NumbersRead);
            call(t.decodeNumberListPage);
        } else {
            if (!t.history || !t.history->awaitingReply) {
                m_reporter.setStatus(QStringLiteral("Reading historical data:"));
                emit routed(Route::Ignored);
                return;
            }
            m_reporter.setStatus(
                QStringLiteral("Reading historical data:%1/%2").arg(t.history->nextPage - 1).arg(t.history->pageCount));
            m_reporter.setProgress(percent(t.history));
            if (!takeReply(t.history))
                return;
            emit routed(Route::HistoryRead);
            call(t.decodeHistoryPage);
        }
        return;

    case kCmdWriteBlock:
        if (a < 0x1000) {
            m_reporter.setStatus(QStringLiteral("Save basic settings"));
            if (!takeReply(t.settings))
                return;
            if (firstDataByteIsOne()) {
                emit routed(Route::SettingsWriteAccepted);
                call(t.sendNextSettingsPage);
            } else {
                emit routed(Route::SettingsWriteRefused);
                m_reporter.messageDialog(QStringLiteral("Basic setting error"));
            }
        } else if (a <= 0xFFFF) {
            if (!t.numbers || !t.numbers->awaitingReply) {
                m_reporter.setStatus(QStringLiteral("Save number list:"));
                emit routed(Route::Ignored);
                return;
            }
            m_reporter.setStatus(QStringLiteral("Save number list:%1/%2").arg(t.numbers->nextPage).arg(t.numbers->pageCount));
            m_reporter.setProgress(percent(t.numbers));
            if (!takeReply(t.numbers))
                return;
            if (firstDataByteIsOne()) {
                emit routed(Route::NumbersWriteAccepted);
                call(t.sendNextNumberListPage);
            } else {
                emit routed(Route::NumbersWriteRefused);
                m_reporter.messageDialog(QStringLiteral("Number list data error"));
            }
        } else {
            m_reporter.setStatus(QStringLiteral("Undefined address"));
            emit routed(Route::UndefinedAddress);
        }
        return;

    case kCmdDeleteHistory:
        m_reporter.setStatus(QStringLiteral("Delete command"));
        if (firstDataByteIsOne()) {
            emit routed(Route::HistoryDeleted);
            m_reporter.messageDialog(QStringLiteral("Historical data deleted"));
        } else {
            emit routed(Route::HistoryDeleteRefused);
            m_reporter.messageDialog(QStringLiteral("Historical data delet error"));
        }
        return;

    default:
        m_reporter.setStatus(QStringLiteral("Undefined data"));
        emit routed(Route::UndefinedData);
        return;
    }
}

void ReplyHandler::tmr1Timer()
{
    m_timer.stopRule();
    m_replyIncoming = false;
    // A login whose reply never came must not take over a later settings read.
    if (m_targets.login)
        m_targets.login->loginPending = false;
    // A reply that stopped half way is dropped, so the next one is read from its start.
    m_rec.inFrame = 0;
    m_rec.byteCount = 0;
    m_reporter.messageBox(QStringLiteral("Receive timeout"));
    m_reporter.setStatusDirect(QString());
    m_reporter.setProgress(100);
    emit timedOut();
}

} // namespace zc
