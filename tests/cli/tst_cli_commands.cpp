// Every command's declaration against the options it adds: the registry decides from the
// declaration (how many --port, --password-for, the files read), so a declaration that
// says other than the options would set the wrong rules for its command.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/commands/command_list.h"
#include "cli/units.h"

#include <QtTest>

#include <set>

using namespace zc::cli;

class TstCliCommands : public QObject
{
    Q_OBJECT
private slots:
    void declarationsMatchOptions()
    {
        Units units;
        CLI::App app;
        std::set<std::string> names;
        for (const auto &command : allCommands()) {
            const std::string name =
                command->group() + (command->group().empty() ? "" : "-") + command->name();
            QVERIFY2(names.insert(name).second, name.c_str()); // each command once
            CLI::App *cmd = app.add_subcommand(name);
            command->addOptions(*cmd, units);
            const Declaration &d = command->declaration();
            const auto has = [cmd](const std::string &option) {
                try {
                    cmd->get_option(option);
                    return true;
                } catch (const CLI::OptionNotFound &) {
                    return false;
                }
            };
            QCOMPARE(has("--port"), d.ports != Ports::None);
            QCOMPARE(has("--password-for"), d.ports == Ports::Several);
            if (has("--port")) QCOMPARE(cmd->get_option("--port")->get_required(), d.portRequired);
            for (const std::string &input : d.inputs)
                QVERIFY2(has(input), (name + ": " + input).c_str());
            // A command that writes says so: --dry-run or --yes guards what it sends.
            if (d.writes) QVERIFY2(has("--dry-run") || has("--yes"), name.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(TstCliCommands)
#include "tst_cli_commands.moc"
