// The settings table: the 23 x 3 texts of the settings grid (header row, then items 1..22
// with name, content and description) and the selections of the six pick lists. This is
// the only copy of the settings in the tool: decoding writes into it, encoding, profiles
// and the grid editor read it.
#pragma once

#include "settings/settings_items.h"

#include "sheets/text_grid_model.h"
#include <QStringList>

#include <array>

namespace zc {

class SettingsModel : public TextGridModel
{
    Q_OBJECT

public:
    static constexpr int FirstItem = SettingsItems::FirstItem, LastItem = SettingsItems::LastItem;
    static constexpr int Rows = LastItem + 1, Columns = 3;
    static constexpr int NameColumn = 0, ContentColumn = 1, DescriptionColumn = 2;

    explicit SettingsModel(QObject *parent = nullptr);

    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QString content(int item) const { return text(item, ContentColumn); }
    void setContent(int item, const QString &text);

    // Items 3, 4, 8, 9, 11 and 12 are chosen from a pick list (see SettingsItems); the
    // saved value is the selected entry's index, not the Content text.
    static bool isPickItem(int item);
    static QStringList pickEntries(int item);
    // -1 = no selection (also for items without a pick list).
    int pickSelection(int item) const;
    // An index that is not an entry's index clears the selection.
    void setPickSelection(int item, int index);
    // The chosen entry's text, or "" when nothing is chosen.
    QString pickText(int item) const;

    // The start-up state: names, descriptions, default contents and selections.
    void resetToDefaults();

signals:
    void pickSelectionChanged(int item);

protected:
    const QString &cellText(int row, int column) const override { return m_texts[row][column]; }

private:
    static int pickSlot(int item);

    std::array<std::array<QString, Columns>, Rows> m_texts;
    std::array<int, SettingsItems::PickListCount> m_pick{};
};

} // namespace zc
