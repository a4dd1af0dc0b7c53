// What a save asks or shows beyond the row check: a number kept in more than one row, and
// a window that has ended.
#pragma once

#include "numbers/number_entry.h"

#include <QDateTime>
#include <QString>

namespace zc {

class NumbersModel;

namespace NumberSaveChecks {

// The question asked before a save when the same number is kept in more than one row
// (rows marked for deletion aside), naming the numbers and their rows; empty when none is.
QString duplicateQuestion(const NumbersModel &model);

// The row's window ended before now (NumberWindow::ended).
bool windowEnded(const NumberRow &row, const QDateTime &now);

} // namespace NumberSaveChecks
} // namespace zc
