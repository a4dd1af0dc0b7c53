#include "settings/settings_diff.h"

#include "link/page_encoding.h"
#include "settings/settings_codec.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

namespace zc::SettingsDiff {

QList<PageBytes> tablePages(const SettingsModel &model)
{
    QList<PageBytes> pages;
    encodeEveryPage(kSettingsPages, pages, [&](int page) { return SettingsCodec::encodePage(page, model); });
    return pages;
}

std::unique_ptr<SettingsModel> decode(const QList<PageBytes> &pages)
{
    auto model = std::make_unique<SettingsModel>();
    for (int p = 0; p < pages.size() && p < kSettingsPages; ++p)
        SettingsCodec::decodePage(p + 1, pages[p].data(), *model);
    return model;
}

QString shownItem(const SettingsModel &model, int item)
{
    return SettingsModel::isPickItem(item) ? model.pickText(item) : model.content(item);
}

AreaDiff compare(const QList<PageBytes> &unit, const QList<PageBytes> &table)
{
    const auto before = decode(unit), after = decode(table);
    AreaDiff diff;
    for (const SettingsItems::Item &item : SettingsItems::all()) {
        const QString a = shownItem(*before, item.number), b = shownItem(*after, item.number);
        if (a == b) continue;
        const AreaDiff::Kind kind = a.isEmpty()   ? AreaDiff::Kind::Added
                                    : b.isEmpty() ? AreaDiff::Kind::Removed
                                                  : AreaDiff::Kind::Changed;
        diff.lines << AreaDiff::Line{kind, item.number, QString::fromUtf8(item.name), {a}, {b}};
    }
    return diff;
}

} // namespace zc::SettingsDiff
