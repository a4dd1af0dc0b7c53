// The settings grid `strngrd_write`: a view and editor over the SettingsModel. Row 0 is the
// header row, column 0 the item names, column 2 the descriptions; only the Content cells
// of items 1..22 are edited. Each keystroke in a cell editor passes the item's input
// rules, and six choose-only pick lists lie over the Content cells of items 3, 4, 8, 9,
// 11 and 12, bound to the model's pick selections.
#pragma once

#include "settings/settings_items.h"

#include <QWidget>

#include <array>

class QComboBox;
class QTableView;

namespace zc {

class SettingsModel;

class SettingsEditor : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsEditor(SettingsModel *model, QWidget *parent = nullptr);

    SettingsModel *model() const { return m_model; }
    QTableView *grid() const { return m_grid; }
    // The pick list of a pick-list item, nullptr for any other item.
    QComboBox *pickList(int item) const;

    // Input rules of one item, from the item table: the byte limit and whether only digits
    // are admitted.
    static int byteLimit(int item);
    static bool digitsOnly(int item);

    // Places each pick list over its Content cell; the grid calls this whenever cells move.
    void placePickLists();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Applies the input rules to the new editor text of a Content cell.
    void applyInputRules(QWidget *editor, int row, int column, const QString &text);
    void moveCurrent(int row, int column);

    SettingsModel *m_model;
    QTableView *m_grid;
    std::array<QComboBox *, SettingsItems::PickListCount> m_pickLists{};
};

} // namespace zc
