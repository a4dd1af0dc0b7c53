// The history archive as the command line uses it: why an archive cannot be used, in the
// user's words, and the step that merges what a unit's log held into it (history read and
// history delete with --archive).
#pragma once

#include "cli/unit_job.h"

#include <QString>

namespace zc {
class HistoryArchive;
}

namespace zc::cli {

// "path: why" when the archive's last operation failed, else "".
QString archiveProblem(const HistoryArchive &archive, const QString &path);

// Merges the records the job read into the archive; on failure the job fails, so no later
// step (a delete) runs. With allKept, the archive must then hold every record read. Unless
// quiet, notes what the merge added and the records lost before they were read.
void addMerge(UnitJob &job, HistoryArchive &archive, const QString &path, bool quiet, bool allKept);

} // namespace zc::cli
