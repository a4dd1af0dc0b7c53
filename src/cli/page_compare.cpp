#include "cli/page_compare.h"

#include "numbers/numbers_diff.h"
#include "numbers/numbers_model.h"
#include "settings/settings_diff.h"
#include "words/diff_words.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <map>

namespace zc::cli {

namespace {

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

QString hex(std::uint8_t b)
{
    return QStringLiteral("0x") + QString::number(b, 16).rightJustified(2, u'0').toUpper();
}

} // namespace

QList<PageBytes> settingsPages(const SettingsModel &model)
{
    return SettingsDiff::tablePages(model);
}

QList<PageBytes> numbersPages(const NumbersModel &model)
{
    return NumbersDiff::tablePages(model);
}

QStringList settingsChanges(const QList<PageBytes> &unit, const QList<PageBytes> &written)
{
    return diffLines(SettingsDiff::compare(unit, written));
}

QStringList numbersChanges(const QList<PageBytes> &unit, const QList<PageBytes> &written)
{
    return diffLines(NumbersDiff::compare(unit, written));
}

QStringList verifyDifferences(Area area, const QList<PageBytes> &sent, const QList<PageBytes> &held)
{
    QStringList lines;
    if (held.size() != sent.size()) {
        lines << QStringLiteral("%1 pages were read back, %2 were sent").arg(held.size()).arg(sent.size());
        return lines;
    }
    if (area == Area::Settings) {
        const auto s = SettingsDiff::decode(sent), h = SettingsDiff::decode(held);
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
                const QString a = SettingsDiff::shownItem(*s, item->number),
                              b = SettingsDiff::shownItem(*h, item->number);
                items[item->number] =
                    a != b ? QStringLiteral("settings item %1: sent %2, the unit holds %3")
                                 .arg(QString::fromUtf8(item->name), shownValue(a), shownValue(b))
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
            const NumberRow a = NumbersDiff::rowOf(sent, row), b = NumbersDiff::rowOf(held, row);
            lines << (!NumbersDiff::sameEntry(a, b)
                          ? QStringLiteral("number list row %1: sent %2, the unit holds %3")
                                .arg(row)
                                .arg(numberRowWords(a), numberRowWords(b))
                          : QStringLiteral("number list row %1: the unit holds other bytes than were "
                                           "sent (entry byte %2: sent %3, held %4)")
                                .arg(row)
                                .arg(first - start)
                                .arg(hex(sent[p][first]), hex(held[p][first])));
        }
    return lines;
}

} // namespace zc::cli
