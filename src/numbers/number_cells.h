// How the encoder reads a date or a time cell of the number list: the one reading the entry
// check, the codec, the table's warning colours and the imports share.
#pragma once

#include <QString>

#include <optional>

namespace zc::NumberCells {

struct Date
{
    int year; // the two digits after the century
    int month;
    int day;
};
struct Time
{
    int hour;
    int minute;
};

// A date cell as the encoder reads it: exactly 10 characters; month from characters 6-7,
// day from the last two, year from characters 3-4 (1-based). The separators and the
// century are not looked at, so 2024/05/06 and 2024-05-06 read alike. Each read pair must
// be two digits.
std::optional<Date> readDate(const QString &text);
// A time cell as the encoder reads it. Five characters with digits at both ends are read by
// position: hour from characters 1-2, minute from the last two, the separator not looked at
// (08:30 and 08.30 read alike). Otherwise the hour is the digits before the first ":" (a
// value up to 255) and the minute the one or two digits after it (8:5 and 08:05 read alike).
std::optional<Time> readTime(const QString &text);

} // namespace zc::NumberCells
