// What an operation needs to send requests, and what the reply handler knows of whoever
// waits for a reply. Depends on nothing else of the link, so the handler, the requests
// and the transfers meet here instead of including each other.
#pragma once

#include <QString>
#include <cstdint>

namespace zc {

class TComm;
class Reporter;
class RuleTimer;
class ReplyHandler;

struct LinkContext
{
    TComm *comm = nullptr;
    Reporter *reporter = nullptr;
    RuleTimer *replyTimer = nullptr;
    ReplyHandler *handler = nullptr;
};

// Who waits for the reply of a request.
enum class Requester { Login, Transfer, Single };

// Why a request's reply will never be taken.
enum class Interruption {
    TimedOut,      // no reply in time
    Damaged,       // the reply failed its checksum
    PortLost,      // the device went away
    Abandoned,     // the port was closed, or another operation took over
};

// An operation that takes the replies to the requests it sent (a paged transfer).
class ReplyReceiver
{
public:
    virtual ~ReplyReceiver() = default;
    // The reply to the request this receiver sent: its address and its N payload bytes.
    virtual void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload, int length) = 0;
    // The reply to its request will never come: the receiver ends and says, in one
    // sentence, what it left on the unit or in its table (empty when nothing ran).
    virtual QString interrupt(Interruption why) = 0;
    // Started and not ended.
    virtual bool active() const = 0;
    // Stop between whole pages: after the reply now awaited, or at once when none is.
    virtual void requestStop() = 0;
    virtual void stopNow() = 0;
    // The page counters the status line shows (0 when it shows none).
    virtual int pageCount() const = 0;
    virtual int nextPage() const = 0;
};

} // namespace zc
