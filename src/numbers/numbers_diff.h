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
// Both rows give the unit the same entry: no number in either, or the same number, window
// and Always.
bool sameEntry(const NumberRow &a, const NumberRow &b);
// Row by row, every row whose entry differs, with both rows' cells. A number the table drops
// (a deletion mark, a cleared number, Delete all) is removed.
AreaDiff compare(const QList<PageBytes> &unit, const QList<PageBytes> &table);

} // namespace NumbersDiff
} // namespace zc
