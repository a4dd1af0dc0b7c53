#include "sheets/sheet.h"

namespace zc {

QString Sheet::text(int row, int column) const
{
    const auto it = m_cells.find({row, column});
    return it == m_cells.end() ? QString() : it->second;
}

CellKind Sheet::kind(int row, int column) const
{
    const auto it = m_kinds.find({row, column});
    return it == m_kinds.end() ? CellKind::Text : it->second;
}

void Sheet::setText(int row, int column, const QString &text, CellKind kind)
{
    if (row < 1 || column < 1) return;
    const std::pair<int, int> pos{row, column};
    // A formula without a value has no text but is still a cell; an empty cell of any other
    // kind is no cell.
    const bool keep = !text.isEmpty() || kind == CellKind::Formula;
    std::size_t erased = 0;
    if (keep && kind != CellKind::Text)
        m_kinds[pos] = kind;
    else
        erased += m_kinds.erase(pos);
    if (!text.isEmpty())
        m_cells[pos] = text;
    else
        erased += m_cells.erase(pos);
    if (keep) {
        m_rows = qMax(m_rows, row);
        m_columns = qMax(m_columns, column);
    } else if (erased > 0) {
        recountExtent();
    }
}

void Sheet::recountExtent()
{
    m_rows = m_columns = 0;
    for (const auto &[pos, cell] : m_cells) {
        m_rows = qMax(m_rows, pos.first);
        m_columns = qMax(m_columns, pos.second);
    }
    for (const auto &[pos, kind] : m_kinds) {
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
