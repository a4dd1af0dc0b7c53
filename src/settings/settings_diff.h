// Item by item, what saving the settings table would change on the unit: the pages the
// table gives, compared with the pages the unit holds, both as the grid shows them.
#pragma once

#include "link/area_diff.h"

#include <memory>

namespace zc {

class SettingsModel;

namespace SettingsDiff {

// The two pages a save of the table sends; none when an item cannot be encoded (the save
// itself says why).
QList<PageBytes> tablePages(const SettingsModel &model);
// The table as the pages show it; an item of a missing page keeps its start-up content.
std::unique_ptr<SettingsModel> decode(const QList<PageBytes> &pages);
// An item as the grid shows it: a pick item's chosen entry, any other item its content.
QString shownItem(const SettingsModel &model, int item);
// Item by item, every item whose shown content differs: its name and both contents.
AreaDiff compare(const QList<PageBytes> &unit, const QList<PageBytes> &table);

} // namespace SettingsDiff
} // namespace zc
