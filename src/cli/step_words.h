// The command line's words for a job's steps: the report's names and result words, the
// progress and --verbose lines, and the stderr sentence of a step that failed. Each is
// computed from a StepRecord and its Outcome.
#pragma once

#include "cli/step_record.h"
#include "words/area_words.h"

#include <QString>

namespace zc::cli {

// The step as the report names it ("log in", "read settings", "verify number list").
QString stepName(StepRecord::Kind kind, Area area);
// A step's result as the JSON report writes it ("completed", "timed-out", "skipped", …).
QString resultName(StepRecord::Result result);
// What a running step is doing ("logging in", "saving number list").
QString stepDoing(StepRecord::Kind kind, Area area);
// A --verbose line for a page moved: "settings page 2 of 5 read".
QString pageLine(Area area, int page, int pages, bool saved);

// Why a step whose link operation ended (r.outcome) without success failed, as the stderr
// line says it after the port. timeoutMs is the reply time-out the job waited.
QString operationFailure(const StepRecord &r, int timeoutMs);
// A save that could not start: its table was refused (refusal says why, when known).
QString saveNotStarted(Area area, const QString &refusal);
// What a save step left on the unit, in the words the window uses; empty when no save ran.
QString leftBehindText(const StepRecord &r);
// The account of a job a signal ended (how: endedBySignal's words). running is the step
// that ran then, if any.
QString interruptAccount(const QString &how, const StepRecord *running);

} // namespace zc::cli
