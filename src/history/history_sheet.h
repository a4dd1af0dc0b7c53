// The history table as a workbook sheet: sheet row r + 1 holds table row r for r 0..1000
// (row 1 the headers), sheet column c + 1 table column c, the hidden record number
// included. Every cell is written as its text, so telephone numbers with a leading "+" and
// the date and time texts stay texts. Rows without a record hold their row number alone.
#pragma once

#include "history/history_model.h"
#include "sheets/sheet.h"

#include <QStringList>

#include <functional>

namespace zc {

namespace HistorySheet {

// Widths 5, 16, 13, 13, 16, 16, 22, 22. rowWritten receives each row, 0..1000.
Sheet toSheet(const HistoryModel &model, const std::function<void(int row)> &rowWritten = {});
// The same layout for records kept elsewhere (any number of them, rows from 2 on). With
// names, a ninth column headed "Name" holds names[i] beside records[i].
Sheet toSheet(const QList<HistoryModel::Record> &records, const QStringList &names = {});

} // namespace HistorySheet
} // namespace zc
