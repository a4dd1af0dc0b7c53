#include "cli/page_compare.h"

#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"
#include "settings/settings_codec.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <map>
#include <memory>
#include <span>

namespace zc::cli {

namespace {

QString shown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : text;
}

std::unique_ptr<SettingsModel> decodeSettings(const QList<PageBytes> &pages)
{
    auto model = std::make_unique<SettingsModel>();
    for (int p = 0; p < pages.size() && p < kSettingsPages; ++p)
        SettingsCodec::decodePage(p + 1, pages[p].data(), *model);
    return model;
}

QString itemText(const SettingsModel &model, int item)
{
    return SettingsModel::isPickItem(item) ? model.pickText(item) : model.content(item);
}

// The item whose field (or its second copy) holds byte `offset` of settings page `page`.
const SettingsItems::Item *itemAt(int page, int offset)
{
    for (const SettingsItems::Item &item : SettingsItems::all()) {
        if (item.page != page) continue;
        for (int start : {item.offset, item.copyOffset})
            if (start >= 0 && offset >= start && offset < start + item.width) return &item;
    }
    return nullptr;
}

NumberRow entryOf(const QList<PageBytes> &pages, int row)
{
    const int page = (row - 1) / NumberEntry::kPerPage, slot = (row - 1) % NumberEntry::kPerPage;
    if (page >= pages.size()) return {};
    return NumbersCodec::decodeEntry(std::span<const std::uint8_t, NumberEntry::kSize>(
        pages[page].data() + slot * NumberEntry::kSize, NumberEntry::kSize));
}

// A list row in one line: "(empty)", "+4415550987 always", "5550987 2024-05-06 08:00 – 2024-06-30 18:30".
QString rowText(const NumberRow &r)
{
    using namespace NumberColumn;
    if (r[Number].isEmpty()) return QStringLiteral("(empty)");
    if (r[Always] == CheckCell::kYes) return r[Number] + QStringLiteral(" always");
    return QStringLiteral("%1 %2 %3 – %4 %5")
        .arg(r[Number], shown(r[StartDate]), shown(r[StartTime]), shown(r[EndDate]), shown(r[EndTime]));
}

bool sameRow(const NumberRow &a, const NumberRow &b)
{
    for (int c = NumberColumn::Number; c <= NumberColumn::Always; ++c)
        if (a[c] != b[c]) return false;
    return true;
}

QString hex(std::uint8_t b)
{
    return QStringLiteral("0x") + QString::number(b, 16).rightJustified(2, u'0').toUpper();
}

} // namespace

QList<PageBytes> settingsPages(const SettingsModel &model)
{
    QList<PageBytes> pages;
    for (int p = 1; p <= kSettingsPages; ++p) {
        const SettingsCodec::EncodeResult r = SettingsCodec::encodePage(p, model);
        if (!r.ok) return {};
        pages << r.page;
    }
    return pages;
}

QList<PageBytes> numbersPages(const NumbersModel &model)
{
    QList<PageBytes> pages;
    for (int p = 1; p <= kNumberPages; ++p) {
        const NumbersCodec::EncodeResult r = NumbersCodec::encodePage(p, model);
        if (!r.ok) return {};
        pages << r.page;
    }
    return pages;
}

QStringList settingsChanges(const QList<PageBytes> &unit, const QList<PageBytes> &written)
{
    const auto before = decodeSettings(unit), after = decodeSettings(written);
    QStringList lines;
    for (const SettingsItems::Item &item : SettingsItems::all()) {
        const QString a = itemText(*before, item.number), b = itemText(*after, item.number);
        if (a != b)
            lines << QStringLiteral("%1: %2 → %3").arg(QString::fromUtf8(item.name), shown(a), shown(b));
    }
    return lines;
}

QStringList numbersChanges(const QList<PageBytes> &unit, const QList<PageBytes> &written)
{
    QStringList lines;
    for (int row = NumbersModel::FirstEntry; row <= NumbersModel::LastEntry; ++row) {
        const NumberRow a = entryOf(unit, row), b = entryOf(written, row);
        if (!sameRow(a, b)) lines << QStringLiteral("row %1: %2 → %3").arg(row).arg(rowText(a), rowText(b));
    }
    return lines;
}

QStringList verifyDifferences(Area area, const QList<PageBytes> &sent, const QList<PageBytes> &held)
{
    QStringList lines;
    if (held.size() != sent.size()) {
        lines << QStringLiteral("%1 pages were read back, %2 were sent").arg(held.size()).arg(sent.size());
        return lines;
    }
    if (area == Area::Settings) {
        const auto s = decodeSettings(sent), h = decodeSettings(held);
        std::map<int, QString> items; // by item number, so each item is named once
        for (int p = 0; p < sent.size(); ++p)
            for (int o = 0; o < kPageSize; ++o) {
                if (sent[p][o] == held[p][o]) continue;
                const SettingsItems::Item *item = itemAt(p + 1, o);
                if (!item) {
                    lines << QStringLiteral("settings page %1 byte %2: sent %3, the unit holds %4")
                                 .arg(p + 1)
                                 .arg(o)
                                 .arg(hex(sent[p][o]), hex(held[p][o]));
                    continue;
                }
                if (items.count(item->number)) continue;
                const QString a = itemText(*s, item->number), b = itemText(*h, item->number);
                items[item->number] =
                    a != b ? QStringLiteral("settings item %1: sent %2, the unit holds %3")
                                 .arg(QString::fromUtf8(item->name), shown(a), shown(b))
                           : QStringLiteral("settings item %1: the unit holds other bytes than were sent "
                                            "(page %2 byte %3: sent %4, held %5)")
                                 .arg(QString::fromUtf8(item->name))
                                 .arg(p + 1)
                                 .arg(o)
                                 .arg(hex(sent[p][o]), hex(held[p][o]));
            }
        for (const auto &[number, line] : items)
            lines << line;
        return lines;
    }
    const int perPage = kPageSize / areaMap(area).recordSize;
    const int recordSize = areaMap(area).recordSize;
    for (int p = 0; p < sent.size(); ++p)
        for (int slot = 0; slot < perPage; ++slot) {
            const int start = slot * recordSize;
            int first = -1;
            for (int o = start; o < start + recordSize && first < 0; ++o)
                if (sent[p][o] != held[p][o]) first = o;
            if (first < 0) continue;
            const int row = p * perPage + slot + 1;
            const NumberRow a = entryOf(sent, row), b = entryOf(held, row);
            lines << (!sameRow(a, b)
                          ? QStringLiteral("number list row %1: sent %2, the unit holds %3")
                                .arg(row)
                                .arg(rowText(a), rowText(b))
                          : QStringLiteral("number list row %1: the unit holds other bytes than were "
                                           "sent (entry byte %2: sent %3, held %4)")
                                .arg(row)
                                .arg(first - start)
                                .arg(hex(sent[p][first]), hex(held[p][first])));
        }
    return lines;
}

} // namespace zc::cli
