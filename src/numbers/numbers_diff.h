// Row by row, what saving the number list would change on the unit: the pages the table
// gives, compared with the pages the unit holds, both read as the unit would read them.
#pragma once

#include "link/area_diff.h"
#include "numbers/number_entry.h"

namespace zc {

class NumbersModel;

namespace NumbersDiff {

// The 125 pages a save of the table sends; none when a cell cannot be encoded (the save
// itself says why).
QList<PageBytes> tablePages(const NumbersModel &model);
// Row 1..1000 as the pages hold it; an empty row past the pages given.
NumberRow rowOf(const QList<PageBytes> &pages, int row);
// A row in one line: "(empty)", "+4415550987 always", "5550987 2024-05-06 08:00 – 2024-06-30 18:30".
QString rowText(const NumberRow &row);
// Both rows give the unit the same entry: no number in either, or the same number, window
// and Always.
bool sameEntry(const NumberRow &a, const NumberRow &b);
// Lines "row 12: old → new" for every row whose entry differs. A number the table drops
// (a deletion mark, a cleared number, Delete all) is removed.
AreaDiff compare(const QList<PageBytes> &unit, const QList<PageBytes> &table);

} // namespace NumbersDiff
} // namespace zc
