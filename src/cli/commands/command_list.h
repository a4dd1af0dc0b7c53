// Every command of zarvento-cli, each made by its own file in this folder. commands.cpp
// lists them in the order --help shows them.
#pragma once

#include "cli/command.h"
#include "link/address_map.h"

#include <memory>
#include <vector>

namespace zc::cli {

// Every command, in the order --help shows them (commands.cpp).
std::vector<std::unique_ptr<Command>> allCommands();

std::unique_ptr<Command> makePortsCommand();
std::unique_ptr<Command> makeIdentifyCommand();
// settings read, numbers read, history read
std::unique_ptr<Command> makeReadCommand(Area area);
// settings write, numbers write
std::unique_ptr<Command> makeWriteCommand(Area area);
// settings diff, numbers diff
std::unique_ptr<Command> makeDiffCommand(Area area);
std::unique_ptr<Command> makeExpiringCommand();
std::unique_ptr<Command> makeSweepCommand();
std::unique_ptr<Command> makeHistoryDeleteCommand();
std::unique_ptr<Command> makeHistoryQueryCommand();
std::unique_ptr<Command> makeProvisionCommand();
std::unique_ptr<Command> makeRestoreCommand();
std::unique_ptr<Command> makeBackupCommand();
std::unique_ptr<Command> makeAuditCommand();

} // namespace zc::cli
