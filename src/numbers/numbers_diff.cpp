#include "numbers/numbers_diff.h"

#include "link/digits.h"
#include "link/page_encoding.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"

#include <algorithm>
#include <span>

namespace zc::NumbersDiff {

QList<PageBytes> tablePages(const NumbersModel &model)
{
    QList<PageBytes> pages;
    encodeEveryPage(kNumberPages, pages, [&](int page) { return NumbersCodec::encodePage(page, model); });
    return pages;
}

namespace {

// The 32 bytes of row 1..1000 in the pages, or nullptr past the pages given.
const std::uint8_t *entryBytes(const QList<PageBytes> &pages, int row)
{
    const int page = (row - 1) / NumberEntry::kPerPage, slot = (row - 1) % NumberEntry::kPerPage;
    if (row < 1 || page >= pages.size()) return nullptr;
    return pages[page].data() + slot * NumberEntry::kSize;
}

} // namespace

NumberRow rowOf(const QList<PageBytes> &pages, int row)
{
    const std::uint8_t *bytes = entryBytes(pages, row);
    if (!bytes) return {};
    return NumbersCodec::decodeEntry(
        std::span<const std::uint8_t, NumberEntry::kSize>(bytes, NumberEntry::kSize));
}

bool sameEntry(const NumberRow &a, const NumberRow &b)
{
    using namespace NumberColumn;
    if (a[Number].isEmpty() && b[Number].isEmpty()) return true;
    for (int c = Number; c <= Always; ++c)
        if (a[c] != b[c]) return false;
    return true;
}

AreaDiff compare(const QList<PageBytes> &unit, const QList<PageBytes> &table)
{
    AreaDiff diff;
    for (int row = NumbersModel::FirstEntry; row <= NumbersModel::LastEntry; ++row) {
        // The same bytes are the same entry, and two entries without a number are alike:
        // only rows that may differ are read.
        const std::uint8_t *x = entryBytes(unit, row), *y = entryBytes(table, row);
        if (x && y && std::equal(x, x + NumberEntry::kSize, y)) continue;
        if (!(x && isPhoneChar(x[0])) && !(y && isPhoneChar(y[0]))) continue;
        const NumberRow a = rowOf(unit, row), b = rowOf(table, row);
        if (sameEntry(a, b)) continue;
        const bool had = !a[NumberColumn::Number].isEmpty(), has = !b[NumberColumn::Number].isEmpty();
        const AreaDiff::Kind kind = !had   ? AreaDiff::Kind::Added
                                    : !has ? AreaDiff::Kind::Removed
                                           : AreaDiff::Kind::Changed;
        diff.lines << AreaDiff::Line{
            kind, row, {}, QStringList(a.begin(), a.end()), QStringList(b.begin(), b.end())};
    }
    return diff;
}

} // namespace zc::NumbersDiff
