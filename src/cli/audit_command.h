// zarvento-cli audit: reads one or many units side by side (or a backup folder, or a
// profile and a list file) and reports what the audit's rules find. It only reads: the
// units see nothing but read requests.
#pragma once

#include "cli/unit_job.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zc::cli {

struct AuditArgs
{
    std::string folder, profile, numbers, historyFile, report, countryCode, names;
    bool history = false, json = false;
    int withinDays = 14;
    std::vector<std::string> ignore;
};

// What the audit takes from the program's shared machinery (the port and password options,
// the jobs' event loop, standard output and the report file).
struct AuditHost
{
    const std::vector<std::string> &ports;
    bool quiet = false, verbose = false;
    // Takes each unit's password and checks the port forms: "" or why not (nothing is sent then).
    std::function<QString()> prepareUnits;
    std::function<UnitJob::Options(const std::string &port)> jobOptions;
    std::function<Exit(const QList<UnitJob *> &jobs)> runJobs;
    std::function<Exit(const QString &message)> usageError;
    std::function<bool(const QByteArray &bytes)> out;
    std::function<void(const QString &line)> errLine;
    std::function<QString(const QString &path)> reportProblem;
    std::function<QString(const QString &path, const QByteArray &bytes)> writeOutput;
};

// The audit command with its own options; the caller adds the port and password options.
CLI::App *addAuditCommand(CLI::App &app, AuditArgs &args);
Exit runAudit(const AuditArgs &args, const AuditHost &host);

} // namespace zc::cli
