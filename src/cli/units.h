// The units a command works on: the port and password options every unit command shares,
// the checks made on them before any unit is opened, and the one event loop in which the
// units' jobs run side by side, with the progress line and the messages on stderr.
#pragma once

#include "cli/command.h"
#include "cli/remote_options.h"
#include "cli/unit_job.h"

#include <QList>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace zc::cli {

class Units
{
public:
    // Adds --port (one, or once per unit, as declared), the password options, --timeout-ms,
    // --quiet, --verbose and the remote options.
    void addOptions(CLI::App *cmd, const Declaration &declaration);
    // Adds --password-for, for commands that take several units.
    void addPasswordFor(CLI::App *cmd);

    const std::vector<std::string> &ports() const { return m_args.ports; }
    bool passwordForGiven() const { return !m_args.passwordFor.empty(); }
    bool quiet() const { return m_args.quiet; }
    bool verbose() const { return m_args.verbose; }

    // Takes each unit's password and checks the port forms and --quiet/--verbose: "" or why
    // not (nothing is sent then). With --verbose, turns the traffic log on.
    QString prepare();
    // "" when no unit is given twice (under any of its names), else which one is.
    QString portsGivenOnce() const;

    UnitJob::Options jobOptions(const std::string &port) const;
    // Runs the jobs side by side in one event loop; their messages go to stderr as each
    // ends. Quiet leaves out the progress line; verbose adds a line per page and per step.
    // With holdFailure a failed job's last message (why it failed) is left to its result
    // line, so that it is printed once. Returns the worst exit.
    Exit run(const QList<UnitJob *> &jobs, bool holdFailure = false);

private:
    QString choosePasswords();

    struct Args
    {
        std::vector<std::string> ports;
        std::string password, passwordFile;
        std::vector<std::string> passwordFor;
        int timeoutMs = 3000;
        bool quiet = false, verbose = false;
        RemoteArgs remote;
    } m_args;
    // The password for each port as given, and for any other.
    QString m_password;
    std::map<QString, QString> m_passwords;
};

} // namespace zc::cli
