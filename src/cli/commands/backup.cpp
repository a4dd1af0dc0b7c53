// zarvento-cli backup: each unit's settings profile, list workbook and history CSV in a new
// folder of its own, with backup.json saying whose they are.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/area_files.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/unit_writes.h"
#include "cli/units.h"
#include "history/history_csv.h"
#include "settings/settings_model.h"
#include "sheets/export_folder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <vector>

namespace zc::cli {

namespace {

// A file name made of a unit's identity: what a file system and a shell take without quotes.
QString fileNamePart(const QString &text)
{
    QString s;
    for (const QChar c : text)
        s += c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.' ? c : u'_';
    while (s.startsWith(u'.'))
        s.remove(0, 1);
    return s.isEmpty() ? QStringLiteral("unit") : s;
}

// One unit's backup: a new folder named by its SIM number (with its USB serial number when
// known), else its USB serial number, else its port, and the time (and a count when that
// name is taken: two units may share a SIM number); the window's export names inside, one
// time stamp for the three files, and backup.json saying whose it is.
Exit writeBackup(UnitJob &job, const QString &dir, const QDateTime &now, bool quiet)
{
    const QString sim = job.settings().content(kSimNumberItem).trimmed();
    const QString serial = job.resolved().usbSerial;
    QString unit = !sim.isEmpty() ? sim : !serial.isEmpty() ? serial : QFileInfo(job.port()).fileName();
    unit = fileNamePart(unit);
    if (!sim.isEmpty() && !serial.isEmpty()) unit += u'_' + fileNamePart(serial);
    QString folderPath;
    if (const QString e = makeNewFolder(dir, ExportFolder::stampedName(unit + u'_', now), folderPath);
        !e.isEmpty())
        return refuse(e);
    const QDir folder(folderPath);
    QString written;
    // Every file is tried; any that failed makes the backup fail.
    Exit result = Exit::Done;
    for (int i = 0; i < 4; ++i) {
        QString error;
        if (i == 0)
            error =
                saveSettings(job.settings(),
                             folder.filePath(ExportFolder::stampedName(QStringLiteral("basicinf_R"), now) +
                                             QStringLiteral(".xlsx")),
                             &written);
        else if (i == 1)
            error = saveNumbers(job.numbers(),
                                folder.filePath(ExportFolder::stampedName(QStringLiteral("telinf_R"), now) +
                                                QStringLiteral(".xlsx")),
                                &written);
        else if (i == 2) {
            written = folder.filePath(ExportFolder::stampedName(QStringLiteral("hisinf_CSV"), now));
            error = ExportFolder::writeFile(written, HistoryCsv::fileBytes(job.history()));
        } else {
            written = folder.filePath(QStringLiteral("backup.json"));
            error = ExportFolder::writeFile(written, backupJson(job, now));
        }
        if (!error.isEmpty())
            result = refuse(error);
        else if (!quiet && !outText(written))
            result = Exit::Usage;
    }
    return result;
}

class BackupCommand : public Command
{
public:
    BackupCommand()
        : Command("", "backup", "Save settings profile, list workbook and history CSV in DIR",
                  {Ports::Several, true, false, {}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        units.addOptions(&cmd, declaration());
        cmd.add_option("-o,--output", m_output,
                       "The folder to write into (created when missing); each unit's files go into a new "
                       "folder named by the unit and the time")
            ->required()
            ->type_name("DIR");
        units.addPasswordFor(&cmd);
    }

    Exit run(Units &units) override
    {
        const QString dir = q(m_output);
        if (!QDir().mkpath(dir) || !QFileInfo(dir).isWritable())
            return refuse(QStringLiteral("%1: cannot write to this folder").arg(dir));
        if (const QString e = units.portsGivenOnce(); !e.isEmpty()) return refuse(e);
        std::vector<std::unique_ptr<UnitJob>> jobs;
        QList<UnitJob *> list;
        for (const std::string &p : units.ports()) {
            auto job = std::make_unique<UnitJob>(units.jobOptions(p));
            job->addOpenAndLogIn();
            job->addRead(Area::Settings);
            job->addRead(Area::Numbers);
            job->addRead(Area::History);
            list << job.get();
            jobs.push_back(std::move(job));
        }
        Exit result = units.run(list);
        // One time for the run: units backed up together carry the same time.
        const QDateTime now = QDateTime::currentDateTime();
        for (UnitJob *job : list)
            if (job->exit() == Exit::Done) result = worse(result, writeBackup(*job, dir, now, units.quiet()));
        return result;
    }

private:
    std::string m_output;
};

} // namespace

std::unique_ptr<Command> makeBackupCommand()
{
    return std::make_unique<BackupCommand>();
}

} // namespace zc::cli
