// The lines of a diff in words, for the window's questions and the command line alike:
// "7.Auto Arm …: 10 → 15", "row 12: 5550101 always → (empty)".
#pragma once

#include "link/area_diff.h"
#include "numbers/number_entry.h"

namespace zc {

// A value as a line shows it: "(empty)" when there is none.
QString shownValue(const QString &text);
// A list row in one line: "(empty)", "+4415550987 always",
// "5550987 2024-05-06 08:00 – 2024-06-30 18:30".
QString numberRowWords(const NumberRow &row);
// One line of a diff: a settings item's name or the list row, then before → after.
QString diffLine(const AreaDiff::Line &line);
// Every line, in order.
QStringList diffLines(const AreaDiff &diff);
// The lines under the headings "Removed (n):", "Changed (n):" and "Added (n):", the losses
// first.
QString diffDetails(const AreaDiff &diff);

} // namespace zc
