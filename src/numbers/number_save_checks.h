// Checks on list rows beyond the documented list check, made before a save sends anything
// and on every pasted row: a number longer than the 22 bytes an entry holds, a window that
// ends before it starts, a number kept in more than one row, and a window that has ended.
#pragma once

#include "numbers/number_entry.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace zc {

class NumbersModel;

namespace NumberSaveChecks {

// Why the row cannot be sent as it stands, one reason a phrase; empty when it can. Rows
// without a number or marked for deletion are never refused; the window is compared only
// when the row is not always allowed and all four of its cells read as dates and times.
QStringList rowRefusals(const NumberRow &row);

// The message refusing a save, naming every refused row with its reasons (the first ten
// rows, then how many more); empty when no row is refused.
QString saveRefusal(const NumbersModel &model);

// The question asked before a save when the same number is kept in more than one row
// (rows marked for deletion aside), naming the numbers and their rows; empty when none is.
QString duplicateQuestion(const NumbersModel &model);

// The row's window ended before now: a row with a number, neither always allowed nor
// marked for deletion, whose end date and time read as a valid moment earlier than now.
bool windowEnded(const NumberRow &row, const QDateTime &now);

// "Row 12: reason" lines, at most ten, then "... and N more rows."
QString rowLines(const QList<std::pair<int, QString>> &rows);

} // namespace NumberSaveChecks
} // namespace zc
