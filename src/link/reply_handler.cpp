#include "link/reply_handler.h"

#include <QScopeGuard>

#include "link/rule_timer.h"
#include "link/traffic_log.h"

#include <algorithm>

namespace zc {

namespace {

// The address ranges that take writes: a write reply of any other is an undefined address.
constexpr bool kTakesWrites[kAreaCount] = {true, true, false};

} // namespace

ReplyHandler::ReplyHandler(RuleTimer &replyTimer, QObject *parent)
    : QObject(parent), m_timer(replyTimer), m_ownMs(replyTimer.interval()), m_baseMs(m_ownMs)
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
    // The page or the delete on its way may or may not be done: the operation's outcome says so.
    m_lateOutcome = out.receiver ? out.receiver->interrupt(Interruption::Stopped) : std::nullopt;
    return true;
}

bool ReplyHandler::abandonAll(Interruption why, std::optional<Outcome> *stopped)
{
    bool waiting = m_out.active || m_assembler.inFrame();
    const Outstanding before = m_out;
    clearOutstanding();
    std::optional<Outcome> first;
    // The outstanding request's owner comes first: what it left behind is what counts.
    if (before.active && before.receiver) first = before.receiver->interrupt(why);
    for (ReplyReceiver *r : m_receivers)
        if (r && r->active()) {
            const std::optional<Outcome> o = r->interrupt(why);
            if (!first) first = o;
            waiting = true;
        }
    if (stopped) *stopped = first;
    resetAssembler();
    return waiting;
}

ReplyReceiver *ReplyHandler::activeReceiver() const
{
    for (ReplyReceiver *r : m_receivers)
        if (r && r->active()) return r;
    return nullptr;
}

LinkWatcher::Busy ReplyHandler::outstandingOperation() const
{
    if (m_out.who == Requester::Login) return LinkWatcher::Busy::Login;
    if (m_out.command == kCmdDeleteHistory) return LinkWatcher::Busy::Delete;
    if (m_out.command == kCmdWriteBlock) return LinkWatcher::Busy::Save;
    return LinkWatcher::Busy::Read;
}

void ReplyHandler::receive(const std::uint8_t *bytes, std::size_t count)
{
    if (count == 0) return;
    if (m_watcher) m_watcher->bytesReceived();
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
    logTraffic(f.good ? "reply" : "damaged reply", reinterpret_cast<const char *>(f.bytes.data()), f.size,
               m_trafficLabel);
    if (!f.good) {
        if (m_watcher) m_watcher->frameDamaged();
        if (early) return;
        // A start byte inside it may begin the real reply: reading goes on from there, unless
        // its header and length are those of the awaited reply, which then came damaged (page
        // 20 of the list lives at 0x2300, so its acknowledgement holds a start byte).
        if (!m_out.active || (f.resynchronising && !isAwaitedShape(f))) return;
        // A damaged reply ends what was waiting for it; the user is told, not left waiting.
        endOutstanding(Interruption::Damaged);
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
    // Whatever is reported while a reply is handed on may be shown once the next request is
    // on the wire.
    if (m_watcher) m_watcher->handingOn(true);
    const auto release = qScopeGuard([this] {
        if (m_watcher) m_watcher->handingOn(false);
    });
    const std::uint8_t cmd = m_valid.command;
    const bool isAnswer = !early && answers(m_out, cmd, m_valid.address);
    const bool isLate = !early && !isAnswer && answers(m_late, cmd, m_valid.address);
    const auto notice = [this](const LinkWatcher::Reply &reply) {
        if (m_watcher) m_watcher->replyRouted(reply);
    };
    const auto ignore = [this, isLate, early] {
        // Bytes that came before the request was written answer nothing: a notice, no more.
        // What a request that ended left behind still holds: its late reply changes nothing.
        if (m_watcher && (early || isLate))
            m_watcher->replyIgnored(early, isLate ? m_lateOutcome : std::nullopt);
    };
    using Kind = LinkWatcher::Reply::Kind;

    if (cmd == kCmdDeleteHistory) {
        notice({Kind::Delete, Area::History, false});
        if (!isAnswer) return ignore();
        const Outstanding out = m_out;
        clearOutstanding();
        if (out.receiver)
            out.receiver->deliver(cmd, m_valid.address, m_valid.data.data(), m_valid.dataLength);
        return;
    }
    if (cmd != kCmdReadBlock && cmd != kCmdWriteBlock) {
        notice({Kind::UndefinedData});
        return;
    }

    const Area area = routeArea(m_valid.address);
    const bool read = cmd == kCmdReadBlock;
    if (!read && !kTakesWrites[int(area)]) {
        notice({Kind::UndefinedAddress, area, false});
        return;
    }
    const Outstanding out = m_out;
    ReplyReceiver *t = isAnswer && out.who == Requester::Transfer ? out.receiver : nullptr;
    if (t)
        notice({Kind::Page, area, read, t->nextPage(), t->pageCount()});
    else
        notice({Kind::Page, area, read});
    if (!isAnswer) return ignore();
    clearOutstanding();

    // The login judges its own reply (a short one holds no whole password field); a
    // transfer its page or verdict.
    if (out.who == Requester::Login) {
        if (out.receiver)
            out.receiver->deliver(cmd, m_valid.address, m_valid.data.data(), m_valid.dataLength);
        return;
    }
    if (!t || !t->active()) return;
    t->deliver(cmd, m_valid.address, m_valid.data.data(), m_valid.dataLength);
}

void ReplyHandler::endOutstanding(Interruption why)
{
    const Outstanding out = m_out;
    clearOutstanding();
    std::optional<Outcome> ended;
    if (out.receiver) ended = out.receiver->interrupt(why);
    if (why == Interruption::TimedOut) {
        m_late = out;
        m_lateOutcome = ended;
        // A time-out with nothing waiting on it still ends the wait for a reply.
        if (!ended && m_watcher) {
            Outcome idle;
            idle.kind = Outcome::Kind::TimedOut;
            idle.operation = Outcome::Operation::Request;
            m_watcher->ended(idle);
        }
    }
}

void ReplyHandler::tmr1Timer()
{
    m_timer.stopRule();
    // A reply that stopped half way is dropped, so the next one is read from its start.
    resetAssembler();
    // The request is over: a reply that still comes is late and is not continued.
    endOutstanding(Interruption::TimedOut);
}

} // namespace zc
