// The steps that make writing to many units safe: a profile keeps each unit's own password
// and SIM number, a backup is restored onto another unit only when confirmed, a list write
// removes numbers the unit holds only when confirmed, and every backup gets a folder of its
// own with a record of whose it is.
#pragma once

#include "cli/unit_job.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zc::cli {

// Settings items that name the unit rather than the site.
inline constexpr int kPasswordItem = 1, kSimNumberItem = 2;

// After the unit's settings were read: the job's table keeps the unit's own password and
// SIM number unless the profile's are to be written, and the job learns which items the
// write changes (itemsChanged).
void addKeepIdentity(UnitJob &job, bool setPassword, bool setSimNumber);

// Who a backup is of: from its backup.json, or for an older backup from its profile.
struct BackupIdentity
{
    QString simNumber;     // settings item 2; empty when not set
    QString usbSerial;     // empty when unknown
    bool recorded = false; // read from backup.json
};
// The identity recorded in folder's backup.json; "" or why it cannot be read. found tells
// whether the file exists.
QString readBackupIdentity(const QString &folder, BackupIdentity &identity, bool &found);

// After the unit's settings were read: a unit whose SIM number or USB serial number differs
// from the backup's is written only with confirmed; otherwise the job fails (exit 2)
// naming the difference. With dryRun the difference is a note.
void addIdentityCheck(UnitJob &job, const BackupIdentity &backup, bool confirmed, bool dryRun);

// After the unit's list was read: a write that removes numbers the unit holds fails (exit
// 2) naming the rows, unless confirmed.
void addRemovalCheck(UnitJob &job, const QString &file, bool confirmed);

// Rows as a short text: "3", "3 and 7", "3–5, 9 and 12".
QString rowList(const QList<int> &rows);

// Makes a new folder in dir named base, else base-2, base-3, ...: never one that exists,
// also when other programs make folders there at the same time. Returns "" and the
// folder's path in made, or why not.
QString makeNewFolder(const QString &dir, const QString &base, QString &made);

// The backup.json of a unit's backup folder.
QByteArray backupJson(UnitJob &job, const QDateTime &time);

} // namespace zc::cli
