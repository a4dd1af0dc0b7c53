// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/units.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace zc::cli {

namespace {

constexpr const char *kExitCodes =
    "Exit codes (with several units, the worst of them):\n"
    "  0  done, and verified where asked\n"
    "  1  the unit refused (wrong password, a refused page), verification found a\n"
    "     difference, or diff found a change\n"
    "  2  usage or input-file error; nothing was sent\n"
    "  3  port error (absent, no permission, busy)\n"
    "  4  no reply (time-out, damaged replies, the unit went away)\n"
    "  5  the units were reached as their lines say, but the report could not be written\n"
    "  129, 130, 143  stopped by SIGHUP, Ctrl-C or SIGTERM: each unit's line says what it holds\n";

// The commands that group others, with their descriptions.
const std::map<std::string, std::string> kGroups{
    {"settings", "Read, write or compare the unit's settings"},
    {"numbers", "Read, write or compare the authorized number list"},
    {"history", "Read or delete the unit's event log"},
};

class Program
{
public:
    CLI::App app{"Reads, writes, compares and provisions Zarvento GSM relay units over their serial port.",
                 "zarvento-cli"};

    Program() : m_commands(allCommands())
    {
        app.footer(kExitCodes);
        app.require_subcommand(1);
        app.set_version_flag("--version", std::string(ZC_VERSION_TEXT));
        std::map<std::string, CLI::App *> groups;
        for (const auto &command : m_commands) {
            CLI::App *parent = &app;
            if (!command->group().empty()) {
                CLI::App *&group = groups[command->group()];
                if (!group) {
                    group = app.add_subcommand(command->group(), kGroups.at(command->group()));
                    group->require_subcommand(1);
                }
                parent = group;
            }
            CLI::App *cmd = parent->add_subcommand(command->name(), command->description());
            command->addOptions(*cmd, m_units);
            m_parsed.push_back(cmd);
        }
    }

    Exit dispatch()
    {
        for (std::size_t i = 0; i < m_commands.size(); ++i)
            if (m_parsed[i]->parsed()) return run(*m_commands[i]);
        return refuse(QStringLiteral("no command given; see --help"));
    }

private:
    // The rules every command that reaches units shares, as its declaration sets them;
    // then the command.
    Exit run(Command &command)
    {
        const Declaration &d = command.declaration();
        if (d.ports == Ports::None) return command.run(m_units);
        if (d.ports == Ports::One && m_units.ports().size() > 1)
            return refuse(
                QStringLiteral("this command takes one --port; %1 take several").arg(severalNames()));
        if (d.ports == Ports::One && m_units.passwordForGiven())
            return refuse(
                QStringLiteral("--password-for is for %1; use --password-file").arg(severalNames()));
        if (d.portRequired)
            if (const QString e = m_units.prepare(); !e.isEmpty()) return refuse(e);
        return command.run(m_units);
    }

    // "provision, restore and backup": the commands that write to or read several units.
    QString severalNames() const
    {
        QStringList names;
        for (const auto &command : m_commands)
            if (command->declaration().ports == Ports::Several && command->declaration().portRequired)
                names << QString::fromStdString(command->name());
        const QString last = names.takeLast();
        return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    }

    Units m_units;
    std::vector<std::unique_ptr<Command>> m_commands;
    std::vector<CLI::App *> m_parsed; // each command's subcommand
};

// The number of single-character edits (insert, delete, replace, swap two neighbours) that
// turn a into b.
int editDistance(const QString &a, const QString &b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(std::size_t(n + 1), std::vector<int>(std::size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

// The command at this level nearest to a mistyped word, when one is near enough.
QString nearestCommand(CLI::App &level, const QString &word)
{
    QString best;
    int bestDistance = 0;
    for (CLI::App *sub : level.get_subcommands({})) {
        const QString name = QString::fromStdString(sub->get_name());
        const int distance = editDistance(word.toLower(), name);
        if (best.isEmpty() || distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    return !best.isEmpty() && bestDistance <= qMax<qsizetype>(1, best.size() / 3) ? best : QString();
}

// The command words given that name no command: "" when they all do, else "foo" or
// "settings frob". Only words before the first option count. suggestion gets the nearest
// command for the word that names none, if any is near.
QString unknownCommand(CLI::App &app, int argc, char **argv, QString &suggestion)
{
    CLI::App *level = &app;
    QStringList path;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word[0] == '-' || level->get_subcommands({}).empty()) return {};
        path << QString::fromLocal8Bit(argv[i]);
        CLI::App *next = nullptr;
        for (CLI::App *sub : level->get_subcommands({}))
            if (sub->get_name() == word) next = sub;
        if (!next) {
            suggestion = nearestCommand(*level, path.last());
            return path.join(u' ');
        }
        level = next;
    }
    return {};
}

} // namespace

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> list;
    list.push_back(makePortsCommand());
    list.push_back(makeIdentifyCommand());
    list.push_back(makeReadCommand(Area::Settings));
    list.push_back(makeWriteCommand(Area::Settings));
    list.push_back(makeDiffCommand(Area::Settings));
    list.push_back(makeReadCommand(Area::Numbers));
    list.push_back(makeWriteCommand(Area::Numbers));
    list.push_back(makeDiffCommand(Area::Numbers));
    list.push_back(makeExpiringCommand());
    list.push_back(makeSweepCommand());
    list.push_back(makeReadCommand(Area::History));
    list.push_back(makeHistoryDeleteCommand());
    list.push_back(makeHistoryQueryCommand());
    list.push_back(makeProvisionCommand());
    list.push_back(makeRestoreCommand());
    list.push_back(makeBackupCommand());
    list.push_back(makeAuditCommand());
    return list;
}

int run(int argc, char **argv)
{
    Program p;
    QString suggestion;
    if (const QString unknown = unknownCommand(p.app, argc, argv, suggestion); !unknown.isEmpty()) {
        errorLine(QStringLiteral("zarvento-cli: unknown command '%1'").arg(unknown) +
                  (suggestion.isEmpty() ? QString() : QStringLiteral("; did you mean %1?").arg(suggestion)));
        errorLine(QStringLiteral("Run 'zarvento-cli --help' for the commands and options."));
        return int(Exit::Usage);
    }
    try {
        p.app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        if (e.get_exit_code() == int(CLI::ExitCodes::Success)) return p.app.exit(e);
        errorLine(QStringLiteral("zarvento-cli: ") + QString::fromStdString(e.what()));
        errorLine(QStringLiteral("Run 'zarvento-cli --help' for the commands and options."));
        return int(Exit::Usage);
    }
    return int(p.dispatch());
}

} // namespace zc::cli
