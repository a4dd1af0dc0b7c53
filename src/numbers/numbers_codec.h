// The number list on the wire: one 32-byte entry per table row, eight entries per
// 256-byte page, page p at numberPageAddress(p) holding rows 8(p-1)+1 .. 8p.
// Pure functions: no widgets, no I/O.
#pragma once

#include "numbers/number_check.h"

#include "numbers/number_entry.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zc {

class NumbersModel;

namespace NumbersCodec {

using Entry = std::array<std::uint8_t, NumberEntry::kSize>;
using Page = std::array<std::uint8_t, kPageSize>;

// The entry of one row: 32 x 0xFF when Delete is exactly "yes"; else the number's bytes
// (0x00 after a shorter one), then the always-allowed form when Always is exactly "yes",
// else each non-empty date and time cell in its bytes (0x00 for an empty cell).
// nullopt when the row check (NumberCheck::rowRefusals) refuses the row: nothing is cut.
std::optional<Entry> encodeEntry(const NumberRow &row);

// Columns Number..Always of the row that shows an entry (Serial and Delete stay empty: a
// read never changes them). The number is the leading "+" and digits, at most 22; dates
// read back as 20YY-MM-DD and times as HH:MM. A date whose month or day byte is 0 shows
// empty; a deleted, always-allowed or number-less entry shows no dates or times.
NumberRow decodeEntry(std::span<const std::uint8_t, NumberEntry::kSize> entry);

struct EncodeResult
{
    bool ok = true;
    QString error;                   // the text to show the user when ok is false
    NumberCheck::RowReasons refused; // the rows the check refused, and why
    Page page{};
};

// Builds page 1..125 from its eight rows. Fails, naming the rows and why, when the row check
// refuses a row, or for a page number outside 1..125.
EncodeResult encodePage(int page, const NumbersModel &model);

// Writes the entries of page 1..125 into its rows (columns Number..Always; Serial and Delete
// are left alone) with one change notification. Only entries that arrived whole are
// decoded: with fewer than 256 bytes the rows of the missing entries keep their texts;
// bytes beyond 256 are ignored. Returns false and changes nothing for a page outside 1..125.
bool decodePage(int page, std::span<const std::uint8_t> data, NumbersModel &model);

// The page a reply address belongs to: (address - 0x1000) / 0x100 + 1, or 0 when the address
// lies below the list. Pages above 125 are returned as they are; decodePage ignores them.
int pageOfAddress(std::int32_t address);

} // namespace NumbersCodec
} // namespace zc
