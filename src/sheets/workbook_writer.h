// Saves a sheet as an .xlsx workbook (libxlsxwriter): one sheet, every cell a text cell in
// the built-in Text format (and every empty cell of the sheet's text range formatted so),
// column widths in characters. The workbook is made in a scratch file, read back and
// checked whole, then written the way every export is (ExportFolder::writeFile), so a failed
// save never leaves half a file and never harms a file that was there before.
#pragma once

#include "sheets/sheet.h"

#include <QString>

namespace zc {

struct SheetSaveResult
{
    QString path;  // the file actually written (see WorkbookWriter::xlsxPath)
    QString error; // empty on success; otherwise names the file and says why
    bool ok() const { return error.isEmpty(); }
};

class WorkbookWriter
{
public:
    // The name a chosen file is saved under: kept when it ends in ".xlsx"; ".xls" becomes
    // ".xlsx"; any other name gets ".xlsx" appended. Never .xlsx bytes under another name.
    static QString xlsxPath(const QString &chosenPath);

    static SheetSaveResult save(const Sheet &sheet, const QString &chosenPath);
};

} // namespace zc
