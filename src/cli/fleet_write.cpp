// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/fleet_write.h"

#include "cli/command_output.h"
#include "cli/input_file.h"
#include "cli/json_reports.h"
#include "cli/report_file.h"
#include "cli/units.h"
#include "cli/write_steps.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"

#include <memory>
#include <vector>

namespace zc::cli {

void addFleetOptions(CLI::App *cmd, Units &units, FleetArgs &args, bool restore)
{
    units.addPasswordFor(cmd);
    cmd->add_flag("--verify", args.verify, "Read back what was written and compare byte for byte");
    cmd->add_option("--report", args.report, "Write a JSON report per unit to FILE.json; - for stdout")
        ->type_name("FILE");
    if (!restore)
        addInputOptions(cmd, args.input, true);
    else
        cmd->add_flag("--dry-run", args.input.dryRun,
                      "Show what writing would change on each unit, and write nothing");
    cmd->add_flag("--yes", args.yes,
                  restore ? "Confirm restoring onto a unit whose SIM number or USB serial differs "
                            "from the backup's, or writing a list that holds no numbers"
                          : "Confirm writing a list that holds no numbers (it empties each unit's "
                            "list)");
}

Exit writeToUnits(Units &units, const FleetArgs &args, const QString &command, const QString &profilePath,
                  const QString &numbersPath, std::optional<BackupIdentity> backup)
{
    if (const QString e = units.portsGivenOnce(); !e.isEmpty()) return refuse(e);
    if (profilePath == QLatin1String("-") && numbersPath == QLatin1String("-"))
        return refuse(QStringLiteral("standard input (-) can give one of --profile and --numbers"));
    const bool dryRun = args.input.dryRun;
    // Every file, every value and the report's folder are checked before any unit is opened:
    // exit 2 means that nothing was sent to any unit.
    const InputFile profileIn(profilePath, q(args.input.format)),
        numbersIn(numbersPath, q(args.input.format));
    SettingsModel s;
    NumbersModel n;
    {
        if (!profilePath.isEmpty())
            if (const QString e =
                    loadInto(Area::Settings, profileIn, s, n, units.quiet(), args.input.acceptNumberCells);
                !e.isEmpty())
                return refuse(e);
        if (!numbersPath.isEmpty()) {
            if (const QString e = loadInto(Area::Numbers, numbersIn, s, n, units.quiet()); !e.isEmpty())
                return refuse(e);
            if (!args.yes && !dryRun && !holdsNumbers(n)) return refuse(emptyListRefusal(numbersPath));
        }
        if (!args.report.empty())
            if (const QString e = reportProblem(q(args.report)); !e.isEmpty()) return refuse(e);
        // A backup without its record is known by the SIM number in its profile.
        if (backup && !backup->recorded && !profilePath.isEmpty())
            backup->simNumber = s.content(kSimNumberItem).trimmed();
    }
    const WriteMode mode{dryRun, args.verify};
    std::vector<std::unique_ptr<UnitJob>> jobs;
    QList<UnitJob *> list;
    for (const std::string &p : units.ports()) {
        auto job = std::make_unique<UnitJob>(units.jobOptions(p));
        job->addOpenAndLogIn();
        // The unit's settings are read first: they tell whose unit it is, and what the
        // profile changes on it.
        const bool readSettings = !profilePath.isEmpty() || backup;
        if (readSettings) job->addRead(Area::Settings);
        if (backup) addIdentityCheck(*job, *backup, args.yes, dryRun);
        // A restore writes the backup's own identity back; a profile keeps the unit's.
        // The files' tables go into the job's after the unit's were read into them.
        UnitJob &j = *job;
        if (!profilePath.isEmpty()) {
            job->addCheck([&s, &j] { copyTable(s, j.settings()); });
            addKeepIdentity(*job, backup || args.setPassword, backup || args.setSimNumber);
            addWriteSteps(*job, Area::Settings, mode, true, readSettings);
        }
        if (!numbersPath.isEmpty())
            addWriteSteps(*job, Area::Numbers, mode, true, false, [&n, &j] { copyTable(n, j.numbers()); });
        list << job.get();
        jobs.push_back(std::move(job));
    }
    Exit worst = units.run(list, true);

    // With the report on standard output, the result lines go to stderr.
    const bool reportOut = args.report == "-";
    for (UnitJob *job : list) {
        const bool ok = job->exit() == Exit::Done;
        if (ok && units.quiet()) continue;
        QString line =
            ok ? QStringLiteral("%1: ok: %2")
                     .arg(job->port(), job->done.isEmpty() ? QStringLiteral("nothing written (--dry-run)")
                                                           : job->done.join(QStringLiteral(", ")))
               : QStringLiteral("%1: failed (exit %2): %3")
                     .arg(job->port())
                     .arg(int(job->exit()))
                     .arg(job->failure());
        // After the login, an area whose save never ran is named; before it, the line
        // already says that nothing was written.
        const QList<StepRecord> &steps = job->records();
        if (!steps.isEmpty() && steps.first().result == StepRecord::Result::Completed)
            for (Area area : notWritten(*job))
                line += QStringLiteral("; the %1 %2 not written")
                            .arg(areaName(area),
                                 area == Area::Settings ? QStringLiteral("were") : QStringLiteral("was"));
        if (reportOut || (!ok && units.quiet()))
            errorLine(line);
        else
            outText(line);
    }
    if (!args.report.empty()) {
        const QString e = writeOutput(q(args.report), runReport(command, list, args.verify));
        if (!e.isEmpty()) worst = worse(worst, reportLost(q(args.report), e));
    }
    return worst;
}

} // namespace zc::cli
