// What an operation needs to send requests, and what the reply handler knows of whoever
// waits for a reply. Depends only on the outcome's facts, so the handler, the requests
// and the transfers meet here instead of including each other.
#pragma once

#include "link/outcome.h"

#include <cstdint>
#include <optional>

namespace zc {

class TComm;
class LinkWatcher;
class RuleTimer;
class ReplyHandler;

struct LinkContext
{
    TComm *comm = nullptr;
    LinkWatcher *watcher = nullptr;
    RuleTimer *replyTimer = nullptr;
    ReplyHandler *handler = nullptr;
};

// Who waits for the reply of a request.
enum class Requester { Login, Transfer, Single };

// An operation that takes the replies to the requests it sent (a paged transfer).
class ReplyReceiver
{
public:
    virtual ~ReplyReceiver() = default;
    // The reply to the request this receiver sent: its address and its N payload bytes.
    virtual void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                         int length) = 0;
    // The reply to its request will never come: the receiver ends, and gives the outcome it
    // ended with (none when it was not running).
    virtual std::optional<Outcome> interrupt(Interruption why) = 0;
    // Started and not ended.
    virtual bool active() const = 0;
    // Stop between whole pages: after the reply now awaited, or at once when none is.
    virtual void requestStop() = 0;
    // Stop at once, as the user asked.
    void stopNow() { interrupt(Interruption::Stopped); }
    // The page counters of a paged transfer (0 for a single request).
    virtual int pageCount() const = 0;
    virtual int nextPage() const = 0;
};

} // namespace zc
