#include "sheets/sheet.h"

namespace zc {

QString Sheet::text(int row, int column) const
{
    const auto it = m_cells.find({row, column});
    return it == m_cells.end() ? QString() : it->second;
}

void Sheet::setText(int row, int column, const QString &text)
{
    if (row < 1 || column < 1) return;
    if (!text.isEmpty()) {
        m_cells[{row, column}] = text;
        m_rows = qMax(m_rows, row);
        m_columns = qMax(m_columns, column);
        return;
    }
    if (m_cells.erase({row, column}) == 0) return;
    m_rows = m_columns = 0;
    for (const auto &[pos, cell] : m_cells) {
        m_rows = qMax(m_rows, pos.first);
        m_columns = qMax(m_columns, pos.second);
    }
}

void Sheet::setColumnWidth(int column, int characters)
{
    if (column < 1) return;
    if (characters > 0)
        m_widths.insert(column, characters);
    else
        m_widths.remove(column);
}

} // namespace zc
