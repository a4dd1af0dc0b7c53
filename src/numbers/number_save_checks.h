// What a save asks about or shows beyond the row check, as values: a number kept in more
// than one row, and a window that has ended.
#pragma once

#include "numbers/number_entry.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace zc {

class NumbersModel;

namespace NumberSaveChecks {

// A number kept in more than one row (rows marked for deletion aside), with its rows in
// ascending order.
struct Duplicate
{
    QString number;
    QList<int> rows;
    bool operator==(const Duplicate &) const = default;
};
// Every such number, in the order its second row appears; empty when none is. A save asks
// before it sends them.
QList<Duplicate> duplicates(const NumbersModel &model);

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
