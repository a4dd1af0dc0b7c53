// A sheet of cells in memory: texts by row and column, and column widths in characters.
// Rows and columns are numbered from 1, as in the workbook. Writers fill one and save it;
// readers return the first (active) sheet of a file as one. Only non-empty cells are kept.
#pragma once

#include <QMap>
#include <QString>

#include <map>
#include <utility>

namespace zc {

// What a workbook cell held: a text, a stored number (dates and times included), or a
// formula whose value was never calculated and saved (its text is then empty).
enum class CellKind { Text, Number, Formula };

class Sheet
{
public:
    // "" for an empty cell or a position outside the sheet.
    QString text(int row, int column) const;
    // An empty text empties the cell; positions below 1 are ignored.
    void setText(int row, int column, const QString &text) { setText(row, column, text, CellKind::Text); }
    // The same, and records the cell's kind; a Formula cell is kept even with an empty text.
    void setText(int row, int column, const QString &text, CellKind kind);
    // Text for a cell never marked otherwise.
    CellKind kind(int row, int column) const;

    // The last row and column that hold a text or a formula (0 for an empty sheet).
    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    int cellCount() const { return int(m_cells.size()); }

    // Rows 1..rows and columns 1..columns are all written formatted as text, the empty cells
    // too, so that whatever is typed into them later stays text (0 = only the cells that
    // hold a text).
    void setTextRange(int rows, int columns)
    {
        m_rangeRows = qMax(0, rows);
        m_rangeColumns = qMax(0, columns);
    }
    int textRangeRows() const { return m_rangeRows; }
    int textRangeColumns() const { return m_rangeColumns; }

    // Width in characters; 0 = the application's default width.
    void setColumnWidth(int column, int characters);
    int columnWidth(int column) const { return m_widths.value(column, 0); }
    const QMap<int, int> &columnWidths() const { return m_widths; }

    // Cells in row order, then column order: ((row, column), text).
    using Cells = std::map<std::pair<int, int>, QString>;
    const Cells &cells() const { return m_cells; }
    // The cells whose kind is not Text, in the same order.
    using Kinds = std::map<std::pair<int, int>, CellKind>;
    const Kinds &kinds() const { return m_kinds; }

private:
    void recountExtent();

    Cells m_cells;
    Kinds m_kinds; // only cells that are not Text
    QMap<int, int> m_widths;
    int m_rows = 0;
    int m_columns = 0;
    int m_rangeRows = 0;
    int m_rangeColumns = 0;
};

} // namespace zc
