// One step of a unit's job as it ended: what kind of step it was and, for a step that ran a
// link operation, that operation's Outcome itself. The report, the unit's lines on stderr
// and the exit code are each computed from these types (step_words.h holds the words);
// nothing reads a sentence back.
#pragma once

#include "link/address_map.h"
#include "link/outcome.h"

#include <QString>

#include <optional>

namespace zc::cli {

// The program's exit codes; with several units the worst (highest) one counts.
enum class Exit {
    Done = 0,          // done, and verified where asked
    Unit = 1,          // the unit refused (password, a page), verification or diff found a difference
    Usage = 2,         // usage or input-file error; nothing was sent
    Port = 3,          // the port is absent, not permitted or busy
    NoReply = 4,       // time-out, damaged replies or a unit that went away
    ReportLost = 5,    // the units were reached, but the report could not be written
    HungUp = 129,      // stopped by SIGHUP
    Interrupted = 130, // stopped by Ctrl-C (SIGINT)
    Terminated = 143,  // stopped by SIGTERM
};
inline Exit worse(Exit a, Exit b)
{
    return int(a) >= int(b) ? a : b;
}

// How one step of a job ended: facts only, in the order the steps were added. Steps that
// never ran because an earlier one failed end Skipped.
struct StepRecord
{
    // What the step does. A Check is the caller's own bookkeeping and gets no record.
    enum class Kind {
        LogIn,
        Read,
        Save,
        Verify,
        IdentityCheck,
        RemovalCheck,
        ArchiveHistory,
        DeleteHistory,
        Check,
    };
    // How the step ended; Pending while it has not. resultName gives the report's word.
    enum class Result { Pending, Completed, Refused, TimedOut, Damaged, PortLost, Stopped, Skipped, Failed };
    // A save step: how much of the area the unit now holds from it.
    enum class Held { Nothing, Part, Whole };

    Kind kind = Kind::Check;
    Area area = Area::Settings; // a read, save or verify: its area
    Result result = Result::Pending;
    // How the step's link operation (the login, a read, a save, the delete) ended; none for
    // a step that never started one. A save stopped by a signal holds what it had done then.
    std::optional<Outcome> outcome;
    int plannedPages = 0; // a read or save: the pages it was to move
    int differences = -1; // a verify: the differences found; -1 when none was made
    QString message;      // why it failed, as the stderr line says it (without the port)

    // A read or a save: the record names its area and pages.
    bool movesPages() const { return kind == Kind::Read || kind == Kind::Save; }
    bool isSave() const { return kind == Kind::Save; }
    int page() const { return outcome ? outcome->page : 0; } // 1-based; 0 when none
    int pagesDone() const { return outcome ? outcome->pagesDone : 0; }
    int pageCount() const { return outcome && outcome->pageCount > 0 ? outcome->pageCount : plannedPages; }
    // Page pagesDone() + 1 was sent; the unit may or may not hold it.
    bool pageUncertain() const { return outcome && outcome->inFlightUnknown; }
    Held held() const;
    // A verify that found the unit holding what was sent.
    bool verified() const { return kind == Kind::Verify && result == Result::Completed && differences == 0; }
};

// The step's result for how its operation ended.
StepRecord::Result resultOf(Outcome::Kind kind);
// The exit code of a step whose operation ended with this result.
Exit exitOf(StepRecord::Kind kind, StepRecord::Result result);

} // namespace zc::cli
