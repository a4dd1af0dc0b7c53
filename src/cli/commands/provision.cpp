// zarvento-cli provision: a profile and/or a list written to several units at once; each
// unit keeps its own password and SIM number unless asked otherwise.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/fleet_write.h"
#include "cli/units.h"

namespace zc::cli {

namespace {

class ProvisionCommand : public Command
{
public:
    ProvisionCommand()
        : Command("", "provision", "Write a profile and/or a list to several units at once",
                  {Ports::Several, true, true, {"--profile", "--numbers"}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        units.addOptions(&cmd, declaration());
        cmd.add_option("--profile", m_profile, "Settings profile .xlsx/.ods/.xls or .json, or - for stdin")
            ->type_name("FILE");
        cmd.add_option("--numbers", m_numbers, "Number list .xlsx/.ods/.xls, .csv or .json, or - for stdin")
            ->type_name("FILE");
        addFleetOptions(&cmd, units, m_args, false);
        cmd.add_flag("--set-password", m_args.setPassword,
                     "Write the profile's password (item 1) too; without it each unit keeps its own");
        cmd.add_flag("--set-sim-number", m_args.setSimNumber,
                     "Write the profile's SIM number (item 2) too; without it each unit keeps its own");
    }

    Exit run(Units &units) override
    {
        if (m_profile.empty() && m_numbers.empty())
            return refuse(QStringLiteral("provision needs --profile FILE, --numbers FILE or both"));
        return writeToUnits(units, m_args, QStringLiteral("provision"), q(m_profile), q(m_numbers));
    }

private:
    std::string m_profile, m_numbers;
    FleetArgs m_args;
};

} // namespace

std::unique_ptr<Command> makeProvisionCommand()
{
    return std::make_unique<ProvisionCommand>();
}

} // namespace zc::cli
