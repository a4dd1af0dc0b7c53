// The structure of a legacy .xls workbook, read in this process without the .xls library:
// the compound document's Workbook stream, the sheet that was shown when the workbook was
// saved, how many value cells that sheet's records hold, and the stored results of its
// formula cells. The reader compares that count
// with what the library returns, so a damaged file is refused instead of being read as a
// shorter sheet. Every offset and length is checked; nothing here trusts the file.
#pragma once

#include "sheets/sheet.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace zc::XlsLayout {

// A formula cell of the shown sheet and the result the writing program stored with it: a
// number (shown as its format shows it), a text, a truth value or an error such as
// "#DIV/0!". A result that cannot be had (a text result whose text record is missing, an
// unknown result type) comes back as a Formula cell without text.
struct FormulaCell
{
    int row = 0, column = 0; // from 1
    QString text;
    CellKind kind = CellKind::Text;
};

struct Layout
{
    int sheetCount = 0;
    int activeSheet = 0;   // index among all sheets, as the workbook's tab list counts them
    qint64 valueCells = 0; // number, text, truth-value and RK cells of the active sheet
    // The .xls library leaves formula cells out; their stored results are read here.
    std::vector<FormulaCell> formulas;
};

// Reads the layout of the workbook in file; returns "" or why the file is broken.
QString inspect(const QByteArray &file, Layout *layout);

} // namespace zc::XlsLayout
