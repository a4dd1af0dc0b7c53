// The one check of the number list entry: what each cell of a row becomes in the unit's
// 32-byte entry, or why the unit cannot hold it. Every door into the table uses it: a typed
// or picked cell, a paste, every import (workbook, CSV, JSON) and, as the last guard, Save.
// Nothing is cut or guessed on its way to the unit: a value that does not fit is refused,
// and the refusal names its row, its column and what the unit can hold.
#pragma once

#include "numbers/number_entry.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace zc {

namespace NumberCheck {

// A date the unit keeps: a real calendar day from 2000 to 2099.
constexpr int kFirstYear = 2000, kLastYear = 2099;

// Why the text of a cell cannot be stored in its field, as a phrase that names the column
// and quotes the text; empty when it can (an empty cell always can). Numbers take "+" and
// digits, at most 22; date cells hold 10 characters like 2024/05/06 naming a real day from
// 2000 to 2099; time cells an hour 0..23 and a minute 0..59 (07:30, or 7:30 as the encoder
// reads it). Check cells and Serial are never refused.
QString cellRefusal(int column, const QString &text);

// Why the row cannot be sent as it stands, one phrase a reason; empty when it can. A row
// marked for deletion is sent as 0xFF bytes, whatever it holds; an always-allowed row sends
// only its number; every other row sends every non-empty cell, and a whole window must not
// end before it starts.
QStringList rowRefusals(const NumberRow &row);

// (row, reasons joined by "; "): rows that cannot be sent, and why.
using RowReasons = QList<std::pair<int, QString>>;

// A date as users type or paste it (20240506, 2024-05-06, 2024/05/06, 06.05.2024) in the
// form a read from the unit gives, 2024-05-06; nullopt when it is no such date the unit keeps.
std::optional<QString> typedDate(const QString &text);
// A time as users type or paste it (7:30, 07:30, 0730, or a spreadsheet's 07:30:00) as 07:30;
// nullopt when it is none. The unit keeps no seconds: only :00 is taken.
std::optional<QString> typedTime(const QString &text);
// The text is a time with seconds other than 00 (07:30:15), which the unit cannot keep.
bool hasSeconds(const QString &text);

// The calendar day a date cell names (either form the table holds), when the unit keeps it.
std::optional<QDate> dateOf(const QString &text);

} // namespace NumberCheck
} // namespace zc
