#include "numbers/number_window.h"

#include "numbers/number_cells.h"
#include "numbers/number_check.h"

namespace zc::NumberWindow {

bool hasWindow(const NumberRow &row)
{
    return !row[NumberColumn::Number].isEmpty() && row[NumberColumn::Always] != CheckCell::kYes &&
           row[NumberColumn::Delete] != CheckCell::kYes;
}

namespace {

std::optional<QDateTime> moment(const NumberRow &row, int dateColumn, int timeColumn)
{
    if (!hasWindow(row)) return std::nullopt;
    const auto date = NumberCheck::dateOf(row[dateColumn]);
    const auto t = NumberCells::readTime(row[timeColumn]);
    // Only a window the unit can keep has a start and an end to compare.
    if (!date || !t || t->hour > 23 || t->minute > 59) return std::nullopt;
    return QDateTime(*date, QTime(t->hour, t->minute));
}

} // namespace

std::optional<QDateTime> start(const NumberRow &row)
{
    return moment(row, NumberColumn::StartDate, NumberColumn::StartTime);
}

std::optional<QDateTime> end(const NumberRow &row)
{
    return moment(row, NumberColumn::EndDate, NumberColumn::EndTime);
}

bool ended(const NumberRow &row, const QDateTime &now)
{
    const auto e = end(row);
    if (!e) return false;
    const QTime clock = now.time();
    return *e < QDateTime(now.date(), QTime(clock.hour(), clock.minute()));
}

} // namespace zc::NumberWindow
