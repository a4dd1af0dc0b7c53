// zarvento-cli's commands: the argument parsing, the jobs each command runs on its units
// in one event loop, and what goes to stdout and stderr. Returns the exit code.
#pragma once

namespace zc::cli {

// Needs a QCoreApplication.
int run(int argc, char **argv);

} // namespace zc::cli
