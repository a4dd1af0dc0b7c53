// How one device operation ended: a paged transfer, the login or the history delete each
// end exactly once, with one Outcome. It holds facts only (what kind of end and why, which
// page, how far it got); the window and the command line choose their own words for it
// (words/left_behind.h says what a transfer that ended early left behind). A reply
// that comes after the end, or that nobody asked for, never makes a second outcome.
#pragma once

#include "link/address_map.h"

#include <QMetaType>

namespace zc {

// Why a request's reply will never be taken.
enum class Interruption {
    TimedOut,  // no reply in time
    Damaged,   // the reply failed its checksum
    PortLost,  // the device went away
    Stopped,   // the user stopped it
    Closed,    // the user closed the port
    Abandoned, // another operation took over, or the port was opened again
};

struct Outcome
{
    enum class Kind {
        Completed, // every page was read or saved; the password matched; the delete was answered
        Refused,   // the unit refused a page or the delete, or holds another password
        TimedOut,  // no reply in time
        Damaged,   // the reply failed its checksum, or came short
        PortLost,  // the device went away
        Stopped,   // stopped by the user, or abandoned (port closed, another operation)
    };
    // What ended: a paged transfer, the login, the delete, or a request nobody waited for.
    enum class Operation { Transfer, Login, Delete, Request };
    // Why a Damaged or Stopped end, or a refused login, came about.
    enum class Cause {
        None,
        Checksum,      // Damaged: the reply failed its checksum
        ShortReply,    // Damaged: a page read without a whole page, a login reply without the password
        NoVerdict,     // Damaged: a save's reply without data, so without a verdict
        ByUser,        // Stopped: Stop (or Ctrl-C)
        PortClosed,    // Stopped: the user closed the port
        Superseded,    // Stopped: another operation took over, or the port was opened again
        WrongPassword, // Refused: the login's password is not the one the unit holds
    };
    Kind kind = Kind::Completed;
    Area area = Area::Settings;
    bool writing = false;
    int page = 0;      // the page concerned, 1-based; 0 when none
    int pagesDone = 0; // pages read, or saved and acknowledged
    int pageCount = 0;
    // The page concerned was sent and the unit may or may not have written it.
    bool inFlightUnknown = false;
    Operation operation = Operation::Transfer;
    Cause cause = Cause::None;
    int replyLength = 0; // for ShortReply: the data bytes the reply brought

    bool completed() const { return kind == Kind::Completed; }
};

// The kind of end, and its cause, of a request whose reply will never be taken.
constexpr Outcome::Kind outcomeKind(Interruption why)
{
    switch (why) {
    case Interruption::TimedOut:
        return Outcome::Kind::TimedOut;
    case Interruption::Damaged:
        return Outcome::Kind::Damaged;
    case Interruption::PortLost:
        return Outcome::Kind::PortLost;
    case Interruption::Stopped:
    case Interruption::Closed:
    case Interruption::Abandoned:
        break;
    }
    return Outcome::Kind::Stopped;
}
constexpr Outcome::Cause outcomeCause(Interruption why)
{
    switch (why) {
    case Interruption::Damaged:
        return Outcome::Cause::Checksum;
    case Interruption::Stopped:
        return Outcome::Cause::ByUser;
    case Interruption::Closed:
        return Outcome::Cause::PortClosed;
    case Interruption::Abandoned:
        return Outcome::Cause::Superseded;
    case Interruption::TimedOut:
    case Interruption::PortLost:
        break;
    }
    return Outcome::Cause::None;
}

} // namespace zc

Q_DECLARE_METATYPE(zc::Outcome)
