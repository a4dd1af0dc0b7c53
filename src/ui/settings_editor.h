// The settings grid `strngrd_write`: a view and editor over the SettingsModel. Row 0 is the
// header row, column 0 the item names, column 2 the descriptions; only the Content cells
// of items 1..22 are edited. Each keystroke in a cell editor passes the item's input
// rules, and six choose-only pick lists lie over the Content cells of items 3, 4, 8, 9,
// 11 and 12, bound to the model's pick selections.
#pragma once

#include "settings/settings_items.h"
#include "ui/page_undo.h"

#include <QPersistentModelIndex>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QTableView;

namespace zc {

class CurrentCellFrame;
class Reporter;
class SettingsModel;

class SettingsEditor : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsEditor(SettingsModel *model, QWidget *parent = nullptr);
    ~SettingsEditor() override;

    SettingsModel *model() const { return m_model; }
    QTableView *grid() const { return m_grid; }
    // Undo of the page's cell edits, pick-list choices, imports and reads; change marks.
    PageUndo *undo() const { return m_undo; }
    // The undo table's column that holds the pick-list selections.
    static constexpr int PickColumn = 3;
    // The pick list of a pick-list item, nullptr for any other item.
    QComboBox *pickList(int item) const;

    // Input rules of one item, from the item table: the byte limit and whether only digits
    // are admitted.
    static int byteLimit(int item);
    static bool digitsOnly(int item);

    // guard() is asked before any change to the table from the grid or a pick list; true
    // refuses it (the guard says why). The page refuses while its transfer runs.
    void setEditGuard(std::function<bool()> guard) { m_guard = std::move(guard); }
    bool editRefused() const { return m_guard && m_guard(); }

    // Places each pick list over its Content cell; the grid calls this whenever cells move.
    void placePickLists();
    // Opens the pick list lying over cell; false when none lies there.
    bool openPickList(const QModelIndex &cell);
    // Makes the item's Content cell the current cell, in view.
    void showItem(int item);
    // Where an edit the unit cannot hold is explained.
    void setReporter(Reporter *reporter) { m_reporter = reporter; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Applies the input rules to the new editor text of a Content cell.
    void applyInputRules(QWidget *editor, int row, int column, const QString &text);
    // An edit of the item ended: a content the unit cannot hold is refused, the cell gets
    // its text back and the reason is shown. Letters in a number item stay, as typed: the
    // save names them.
    void checkEdit(int item);
    void refuseEdit(int item, const QString &reason);
    // Shows the item and says why its cell keeps its text, once the editor has closed.
    void tellRefused(int item, const QString &reason);
    void moveCurrent(int row, int column);
    // Keeps the current cell framed while a pick list covers it.
    void placeFrame();
    // Shows changed cells and pick lists in bold.
    void showMarks();
    // Gives pick list i its tooltip when its text does not fit; measures only when the text,
    // the room or the weight changed since the last time.
    void tipPickList(int i);
    static PageUndo::Table undoTable(SettingsModel *model);

    SettingsModel *m_model;
    QTableView *m_grid;
    std::array<QComboBox *, SettingsItems::PickListCount> m_pickLists{};
    struct Measured
    {
        QString text;
        int room = -1;
        bool bold = false;
        bool operator==(const Measured &) const = default;
    };
    std::array<Measured, SettingsItems::PickListCount> m_measured{};
    PageUndo *m_undo = nullptr;
    CurrentCellFrame *m_frame = nullptr;
    QPersistentModelIndex m_editCell; // the cell whose editor is open
    QString m_editOriginal;           // its text when the editor opened
    Reporter *m_reporter = nullptr;
    std::function<bool()> m_guard;
};

} // namespace zc
