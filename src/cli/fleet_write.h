// provision and restore: a profile and/or a list written to every unit given at once, a
// result line per unit, and the report. Every file, every value and the report's folder
// are checked before any unit is opened.
#pragma once

#include "cli/command_options.h"
#include "cli/unit_writes.h"

#include <QString>

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace zc::cli {

class Units;

struct FleetArgs
{
    std::string report;
    InputArgs input; // provision takes --format and --accept-number-cells; restore does not
    bool verify = false, yes = false, setPassword = false, setSimNumber = false;
};

// Adds --password-for, --verify, --report, --dry-run (for provision with --format and
// --accept-number-cells) and --yes.
void addFleetOptions(CLI::App *cmd, Units &units, FleetArgs &args, bool restore);

// Writes the files to every unit. command names the run in the report; backup, for a
// restore, is whose the files are.
Exit writeToUnits(Units &units, const FleetArgs &args, const QString &command, const QString &profilePath,
                  const QString &numbersPath, std::optional<BackupIdentity> backup = {});

} // namespace zc::cli
