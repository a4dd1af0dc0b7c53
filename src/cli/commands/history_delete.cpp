// zarvento-cli history delete: the whole log deleted on the unit, only with --yes; with
// --archive only once the archive holds every record read.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/archive_steps.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/units.h"
#include "history/history_archive.h"

namespace zc::cli {

namespace {

class HistoryDeleteCommand : public Command
{
public:
    HistoryDeleteCommand()
        : Command("history", "delete", "Delete the whole log on the unit",
                  {Ports::One, true, true, {"--archive"}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        units.addOptions(&cmd, declaration());
        cmd.add_flag("--yes", m_yes, "Confirm the delete (without it nothing is done, exit 2)");
        cmd.add_option("--archive", m_archive,
                       "Read the log and merge it into FILE first; delete only when FILE holds every record")
            ->type_name("FILE");
    }

    Exit run(Units &units) override
    {
        // The unit asks nothing before it deletes: --yes is the only confirmation.
        if (!m_yes)
            return refuse(
                QStringLiteral("history delete removes the whole log from the unit; add --yes to do it"));
        HistoryArchive archive;
        if (!m_archive.empty() && !archive.open(q(m_archive), true))
            return refuse(archiveProblem(archive, q(m_archive)) +
                          QStringLiteral("; nothing was read or deleted"));
        UnitJob job(units.jobOptions(units.ports().front()));
        job.addOpenAndLogIn();
        if (!m_archive.empty()) {
            job.addRead(Area::History);
            addMerge(job, archive, q(m_archive), units.quiet(), true);
        }
        job.addDeleteHistory();
        return units.run({&job});
    }

private:
    std::string m_archive;
    bool m_yes = false;
};

} // namespace

std::unique_ptr<Command> makeHistoryDeleteCommand()
{
    return std::make_unique<HistoryDeleteCommand>();
}

} // namespace zc::cli
