// The structure of a legacy .xls workbook, read in this process without the .xls library:
// the compound document's Workbook stream, the sheet that was shown when the workbook was
// saved, and how many value cells that sheet's records hold. The reader compares that count
// with what the library returns, so a damaged file is refused instead of being read as a
// shorter sheet. Every offset and length is checked; nothing here trusts the file.
#pragma once

#include <QByteArray>
#include <QString>

namespace zc::XlsLayout {

struct Layout
{
    int sheetCount = 0;
    int activeSheet = 0;   // index among all sheets, as the workbook's tab list counts them
    qint64 valueCells = 0; // number, text, truth-value and RK cells of the active sheet
};

// Reads the layout of the workbook in file; returns "" or why the file is broken.
QString inspect(const QByteArray &file, Layout *layout);

} // namespace zc::XlsLayout
