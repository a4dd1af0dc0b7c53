// The number list: its table columns and the 32-byte entry the unit keeps for each row.
// The entry layout is described once, here; the codec and the editor read this table
// instead of repeating offsets.
#pragma once

#include "link/frame.h"

#include <QString>

#include <array>
#include <cstdint>

namespace zc {

// Columns of the number list table (row 0 holds the headers, rows 1..1000 the entries).
namespace NumberColumn {
enum : int { Serial, Number, StartDate, StartTime, EndDate, EndTime, Always, Delete, Count };

// The header texts of the columns, as the grid and the files show them.
inline const QString kHeaders[Count] = {
    QStringLiteral("Serial"),      QStringLiteral("Authorized number"), QStringLiteral("Start Date"),
    QStringLiteral("Start Time "), QStringLiteral("End Date"),          QStringLiteral("End Time"),
    QStringLiteral("Always(V)"),   QStringLiteral("Delete(V)"),
};
// A column as messages name it: its header without the trailing blank.
inline QString name(int column)
{
    return column >= 0 && column < Count ? kHeaders[column].trimmed() : QString();
}
} // namespace NumberColumn

// The texts of a check cell (Always, Delete): ticked, and not ticked.
namespace CheckCell {
inline const QString kYes = QStringLiteral("yes");
inline const QString kNo = QStringLiteral("no");
} // namespace CheckCell

// The texts of one table row, indexed by NumberColumn.
using NumberRow = std::array<QString, NumberColumn::Count>;

namespace NumberEntry {

// What a field of the entry holds. Dates take three one-byte fields (month, day, year
// minus 2000), times two (hour, minute); all are plain binary bytes.
enum class Part { Digits, Month, Day, Year, Hour, Minute };

struct Field
{
    int offset;
    int width;
    Part part;
    int column;              // the table column the field is read from and written to
    std::uint8_t alwaysByte; // the field's byte in the always-allowed form (not used for Digits)
};

constexpr int kSize = 32;
constexpr int kPerPage = kPageSize / kSize;       // 8 entries per page
constexpr int kEntries = kNumberPages * kPerPage; // 1000 entries, table rows 1..1000
constexpr std::uint8_t kAlwaysMark = 0x63;        // 'c' in every date and time byte
constexpr std::uint8_t kDeletedByte = 0xFF;       // a deleted entry is 32 bytes of it

// The entry in offset order. In the always-allowed form the start year is 0x00 and every
// other date and time byte 0x63; a reader only looks at the month..minute bytes.
inline constexpr Field kFields[] = {
    {0, 22, Part::Digits, NumberColumn::Number, 0x00},
    {22, 1, Part::Month, NumberColumn::StartDate, kAlwaysMark},
    {23, 1, Part::Day, NumberColumn::StartDate, kAlwaysMark},
    {24, 1, Part::Hour, NumberColumn::StartTime, kAlwaysMark},
    {25, 1, Part::Minute, NumberColumn::StartTime, kAlwaysMark},
    {26, 1, Part::Month, NumberColumn::EndDate, kAlwaysMark},
    {27, 1, Part::Day, NumberColumn::EndDate, kAlwaysMark},
    {28, 1, Part::Hour, NumberColumn::EndTime, kAlwaysMark},
    {29, 1, Part::Minute, NumberColumn::EndTime, kAlwaysMark},
    {30, 1, Part::Year, NumberColumn::StartDate, 0x00},
    {31, 1, Part::Year, NumberColumn::EndDate, kAlwaysMark},
};

// The field holding a part of a column's cell.
constexpr const Field &field(int column, Part part)
{
    for (const Field &f : kFields)
        if (f.column == column && f.part == part) return f;
    return kFields[0]; // never reached for the pairs above
}

constexpr const Field &numberField()
{
    return field(NumberColumn::Number, Part::Digits);
}

// Month, day, hour and minute bytes: all of them 0x63 marks an always-allowed entry.
constexpr bool isAlwaysMarker(Part p)
{
    return p != Part::Digits && p != Part::Year;
}

// The byte that tells a deleted entry: the start month.
constexpr int kDeletedMarkOffset = field(NumberColumn::StartDate, Part::Month).offset;

constexpr bool isDateColumn(int column)
{
    return column != NumberColumn::Number && field(column, Part::Month).column == column;
}
constexpr bool isTimeColumn(int column)
{
    return column != NumberColumn::Number && field(column, Part::Hour).column == column;
}

static_assert(kEntries == 1000);
static_assert(numberField().offset == 0 && numberField().width == 22);
static_assert(kDeletedMarkOffset == 22);
static_assert(isDateColumn(NumberColumn::StartDate) && isDateColumn(NumberColumn::EndDate));
static_assert(isTimeColumn(NumberColumn::StartTime) && isTimeColumn(NumberColumn::EndTime));
static_assert(!isDateColumn(NumberColumn::Always) && !isTimeColumn(NumberColumn::Number));

} // namespace NumberEntry
} // namespace zc
