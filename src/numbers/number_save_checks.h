// What a save asks or shows beyond the row check: a number kept in more than one row, and
// a window that has ended.
#pragma once

#include "numbers/number_entry.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace zc {

class NumbersModel;

namespace NumberSaveChecks {

// The question asked before a save when the same number is kept in more than one row
// (rows marked for deletion aside), naming the numbers and their rows; empty when none is.
QString duplicateQuestion(const NumbersModel &model);

// The row's window ended before now (NumberWindow::ended).
bool windowEnded(const NumberRow &row, const QDateTime &now);

// The first and the last minute of the row's window (NumberWindow::start and end).
std::optional<QDateTime> windowStart(const NumberRow &row);
std::optional<QDateTime> windowEnd(const NumberRow &row);

// The subscriber a number names, so that two spellings of one number compare equal: a
// leading "00" reads as "+", and with a country code (digits, "+" optional) a national
// "0..." reads as "+CC...". Other numbers stay as they are.
QString subscriberKey(const QString &number, const QString &countryCode = {});

} // namespace NumberSaveChecks
} // namespace zc
