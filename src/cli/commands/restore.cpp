// zarvento-cli restore: a backup folder's profile and list written back to units; onto a
// unit that is not the backup's own only when confirmed.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/fleet_write.h"
#include "cli/units.h"

#include <QDir>

namespace zc::cli {

namespace {

// The newest file in folder whose name starts with prefix and ends in one of the suffixes.
QString newestFile(const QDir &folder, const QString &prefix, const QStringList &suffixes)
{
    QStringList patterns;
    for (const QString &suffix : suffixes)
        patterns << prefix + QStringLiteral("*.") + suffix;
    // The names end in the time they were written, so the last by name is the newest.
    const QStringList names = folder.entryList(patterns, QDir::Files, QDir::Name);
    return names.isEmpty() ? QString() : folder.filePath(names.last());
}

class RestoreCommand : public Command
{
public:
    RestoreCommand()
        : Command("", "restore", "Write a backup folder's profile and list back to units",
                  {Ports::Several, true, true, {"FOLDER"}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        cmd.add_option("FOLDER", m_folder, "A folder that backup wrote")->required();
        units.addOptions(&cmd, declaration());
        addFleetOptions(&cmd, units, m_args, true);
    }

    Exit run(Units &units) override
    {
        const QDir dir(q(m_folder));
        if (!dir.exists()) return refuse(QStringLiteral("%1: no such folder").arg(q(m_folder)));
        // The window's names, as backup writes them; the newest when a folder holds several.
        const QStringList workbooks{QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("xls")};
        const QString profilePath = newestFile(dir, QStringLiteral("basicinf_R"), workbooks);
        const QString numbersPath = newestFile(dir, QStringLiteral("telinf_R"), workbooks);
        if (profilePath.isEmpty() && numbersPath.isEmpty())
            return refuse(QStringLiteral("%1 holds no settings profile (basicinf_R…) and no list workbook "
                                         "(telinf_R…)")
                              .arg(q(m_folder)));
        BackupIdentity identity;
        if (const QString e = readBackupIdentity(dir.path(), identity, identity.recorded); !e.isEmpty())
            return refuse(e);
        if (!units.quiet())
            for (const QString &path : {profilePath, numbersPath})
                if (!path.isEmpty()) errorLine(QStringLiteral("zarvento-cli: restoring ") + path);
        return writeToUnits(units, m_args, QStringLiteral("restore"), profilePath, numbersPath, identity);
    }

private:
    std::string m_folder;
    FleetArgs m_args;
};

} // namespace

std::unique_ptr<Command> makeRestoreCommand()
{
    return std::make_unique<RestoreCommand>();
}

} // namespace zc::cli
