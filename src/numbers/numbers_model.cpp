#include "numbers/numbers_model.h"

#include "numbers/number_cells.h"

namespace zc {

namespace {

using CheckCell::kNo;
using CheckCell::kYes;

bool isEntryRow(int row)
{
    return row >= NumbersModel::FirstEntry && row <= NumbersModel::LastEntry;
}

const QList<int> kTextRoles = {Qt::DisplayRole, Qt::EditRole};

} // namespace

NumbersModel::NumbersModel(QObject *parent) : TextGridModel(Rows, Columns, parent), m_rows(Rows)
{
    resetToDefaults();
}

Qt::ItemFlags NumbersModel::flags(const QModelIndex &index) const
{
    if (!isCell(index)) return Qt::NoItemFlags;
    if (index.row() == 0 || index.column() == NumberColumn::Serial) return Qt::ItemIsEnabled;
    if (index.column() == NumberColumn::Number)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

NumberRow NumbersModel::row(int row) const
{
    return row >= 0 && row < Rows ? m_rows[row] : NumberRow{};
}

void NumbersModel::setRows(int firstRow, const QList<NumberRow> &rows, int firstColumn, int lastColumn)
{
    firstColumn = qMax(firstColumn, 0);
    lastColumn = qMin(lastColumn, Columns - 1);
    int top = -1, bottom = -1;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qint64 r = qint64(firstRow) + i;
        if (r < FirstEntry || r > LastEntry) continue;
        for (int c = firstColumn; c <= lastColumn; ++c)
            m_rows[r][c] = rows[i][c];
        if (top < 0) top = int(r);
        bottom = int(r);
    }
    if (top < 0 || firstColumn > lastColumn) return;
    emit dataChanged(index(top, firstColumn), index(bottom, lastColumn), kTextRoles);
}

bool NumbersModel::toggleCheck(int row, int column)
{
    if (!isEntryRow(row) || (column != NumberColumn::Always && column != NumberColumn::Delete)) return false;
    if (m_rows[row][column] == kYes) {
        setText(row, column, kNo);
        return false;
    }
    NumberRow changed = m_rows[row];
    changed[column] = kYes;
    for (int c = NumberColumn::StartDate; c <= NumberColumn::EndTime; ++c)
        changed[c].clear();
    setRows(row, {changed}, NumberColumn::StartDate, NumberColumn::Delete);
    return true;
}

bool NumbersModel::pressCheckAll(bool &flag, int column)
{
    flag = !flag;
    const QString value = flag ? kYes : kNo;
    for (int r = FirstEntry; r <= LastEntry; ++r)
        m_rows[r][column] = value;
    emit dataChanged(index(FirstEntry, column), index(LastEntry, column), kTextRoles);
    return flag;
}

bool NumbersModel::pressAllAlways()
{
    return pressCheckAll(m_allAlways, NumberColumn::Always);
}

bool NumbersModel::pressDeleteAll()
{
    return pressCheckAll(m_deleteAll, NumberColumn::Delete);
}

bool NumbersModel::isDoubtful(int row, int column) const
{
    return isEntryRow(row) && isDoubtfulText(column, text(row, column));
}

bool NumbersModel::isDoubtfulText(int column, const QString &text)
{
    if (text.isEmpty()) return false;
    if (NumberEntry::isDateColumn(column)) {
        const auto d = NumberCells::readDate(text);
        return !d || d->month > 12 || d->day > 31;
    }
    if (NumberEntry::isTimeColumn(column)) {
        const auto t = NumberCells::readTime(text);
        return !t || t->hour > 23 || t->minute > 59;
    }
    return false;
}

void NumbersModel::resetToDefaults()
{
    beginResetModel();
    std::copy(std::begin(NumberColumn::kHeaders), std::end(NumberColumn::kHeaders), m_rows[0].begin());
    for (int r = FirstEntry; r <= LastEntry; ++r) {
        m_rows[r] = NumberRow{};
        m_rows[r][NumberColumn::Serial] = QString::number(r);
        m_rows[r][NumberColumn::Always] = kNo;
        m_rows[r][NumberColumn::Delete] = kNo;
    }
    m_allAlways = false;
    m_deleteAll = false;
    endResetModel();
}

} // namespace zc
