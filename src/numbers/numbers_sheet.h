// The number list as a workbook sheet and back. Sheet row r + 1 holds table row r (row 1
// the headers, rows 2..1001 the entries) and sheet column c + 1 table column c. Every cell
// is written as its text, so numbers with a leading "+" or zeros and the date and time
// texts come back as they were typed.
#pragma once

#include "sheets/sheet.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace zc {

class NumbersModel;

namespace NumbersSheet {

// The whole table, header row included; widths 4, 20, 16, 16, 16, 16 for the first six
// columns, the check columns at the default width. rowWritten receives each row, 0..1000.
Sheet toSheet(const NumbersModel &model, const std::function<void(int row)> &rowWritten = {});

// Sheet rows 1..1001 and columns 1..8 as NumbersImport::check takes them: cells[r][c] is
// sheet row r + 1, column c + 1; empty cells are empty texts.
QList<QStringList> cells(const Sheet &sheet);

} // namespace NumbersSheet
} // namespace zc
