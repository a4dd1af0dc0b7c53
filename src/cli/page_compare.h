// Page bytes compared the two ways the command-line program needs: what a write would
// change (item by item, row by row, as the window shows them) and whether the unit holds
// byte for byte what was sent (any difference named by its item or row).
#pragma once

#include "cli/unit_job.h"

#include <QList>
#include <QStringList>

namespace zc::cli {

// The pages a save sends from the table, encoded by the area's codec (empty when the
// table cannot be encoded: the load check refuses such a table first).
QList<PageBytes> settingsPages(const SettingsModel &model);
QList<PageBytes> numbersPages(const NumbersModel &model);

// The area's diff (the window's save questions show the same): lines "7.Auto Arm …: 10 → 15"
// for every item whose shown content differs between the unit's pages and the pages a
// write would send.
QStringList settingsChanges(const QList<PageBytes> &unit, const QList<PageBytes> &written);
// Lines "row 12: old → new" for every list row whose entry differs.
QStringList numbersChanges(const QList<PageBytes> &unit, const QList<PageBytes> &written);

// Every difference between the pages sent and the pages read back, byte for byte, one line
// per settings item or list row (or page byte that no item covers).
QStringList verifyDifferences(Area area, const QList<PageBytes> &sent, const QList<PageBytes> &held);

} // namespace zc::cli
