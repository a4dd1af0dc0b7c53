// How one device operation ended: a paged transfer, the login or the history delete each
// end exactly once, with one Outcome. It holds facts only (what kind of end, which page,
// how far it got); the window and the command line choose their own words for it. A reply
// that comes after the end, or that nobody asked for, never makes a second outcome.
#pragma once

#include "link/address_map.h"
#include "link/link_context.h"

#include <QMetaType>
#include <QString>

namespace zc {

// One sentence on what a paged transfer that ended early left behind: on the unit for a save
// (writing), in the table for a read. total is the transfer's page count and done the pages
// whose reply was handled (read, or saved and acknowledged). With inFlightUnknown the page
// after them was sent and its reply never came or came damaged, so the unit may or may not
// have written it. Empty when every page was done. The window, the command line and the
// provisioning report all say it in these words.
QString leftBehind(bool writing, int total, int done, bool inFlightUnknown);

struct Outcome
{
    enum class Kind {
        Completed, // every page was read or saved; the login or the delete was answered
        Refused,   // the unit refused a page or the delete
        TimedOut,  // no reply in time
        Damaged,   // the reply failed its checksum, or came short
        PortLost,  // the device went away
        Stopped,   // stopped by the user, or abandoned (port closed, another operation)
    };
    Kind kind = Kind::Completed;
    Area area = Area::Settings;
    bool writing = false;
    int page = 0;      // the page concerned, 1-based; 0 when none
    int pagesDone = 0; // pages read, or saved and acknowledged
    int pageCount = 0;
    // The page concerned was sent and the unit may or may not have written it.
    bool inFlightUnknown = false;

    bool completed() const { return kind == Kind::Completed; }
    // What the unit (a save) or the table (a read) holds now; empty when nothing is missing.
    QString leftBehind() const { return zc::leftBehind(writing, pageCount, pagesDone, inFlightUnknown); }
};

// The kind of end of a request whose reply will never be taken.
constexpr Outcome::Kind outcomeKind(Interruption why)
{
    switch (why) {
    case Interruption::TimedOut:
        return Outcome::Kind::TimedOut;
    case Interruption::Damaged:
        return Outcome::Kind::Damaged;
    case Interruption::PortLost:
        return Outcome::Kind::PortLost;
    case Interruption::Abandoned:
        break;
    }
    return Outcome::Kind::Stopped;
}

} // namespace zc

Q_DECLARE_METATYPE(zc::Outcome)
