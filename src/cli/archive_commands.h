// The commands that keep what a unit forgets or lets lapse: the history archive (history
// read and delete with --archive, history query), the windows that end (numbers expiring,
// numbers sweep) and names for numbers (--names on history query, numbers read, numbers
// expiring and numbers diff). commands.cpp registers them on its command tree and hands
// them the options and the machinery every command shares.
#pragma once

#include "cli/names_file.h"
#include "cli/unit_job.h"

#include <QList>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zc::cli {

class ArchiveCommands
{
public:
    // The commands and the options of the program's own commands that these use.
    struct Tree
    {
        CLI::App *history, *historyRead, *historyDelete;
        CLI::App *numbers, *numbersRead, *numbersDiff;
        std::string *output, *format, *file;
        bool *json, *yes, *dryRun, *verify, *quiet;
        // Adds --port (required), the password options, --timeout-ms, --quiet and --verbose.
        std::function<void(CLI::App *)> addDeviceOptions;
    };
    // What running a command on a unit needs.
    struct Runner
    {
        std::function<UnitJob::Options(const std::string &port)> jobOptions;
        std::function<Exit(const QList<UnitJob *> &jobs)> runJobs;
        std::vector<std::string> ports;
    };

    // Adds history query, numbers expiring and numbers sweep, and --archive and --names to
    // the commands that take them.
    void add(const Tree &tree);
    // The command line asks for one of these commands or options: run() answers it.
    bool takes() const;
    Exit run(const Runner &runner);

private:
    Exit runArchiveRead(const Runner &r);
    Exit runArchiveDelete(const Runner &r);
    Exit runQuery();
    Exit runExpiring(const Runner &r);
    Exit runSweep(const Runner &r);
    Exit runNamedNumbersRead(const Runner &r);
    Exit runNamedDiff(const Runner &r);
    // Loads --names when given: "" or why not.
    QString loadNames();

    Tree m_tree{};
    CLI::App *m_query = nullptr, *m_expiring = nullptr, *m_sweep = nullptr;
    std::string m_archive, m_names, m_number, m_from, m_to, m_action, m_endedBefore;
    int m_within = -1;
    NamesFile m_namesFile;
};

} // namespace zc::cli
