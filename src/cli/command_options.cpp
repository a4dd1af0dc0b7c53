// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_options.h"

namespace zc::cli {

void addFormatOption(CLI::App *cmd, std::string &format, const char *help,
                     const std::vector<std::string> &types)
{
    std::string names;
    for (const std::string &t : types)
        names += (names.empty() ? "" : "|") + t;
    cmd->add_option("--format", format, help)->check(CLI::IsMember(types))->type_name(names);
}

void addAreaFileArgument(CLI::App *cmd, std::string &file, bool settings)
{
    cmd->add_option("FILE", file,
                    settings ? "Profile .xlsx/.ods/.xls or .json, or - for stdin"
                             : "List .xlsx/.ods/.xls, .csv or .json, or - for stdin")
        ->required();
}

void addNamesOption(CLI::App *cmd, std::string &names)
{
    cmd->add_option("--names", names, "Add the names of a names file (CSV, XLSX or ODS: number, name, note)")
        ->type_name("FILE");
}

void addInputOptions(CLI::App *cmd, InputArgs &args, bool writesProfile)
{
    addFormatOption(cmd, args.format);
    cmd->add_flag("--dry-run", args.dryRun, "Show what writing would change on each unit, and write nothing");
    if (writesProfile)
        cmd->add_flag(
            "--accept-number-cells", args.acceptNumberCells,
            "Write a profile whose password or SIM number is a number cell (a leading 0 may be lost)");
}

} // namespace zc::cli
