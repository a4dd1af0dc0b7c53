// Takes received bytes, a chunk at a time, has the frame assembler turn them into frames,
// and routes good replies. It remembers the one request that is outstanding (command,
// address and who asked) and hands a reply over only when it answers that request, to the
// receiver that sent it (the login, a transfer or the delete: deliver). A request that will
// never be answered ends its receiver (interrupt); each receiver then ends once, with its own
// outcome. Every good frame is reported to the link's watcher (replyRouted); one that answers
// nothing reaches no receiver, and the watcher hears it ignored when it came early (made of
// bytes received before the request was written, which cannot answer it) or late. It knows no words: what it
// reports are facts. A request ends within a bounded time: its deadline is its write plus the reply timer's
// interval, moved once, when the header of the awaited reply arrives, by that frame's time on the wire; no
// other byte moves it. A time-out, a damaged reply or Stop ends it, and a reply that comes after that is
// reported as late, never continued.
#pragma once

#include "link/address_map.h"
#include "link/frame.h"
#include "link/frame_assembler.h"
#include "link/link_context.h"
#include "link/link_watcher.h"

#include <QObject>
#include <array>
#include <vector>

namespace zc {

class LinkWatcher;
class RuleTimer;

class ReplyHandler : public QObject
{
    Q_OBJECT
public:
    explicit ReplyHandler(RuleTimer &replyTimer, QObject *parent = nullptr);
    // Who hears what the handler reports (none: nobody).
    void setWatcher(LinkWatcher *watcher) { m_watcher = watcher; }
    // The name the traffic log gives the frames assembled here; none by default.
    void setTrafficLabel(const QString &label) { m_trafficLabel = label; }

    // The receiver of each address range: ended by abandonAll, asked by Stop.
    void attach(Area area, ReplyReceiver *receiver) { m_receivers[int(area)] = receiver; }
    ReplyReceiver *receiver(Area area) const { return m_receivers[int(area)]; }

    // A request is about to go out: early holds what the port received before it, which
    // is assembled now and can answer nothing. Its reply is the only one taken from now on.
    // A request of another operation ends the earlier one's claim on any late reply. The
    // assembler starts clean.
    void requestSent(std::uint8_t command, std::int32_t address, Requester who, ReplyReceiver *receiver,
                     const QByteArray &early = {});
    // Ends the outstanding request at once (Stop): its operation ends with its outcome; a
    // reply that still comes is late. False when none was outstanding.
    bool stopOutstanding();
    // The time a frame with n data bytes takes on the wire at 115200 baud, in whole ms.
    static int wireMs(int n) { return ((n + 9) * 10 * 1000 + 115199) / 115200; }
    // Time added to every reply deadline: a unit behind a network waits a round trip longer.
    void setDeadlineAllowance(int ms) { m_baseMs = m_ownMs + qMax(0, ms); }
    int deadlineMs() const { return m_baseMs; }
    // Forgets any half-received frame (a new request, the port opened or closed, a time-out).
    void resetAssembler();
    // Ends every receiver and a pending login or delete; true when one was waiting.
    // stopped gets the outcome of the operation that was waiting (the outstanding request's
    // first), which says what it left on the unit or in its table.
    bool abandonAll(Interruption why = Interruption::Abandoned, std::optional<Outcome> *stopped = nullptr);
    // The attached receiver that has started and not ended, or nullptr.
    ReplyReceiver *activeReceiver() const;
    // A request is outstanding: its reply is awaited and its time-out runs.
    bool outstanding() const { return m_out.active; }
    // What the outstanding request belongs to.
    LinkWatcher::Busy outstandingOperation() const;

    // Received bytes, in order, in any chunking.
    void receive(const std::uint8_t *bytes, std::size_t count);
    void receiveChunk(const QByteArray &chunk)
    {
        receive(reinterpret_cast<const std::uint8_t *>(chunk.constData()), std::size_t(chunk.size()));
    }
    // One received byte.
    void cm1ReceiveData(std::uint8_t byte) { receive(&byte, 1); }
    // The reply timer fired.
    void tmr1Timer();

    const TRecValidCom &validCom() const { return m_valid; }
    const FrameAssembler &assembler() const { return m_assembler; }

private:
    struct Outstanding
    {
        bool active = false;
        std::uint8_t command = 0;
        std::int32_t address = 0;
        Requester who = Requester::Single;
        ReplyReceiver *receiver = nullptr;
    };

    bool answers(const Outstanding &out, std::uint8_t command, std::int32_t address) const;
    // The frame's header and length are those of the reply awaited now.
    bool isAwaitedShape(const ReceivedFrame &f) const;
    void routeFrames();
    void handleFrame(const ReceivedFrame &frame, bool early);
    void route(bool early);
    // The outstanding request is over (answered, ended): its deadline no longer runs.
    void clearOutstanding();
    // Moves the deadline once, when the header of the awaited reply is in.
    void watchHeader();
    // Ends the outstanding request: its operation ends with its outcome.
    void endOutstanding(Interruption why);

    LinkWatcher *m_watcher = nullptr;
    QString m_trafficLabel;
    RuleTimer &m_timer;
    std::array<ReplyReceiver *, kAreaCount> m_receivers{};
    Outstanding m_out;
    Outstanding m_late;                   // the last request that ended unanswered: its reply is late
    std::optional<Outcome> m_lateOutcome; // how that request's operation ended
    FrameAssembler m_assembler;
    std::vector<ReceivedFrame> m_frames; // assembled, waiting to be routed
    std::size_t m_nextFrame = 0;
    std::size_t m_earlyFrames = 0; // frames before this index were received before the request
    bool m_routing = false;
    bool m_deadlineMoved = false;
    int m_ownMs = 3000;  // the reply timer's own interval
    int m_baseMs = 3000; // that and the network allowance
    TRecValidCom m_valid;
};

} // namespace zc
