// The checks made on the whole list before it is saved: every row with a number that is
// neither marked for deletion nor always allowed needs all four date and time cells, and
// every row must pass the entry check (NumberCheck::rowRefusals).
#pragma once

#include "numbers/number_check.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zc {

class NumbersModel;

// The rows with a number, neither marked for deletion nor always allowed, that lack one of
// the four date and time cells, ascending: a save refuses the list while any is. Only the
// presence of the four cells is checked, not their content.
QList<int> wrongRows(const NumbersModel &model);

// The way list messages name rows: one to three items joined by ","; with four or more,
// the first three followed by ",....".
QString joinFirstThree(const QStringList &items);

namespace NumberCheck {

// (row, reasons joined by "; ") for every entry row of the table that cannot be sent.
RowReasons refusedRows(const NumbersModel &model);

// "Row 12: reason" lines, at most ten, then "... and N more rows."
QString rowLines(const RowReasons &rows);

// The message refusing a save of the table, naming every refused row with its reasons;
// empty when every row can be sent.
QString saveRefusal(const NumbersModel &model);
// The same message for rows already found refused.
QString saveRefusal(const RowReasons &refused);

} // namespace NumberCheck
} // namespace zc
