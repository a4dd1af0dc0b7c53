// The steps of a write from a file, shared by settings write, numbers write, provision and
// restore: the file loaded and checked as Save checks it, its table put into each unit's
// job, then the save, "written", and with --verify the read-back; with --dry-run, what
// writing would change instead.
#pragma once

#include "cli/unit_job.h"

#include <QString>

#include <functional>

namespace zc {
class SettingsModel;
class NumbersModel;
} // namespace zc

namespace zc::cli {

class InputFile;

// Loads an area's file into its table through the checks Save makes: "" or the message.
// A warning on the list goes to stderr unless quiet.
QString loadInto(Area area, const InputFile &in, SettingsModel &settings, NumbersModel &numbers, bool quiet,
                 bool acceptNumberCells = true);

// A unit's table takes the file's table as it was loaded and checked: each file is read once.
void copyTable(const SettingsModel &from, SettingsModel &to);
void copyTable(const NumbersModel &from, NumbersModel &to);

bool holdsNumbers(const NumbersModel &model);
QString emptyListRefusal(const QString &file);

struct WriteMode
{
    bool dryRun = false, verify = false;
};

// The steps that write the area's table to the job's unit: save it, and read it back with
// verify; with dryRun, read the unit (unless readDone: an earlier step read it) and print
// what writing the table would change, each line led by the port when namePort. load, when
// given, puts the file's table into the job's first: a read of the unit decodes into that
// same table.
void addWriteSteps(UnitJob &job, Area area, WriteMode mode, bool namePort, bool readDone = false,
                   const std::function<void()> &load = {});

} // namespace zc::cli
