// The number list table behind the grid strngrd3: a header row and 1000 entry rows of eight
// texts (Serial, Authorized number, Start Date, Start Time, End Date, End Time, Always(V),
// Delete(V)). It is the only copy of the list in the tool: reads decode into it, saves,
// exports and the editor work on it. Check cells hold "yes" or "no".
#pragma once

#include "numbers/number_entry.h"

#include "sheets/text_grid_model.h"
#include <QList>

#include <vector>

namespace zc {

class NumbersModel : public TextGridModel
{
    Q_OBJECT

public:
    static constexpr int Rows = NumberEntry::kEntries + 1, Columns = NumberColumn::Count;
    static constexpr int FirstEntry = 1, LastEntry = NumberEntry::kEntries;

    explicit NumbersModel(QObject *parent = nullptr);

    // Header row and Serial column: shown only. Authorized number: editable. Date, time and
    // check cells: selectable, changed by the pickers and by clicks, never typed into.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    NumberRow row(int row) const;
    // Writes columns firstColumn..lastColumn of consecutive entry rows from firstRow on, with one
    // change notification over the block. Rows that would fall outside 1..1000 are dropped.
    void setRows(int firstRow, const QList<NumberRow> &rows, int firstColumn, int lastColumn);

    // A click on a check cell (Always or Delete) of an entry row: anything but "yes" becomes
    // "yes" and empties the row's four date and time cells; "yes" becomes "no" and nothing
    // else changes. Returns true when the cell was ticked. Other cells: nothing, false.
    bool toggleCheck(int row, int column);

    // "All Always" and "Delete all": invert the button's flag and set the whole column to
    // "yes" when it is now set, to "no" otherwise, whatever the cells held. Date and time
    // cells are left alone. Return the new flag.
    bool pressAllAlways();
    bool pressDeleteAll();
    bool allAlways() const { return m_allAlways; }
    bool deleteAll() const { return m_deleteAll; }

    // A non-empty date or time cell of an entry row that is shown on the warning background:
    // a month above 12 or a day above 31, an hour above 23 or a minute above 59, or a text
    // that cannot be read as a date or time at all.
    bool isDoubtful(int row, int column) const;
    static bool isDoubtfulText(int column, const QString &text);

    // The start-up table: headers, serials 1..1000, "no" in both check columns, the rest
    // empty; both button flags cleared.
    void resetToDefaults();

protected:
    const QString &cellText(int row, int column) const override { return m_rows[row][column]; }

private:
    bool pressCheckAll(bool &flag, int column);

    std::vector<NumberRow> m_rows;
    bool m_allAlways = false;
    bool m_deleteAll = false;
};

} // namespace zc
