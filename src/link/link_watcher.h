// What the link and the transfers report while they work, as facts only: a request went out,
// bytes arrived, where a reply went, how an operation ended, why a device action was not
// started. The link chooses no words: the window says these facts in its status line and messages
// (words/link_words.h), the command line in its own messages. Every call has an empty
// default, so a watcher takes only what it shows.
#pragma once

#include "link/address_map.h"
#include "link/link_context.h"
#include "link/outcome.h"
#include "link/port_problem.h"

#include <QString>
#include <optional>

namespace zc {

class LinkWatcher
{
public:
    virtual ~LinkWatcher() = default;

    // A request is on the wire: the login, the delete, or page `page` of `pages` of a
    // transfer of `area` (saving when writing).
    struct Sent
    {
        Requester who = Requester::Transfer;
        Area area = Area::Settings;
        bool writing = false;
        int page = 0;
        int pages = 0;
    };
    virtual void requestSent(const Sent &sent) { (void)sent; }

    // Bytes from the unit arrived (once per chunk).
    virtual void bytesReceived() {}
    // A received frame failed its checksum and was dropped.
    virtual void frameDamaged() {}

    // A good frame was routed. For a page reply: its area and direction, and when it answers
    // a running transfer the transfer's counters as the reply was taken (nextPage already
    // advanced past the page it answers; both 0 otherwise).
    struct Reply
    {
        enum class Kind { Page, Delete, UndefinedAddress, UndefinedData } kind = Kind::Page;
        Area area = Area::Settings;
        bool read = true;
        int nextPage = 0;
        int pageCount = 0;
    };
    virtual void replyRouted(const Reply &reply) { (void)reply; }
    // A reply that answers nothing was ignored: one made of bytes received before its request
    // was written (early), or the reply of a request that already ended (late: that request's
    // outcome, when it had one).
    virtual void replyIgnored(bool early, const std::optional<Outcome> &late)
    {
        (void)early;
        (void)late;
    }
    // A reply is being handed on (on), or was (off). The next request goes out inside: what
    // a watcher that paints shows meanwhile may wait until off, so that painting never delays
    // that request.
    virtual void handingOn(bool on) { (void)on; }

    // A page read is being written into the area's table (on), or was (off).
    virtual void decoding(Area area, int page, bool on)
    {
        (void)area;
        (void)page;
        (void)on;
    }
    // How far the decoding of the page now being written has got, 0..100.
    virtual void decodeProgress(Area area, int percent)
    {
        (void)area;
        (void)percent;
    }

    // An operation ended (a transfer, the login, the delete, or a request that nobody waited
    // for any more timed out): exactly once for each, with its outcome.
    virtual void ended(const Outcome &outcome) { (void)outcome; }

    // A device action was not started: the port is closed, or an operation is running.
    enum class Busy { Login, Delete, Save, Read };
    virtual void refusedPortClosed() {}
    virtual void refusedBusy(Busy running) { (void)running; }

    // The user closed the port; `stopped` is the operation it ended, if one ran.
    virtual void portClosed(const std::optional<Outcome> &stopped) { (void)stopped; }
    // The device went away (why: how); `stopped` is the operation it ended, and waiting says
    // whether any request or transfer was waiting on it.
    virtual void portLost(const PortProblem &why, bool waiting, const std::optional<Outcome> &stopped)
    {
        (void)why;
        (void)waiting;
        (void)stopped;
    }
};

} // namespace zc
