// The settings profile: a workbook holding a copy of the settings table, so a configuration
// can be kept on the PC and loaded into the table again. Sheet row n holds table row n - 1,
// sheet columns A, B, C hold the name, content and description columns; column B of the
// six pick-list items holds the chosen entry's text. A workbook is a profile when cell A1
// reads "Items". Nothing here talks to the unit or shows anything: the page shows the
// progress it is handed and the message that is returned.
#pragma once

#include "settings/settings_check.h"
#include "sheets/sheet.h"
#include "sheets/workbook_writer.h"

#include <QString>

#include <functional>

namespace zc {

class SettingsModel;

namespace SettingsProfile {

// After each table row: the progress percentage and the status text ("Save profile",
// "Load profile").
using Progress = std::function<void(int percent, const QString &status)>;

// The profile sheet of the table: rows 1 to 23, widths A 85, B 45, C 130.
Sheet toSheet(const SettingsModel &model, const Progress &progress = {});

// Loads a profile sheet into the table: contents and descriptions of items 1 to 22, then
// the six pick lists from their column B cell (an entry's text or its index). Rows are read
// by position, so column A must name the item of each row (sheet row n, item n - 1) and
// nothing may follow item 22: a profile whose names disagree or repeat, or that holds more
// rows, is refused naming the rows. Every item is checked first (SettingsCheck; a long text
// is taken only with Cut::Allow, where the save asks before cutting it; a number cell of
// more than 15 digits is refused). Returns "" or the message naming every item the unit
// cannot hold; on any message the table and pick lists are left exactly as they were.
// numberCells, when given, receives the digit items (password, SIM number) that the sheet
// keeps as number cells, whose leading 0 or "+" may have been lost; numberCellWarning says so.
QString fromSheet(const Sheet &sheet, SettingsModel &model, const Progress &progress = {},
                  SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse, QList<int> *numberCells = nullptr);

// "The profile keeps 1.Password as a number, not as text: ..."; "" for no items.
QString numberCellWarning(const QList<int> &items);

// "Export profile" after the save dialog: writes the profile to chosenPath (see
// WorkbookWriter::xlsxPath for the name actually used).
SheetSaveResult exportToFile(const SettingsModel &model, const QString &chosenPath,
                             const Progress &progress = {});

// "Import profile" after the open dialog: a workbook, or the JSON form (SettingsJson) when
// the name ends in .json. Returns "" or the message for the user; the
// table is unchanged on any message.
QString importFromFile(const QString &path, SettingsModel &model, const Progress &progress = {},
                       SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse,
                       QList<int> *numberCells = nullptr);

} // namespace SettingsProfile
} // namespace zc
