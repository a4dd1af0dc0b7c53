// Options that several commands take in the same words: the type of a file (--format), an
// area's file, a names file, and the options of a write from a file (--dry-run,
// --accept-number-cells).
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zc::cli {

void addFormatOption(CLI::App *cmd, std::string &format,
                     const char *help = "The input file's type (needed for FILE -)",
                     const std::vector<std::string> &types = {"json", "csv", "xlsx", "ods", "xls"});

// FILE, the file a write or a diff of the area takes (settings: a profile, numbers: a list).
void addAreaFileArgument(CLI::App *cmd, std::string &file, bool settings);

// --names: a names file whose names label the numbers printed.
void addNamesOption(CLI::App *cmd, std::string &names);

// What a write from a file takes besides the file: --format, --dry-run and, where a
// profile is written, --accept-number-cells.
struct InputArgs
{
    std::string format;
    bool dryRun = false, acceptNumberCells = false;
};
void addInputOptions(CLI::App *cmd, InputArgs &args, bool writesProfile);

} // namespace zc::cli
