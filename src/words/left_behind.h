// One sentence on what an operation that ended early left behind: on the unit for a save,
// in the table for a read. The window, the command line and the provisioning report all
// say it in these words.
#pragma once

#include "link/outcome.h"

#include <QList>
#include <QString>

namespace zc {

// total is the transfer's page count and done the pages whose reply was handled (read, or
// saved and acknowledged). With inFlightUnknown the page after them was sent and its reply
// never came or came damaged, so the unit may or may not have written it. Empty when every
// page was done.
QString leftBehind(bool writing, int total, int done, bool inFlightUnknown);
// The sentence for an outcome: a transfer's as above; for a delete that got no verdict,
// that it is unknown whether the unit deleted its log; empty otherwise.
QString leftBehind(const Outcome &outcome);

// Pages in ascending order as runs: "page 31", "pages 31 to 125", "pages 2, 31 and 40 to 125".
QString pageRuns(const QList<int> &pages);
// The question's sentence for pages of an area whose content on the unit is not known
// while others are: what is unknown and why it can be.
QString unknownPagesSentence(Area area, const QList<int> &pages, int total);

// How a signal ended the program, in the words both programs put before that sentence:
// "terminated" (SIGTERM), "hung up (SIGHUP)", "interrupted (Ctrl-C)" (SIGINT).
QString endedBySignal(int signalNumber);

} // namespace zc
