// One command of zarvento-cli: its place in the command tree, its one-line description,
// what it declares about itself (how many units it takes, whether it writes to them, which
// files it reads), its options and what it does. commands.cpp lists every command in the
// order --help shows them and asks each one's declaration for the rules that all share.
#pragma once

#include "cli/unit_job.h"

#include <QString>

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zc::cli {

class Units;

// How many --port a command takes.
enum class Ports {
    None,    // it reaches no unit (no --port, no password options)
    One,     // one unit
    Several, // --port once per unit; every unit is worked on side by side
};

struct Declaration
{
    Ports ports = Ports::One;
    // False when files may stand in for the unit: the command then checks the port and
    // password options itself (Units::prepare), once it knows that it reaches a unit.
    bool portRequired = true;
    // It sends a save or a delete to a unit.
    bool writes = false;
    // The options (or arguments) naming the files it reads.
    std::vector<std::string> inputs;
};

class Command
{
public:
    // group: "" for a top-level command, else the command under which it sits ("settings").
    Command(std::string group, std::string name, std::string description, Declaration declaration)
        : m_group(std::move(group)), m_name(std::move(name)), m_description(std::move(description)),
          m_declaration(std::move(declaration))
    {
    }
    virtual ~Command() = default;

    const std::string &group() const { return m_group; }
    const std::string &name() const { return m_name; }
    const std::string &description() const { return m_description; }
    const Declaration &declaration() const { return m_declaration; }

    // Adds the command's options to its own subcommand, made by the registry. units adds
    // the port and password options where the command wants them in its --help.
    virtual void addOptions(CLI::App &cmd, Units &units) = 0;
    // Runs the parsed command; units holds the port and password options, checked unless
    // the declaration says that the command checks them itself. Returns the exit code.
    virtual Exit run(Units &units) = 0;

private:
    std::string m_group, m_name, m_description;
    Declaration m_declaration;
};

// The command under which an area's commands sit.
inline const char *areaGroup(Area area)
{
    return area == Area::Settings ? "settings" : area == Area::Numbers ? "numbers" : "history";
}

inline QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace zc::cli
