#include "numbers/numbers_codec.h"

#include "link/device_text.h"
#include "link/digits.h"
#include "numbers/number_cells.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/numbers_model.h"

#include <QByteArray>

#include <algorithm>

namespace zc::NumbersCodec {

using NumberCells::readDate;
using NumberCells::readTime;
using NumberEntry::Field;
using NumberEntry::Part;

namespace {

using CheckCell::kNo;
using CheckCell::kYes;

// At least two digits, a leading zero below ten (a byte may need three). Built by hand: a
// read decodes four of these for every list entry.
QString twoDigits(int v)
{
    if (v < 0 || v > 99) return QString::number(v);
    const QChar digits[2] = {QChar(u'0' + v / 10), QChar(u'0' + v % 10)};
    return QString(digits, 2);
}

// The value a date or time field takes from its (non-empty, readable) cell.
std::uint8_t partValue(const QString &cell, Part part)
{
    switch (part) {
    case Part::Month:
        return std::uint8_t(readDate(cell)->month);
    case Part::Day:
        return std::uint8_t(readDate(cell)->day);
    case Part::Year:
        return std::uint8_t(readDate(cell)->year);
    case Part::Hour:
        return std::uint8_t(readTime(cell)->hour);
    case Part::Minute:
        return std::uint8_t(readTime(cell)->minute);
    case Part::Digits:
        break;
    }
    return 0;
}

} // namespace

std::optional<Entry> encodeEntry(const NumberRow &row)
{
    if (!NumberCheck::rowRefusals(row).isEmpty()) return std::nullopt;
    Entry e{};
    if (row[NumberColumn::Delete] == kYes) {
        e.fill(NumberEntry::kDeletedByte);
        return e;
    }
    const Field &nf = NumberEntry::numberField();
    const QByteArray number = DeviceText::toBytes(row[NumberColumn::Number]);
    std::copy(number.cbegin(), number.cend(), e.begin() + nf.offset);

    const bool always = row[NumberColumn::Always] == kYes;
    for (const Field &f : NumberEntry::kFields) {
        if (f.part == Part::Digits) continue;
        if (always) {
            e[f.offset] = f.alwaysByte;
        } else if (!row[f.column].isEmpty()) {
            e[f.offset] = partValue(row[f.column], f.part);
        }
    }
    return e;
}

NumberRow decodeEntry(std::span<const std::uint8_t, NumberEntry::kSize> e)
{
    using namespace NumberColumn;
    const auto byte = [&e](int column, Part part) { return int(e[NumberEntry::field(column, part).offset]); };

    NumberRow row;
    const Field &nf = NumberEntry::numberField();
    int n = 0;
    while (n < nf.width && isPhoneChar(e[nf.offset + n]))
        ++n;
    row[Number] = DeviceText::fromBytes(QByteArray(reinterpret_cast<const char *>(e.data()) + nf.offset, n));

    for (int c = StartDate; c <= EndTime; ++c) {
        if (NumberEntry::isDateColumn(c)) {
            // A date with month or day 0 is no date: the cell shows empty rather than keeping an old one.
            const int month = byte(c, Part::Month), day = byte(c, Part::Day);
            if (month != 0 && day != 0)
                row[c] = QStringLiteral("20") + twoDigits(byte(c, Part::Year)) + u'-' + twoDigits(month) +
                         u'-' + twoDigits(day);
        } else {
            row[c] = twoDigits(byte(c, Part::Hour)) + u':' + twoDigits(byte(c, Part::Minute));
        }
    }

    bool always = true;
    for (const Field &f : NumberEntry::kFields)
        if (NumberEntry::isAlwaysMarker(f.part) && e[f.offset] != NumberEntry::kAlwaysMark) always = false;
    if (always || e[NumberEntry::kDeletedMarkOffset] == NumberEntry::kDeletedByte || row[Number].isEmpty())
        for (int c = StartDate; c <= EndTime; ++c)
            row[c].clear();
    row[Always] = always ? kYes : kNo;
    return row;
}

EncodeResult encodePage(int page, const NumbersModel &model)
{
    EncodeResult result;
    if (page < 1 || page > kNumberPages) {
        result.ok = false;
        result.error = QStringLiteral("There is no number list page %1.").arg(page);
        return result;
    }
    const int first = (page - 1) * NumberEntry::kPerPage + 1;
    NumberCheck::RowReasons refused;
    for (int r = first; r < first + NumberEntry::kPerPage; ++r)
        if (const QStringList reasons = NumberCheck::rowRefusals(model.row(r)); !reasons.isEmpty())
            refused.append({r, reasons.join(QStringLiteral("; "))});
    if (!refused.isEmpty()) {
        result.ok = false;
        result.refused = refused;
        result.error = QStringLiteral("The save stopped before rows %1 to %2: some cells cannot be sent.\n")
                           .arg(first)
                           .arg(first + NumberEntry::kPerPage - 1) +
                       NumberCheck::rowLines(refused);
        return result;
    }
    for (int i = 0; i < NumberEntry::kPerPage; ++i) {
        const Entry e = *encodeEntry(model.row(first + i));
        std::copy(e.cbegin(), e.cend(), result.page.begin() + i * NumberEntry::kSize);
    }
    return result;
}

bool decodePage(int page, std::span<const std::uint8_t> data, NumbersModel &model)
{
    if (page < 1 || page > kNumberPages) return false;
    const std::size_t whole = std::min<std::size_t>(data.size(), kPageSize) / NumberEntry::kSize;
    QList<NumberRow> rows;
    for (std::size_t i = 0; i < whole; ++i)
        rows << decodeEntry(data.subspan(i * NumberEntry::kSize).first<NumberEntry::kSize>());
    model.setRows((page - 1) * NumberEntry::kPerPage + 1, rows, NumberColumn::Number, NumberColumn::Always);
    return true;
}

int pageOfAddress(std::int32_t address)
{
    if (address < kNumbersBase) return 0;
    return (address - kNumbersBase) / kPageSize + 1;
}

} // namespace zc::NumbersCodec
