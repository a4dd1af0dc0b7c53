// Finding numbers in the list: the rows whose number holds the typed text, how many rows
// are in use, and the first free row. The page highlights and filters with these.
#pragma once

#include <QList>
#include <QString>

namespace zc {

class NumbersModel;

namespace NumbersFind {

// Entry rows (1..1000, ascending) whose number contains text; none for an empty text.
QList<int> matches(const NumbersModel &model, const QString &text);
// Entry rows that hold a number.
int rowsInUse(const NumbersModel &model);
// The first entry row without a number, 0 when every row holds one.
int firstFreeRow(const NumbersModel &model);
// "312 of 1000 rows in use", followed by " · 4 found" while a find is under way.
QString countText(int inUse, int found, bool finding);
// The match after (forward) or before row, wrapping round; 0 when there is none.
int nextMatch(const QList<int> &matches, int row, bool forward);

} // namespace NumbersFind
} // namespace zc
