#include "sheets/text_grid_model.h"

#include "sheets/cell_text.h"

namespace zc {

TextGridModel::TextGridModel(int rows, int columns, QObject *parent)
    : QAbstractTableModel(parent), m_rows(rows), m_columns(columns)
{
}

int TextGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TextGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

bool TextGridModel::isCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() < m_rows && index.column() < m_columns;
}

QString TextGridModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns) return {};
    return cellText(row, column);
}

void TextGridModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns) return;
    // The subclass owns its cells; it hands them out read-only so only this write changes one.
    QString &cell = const_cast<QString &>(cellText(row, column));
    if (cell == text) return;
    cell = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

QVariant TextGridModel::data(const QModelIndex &index, int role) const
{
    if (!isCell(index)) return {};
    if (role == Qt::DisplayRole) return CellText::shown(text(index.row(), index.column()));
    if (role == Qt::EditRole) return text(index.row(), index.column());
    return {};
}

bool TextGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !isCell(index)) return false;
    if (!(flags(index) & Qt::ItemIsEditable)) return false;
    setText(index.row(), index.column(), value.toString());
    return true;
}

} // namespace zc
