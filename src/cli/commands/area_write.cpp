// zarvento-cli settings write and numbers write: a file loaded and checked as Save checks
// it, then written to one unit (or with --dry-run, what writing it would change).
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_options.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/input_file.h"
#include "cli/unit_writes.h"
#include "cli/units.h"
#include "cli/write_steps.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"

namespace zc::cli {

namespace {

class WriteCommand : public Command
{
public:
    explicit WriteCommand(Area area)
        : Command(areaGroup(area), "write",
                  area == Area::Settings ? "Write a profile workbook or settings JSON to the unit"
                                         : "Write a list workbook, list CSV or JSON to the unit",
                  {Ports::One, true, true, {"FILE"}}),
          m_area(area)
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        const bool settings = m_area == Area::Settings;
        addAreaFileArgument(&cmd, m_file, settings);
        units.addOptions(&cmd, declaration());
        cmd.add_flag("--verify", m_verify,
                     settings ? "Read the settings back and compare byte for byte"
                              : "Read the list back and compare byte for byte");
        addInputOptions(&cmd, m_input, settings);
        if (!settings)
            cmd.add_flag("--yes", m_yes,
                         "Confirm removing numbers the unit holds (without it such a write is refused, "
                         "exit 2), or writing a list that holds no numbers");
    }

    Exit run(Units &units) override
    {
        UnitJob job(units.jobOptions(units.ports().front()));
        SettingsModel settingsFile;
        NumbersModel numbersFile;
        const InputFile in(q(m_file), q(m_input.format));
        if (const QString e =
                loadInto(m_area, in, settingsFile, numbersFile, units.quiet(), m_input.acceptNumberCells);
            !e.isEmpty())
            return refuse(e);
        const bool dryRun = m_input.dryRun;
        if (m_area == Area::Numbers && !m_yes && !dryRun && !holdsNumbers(numbersFile))
            return refuse(emptyListRefusal(q(m_file)));
        const std::function<void()> load = [&] {
            if (m_area == Area::Settings)
                copyTable(settingsFile, job.settings());
            else
                copyTable(numbersFile, job.numbers());
        };
        job.addOpenAndLogIn();
        // Numbers the unit holds are removed only when confirmed: the unit's list is read first.
        const bool checkRemovals = m_area == Area::Numbers && !m_yes && !dryRun;
        if (checkRemovals) {
            job.addRead(Area::Numbers);
            job.addCheck(load);
            addRemovalCheck(job, m_file == "-" ? QStringLiteral("standard input") : q(m_file), false);
        }
        addWriteSteps(job, m_area, {dryRun, m_verify}, false, checkRemovals, load);
        return units.run({&job});
    }

private:
    Area m_area;
    std::string m_file;
    InputArgs m_input;
    bool m_verify = false, m_yes = false;
};

} // namespace

std::unique_ptr<Command> makeWriteCommand(Area area)
{
    return std::make_unique<WriteCommand>(area);
}

} // namespace zc::cli
