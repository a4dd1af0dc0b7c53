// zarvento-cli's command tree: every command (src/cli/commands/), the rules each one's
// declaration sets (how many --port, the password and port checks), the unknown-command
// advice, and the run of the command given. Returns the exit code.
#pragma once

namespace zc::cli {

// Needs a QCoreApplication.
int run(int argc, char **argv);

} // namespace zc::cli
