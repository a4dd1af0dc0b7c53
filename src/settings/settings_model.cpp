#include "settings/settings_model.h"

#include "settings/settings_items.h"

namespace zc {

namespace {

const char *const kHeader[SettingsModel::Columns] = {"Items", "Content", "Description"};

} // namespace

SettingsModel::SettingsModel(QObject *parent) : TextGridModel(Rows, Columns, parent)
{
    m_pick.fill(-1);
    resetToDefaults();
}

Qt::ItemFlags SettingsModel::flags(const QModelIndex &index) const
{
    if (!isCell(index)) return Qt::NoItemFlags;
    // Header row and name column are fixed; descriptions can be selected but not edited.
    if (index.row() == 0 || index.column() == NameColumn) return Qt::ItemIsEnabled;
    if (index.column() == DescriptionColumn) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void SettingsModel::setContent(int item, const QString &text)
{
    if (item >= FirstItem && item <= LastItem) setText(item, ContentColumn, text);
}

int SettingsModel::pickSlot(int item)
{
    return SettingsItems::pickSlot(item);
}

bool SettingsModel::isPickItem(int item)
{
    return pickSlot(item) >= 0;
}

QStringList SettingsModel::pickEntries(int item)
{
    return SettingsItems::pickEntries(item);
}

int SettingsModel::pickSelection(int item) const
{
    const int slot = pickSlot(item);
    return slot < 0 ? -1 : m_pick[slot];
}

void SettingsModel::setPickSelection(int item, int index)
{
    const int slot = pickSlot(item);
    if (slot < 0) return;
    if (index < 0 || index >= pickEntries(item).size()) index = -1;
    if (m_pick[slot] == index) return;
    m_pick[slot] = index;
    emit pickSelectionChanged(item);
}

QString SettingsModel::pickText(int item) const
{
    const int sel = pickSelection(item);
    return sel < 0 ? QString() : pickEntries(item).at(sel);
}

void SettingsModel::resetToDefaults()
{
    for (int c = 0; c < Columns; ++c)
        m_texts[0][c] = QString::fromUtf8(kHeader[c]);
    for (const SettingsItems::Item &item : SettingsItems::all()) {
        m_texts[item.number][NameColumn] = QString::fromUtf8(item.name);
        m_texts[item.number][ContentColumn] = QString::fromUtf8(item.content);
        m_texts[item.number][DescriptionColumn] = QString::fromUtf8(item.description);
    }
    emit dataChanged(index(0, 0), index(Rows - 1, Columns - 1), {Qt::DisplayRole, Qt::EditRole});
    for (int item : SettingsItems::pickItems())
        setPickSelection(item, SettingsItems::find(item)->defaultPick);
}

} // namespace zc
