// The report file of provision and restore, before and after the units are written: its
// folder must take a file before anything is sent, and a report that still cannot be
// written afterwards is said as such, with a code of its own, since the units got what
// their lines say.
#pragma once

#include "cli/unit_job.h"

#include <QByteArray>
#include <QString>

namespace zc::cli {

// "" when a file can be made in folder and its disk has room left; else why not.
QString reportFolderProblem(const QString &folder);

// A report file must be writable before any unit is touched: "" or why not. "-" is
// standard output.
QString reportProblem(const QString &path);

// Writes bytes to the file, or to standard output for "-": "" or why not.
QString writeOutput(const QString &path, const QByteArray &bytes);

// Writes the line on the lost report to stderr and returns Exit::ReportLost; why names
// the failure.
Exit reportLost(const QString &path, const QString &why);

} // namespace zc::cli
