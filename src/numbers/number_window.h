// When a row's date and time window ends, and whether it has ended: the one rule the
// editor's colouring, the expiry list and the sweep share. Pure functions.
#pragma once

#include "numbers/number_entry.h"

#include <QDateTime>

#include <optional>

namespace zc::NumberWindow {

// The row has a window: a number, neither always allowed nor marked for deletion.
bool hasWindow(const NumberRow &row);
// The minute the window starts, as end() reads it.
std::optional<QDateTime> start(const NumberRow &row);
// The minute the window ends, when the row has a window and its end date and time read as a
// moment the unit can keep; nullopt otherwise (such a row never counts as ended).
std::optional<QDateTime> end(const NumberRow &row);
// The window ended before now: its end minute lies before now's minute.
bool ended(const NumberRow &row, const QDateTime &now);

} // namespace zc::NumberWindow
