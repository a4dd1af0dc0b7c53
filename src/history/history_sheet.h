// The history table as a workbook sheet: sheet row r + 1 holds table row r for r 0..1000
// (row 1 the headers), sheet column c + 1 table column c, the hidden record number
// included. Every cell is written as its text, so telephone numbers with a leading "+" and
// the date and time texts stay texts. Rows without a record hold their row number alone.
#pragma once

#include "sheets/sheet.h"

#include <functional>

namespace zc {

class HistoryModel;

namespace HistorySheet {

// Widths 5, 16, 13, 13, 16, 16, 22, 22. rowWritten receives each row, 0..1000.
Sheet toSheet(const HistoryModel &model, const std::function<void(int row)> &rowWritten = {});

} // namespace HistorySheet
} // namespace zc
