#include "history/history_model.h"

namespace zc {

namespace {

const char *const kHeaders[HistoryModel::Columns] = {"Serial", "No.",    "Date",      "Time",
                                                     "From",   "Action", "Executant", "Content"};

bool isRecordRow(int row)
{
    return row >= HistoryModel::FirstRecordRow && row <= HistoryModel::LastRecordRow;
}

} // namespace

HistoryModel::HistoryModel(QObject *parent) : QAbstractTableModel(parent) {}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Rows;
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || role != Qt::DisplayRole) return {};
    return text(index.row(), index.column());
}

Qt::ItemFlags HistoryModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this) return Qt::NoItemFlags;
    // The header row and the row-number column are fixed; record cells can be selected.
    if (index.row() == 0 || index.column() == SerialColumn) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString HistoryModel::header(int column)
{
    return column >= 0 && column < Columns ? QString::fromLatin1(kHeaders[column]) : QString();
}

QString HistoryModel::text(int row, int column) const
{
    if (row < 0 || row >= Rows || column < 0 || column >= Columns) return {};
    if (row == 0) return header(column);
    if (column == SerialColumn) return QString::number(row);
    return m_records[row][column - 1];
}

HistoryModel::Record HistoryModel::record(int row) const
{
    return isRecordRow(row) ? m_records[row] : Record{};
}

void HistoryModel::setRecords(int firstRow, std::span<const Record> records)
{
    int first = -1, last = -1;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const qint64 row = qint64(firstRow) + qint64(i);
        if (row < FirstRecordRow || row > LastRecordRow) continue;
        m_records[row] = records[i];
        if (first < 0) first = int(row);
        last = int(row);
    }
    if (first >= 0)
        emit dataChanged(index(first, NumberColumn), index(last, ContentColumn), {Qt::DisplayRole});
}

void HistoryModel::replaceRecords(const QList<Record> &records)
{
    for (int row = FirstRecordRow; row <= LastRecordRow; ++row)
        m_records[row] = row - 1 < records.size() ? records[row - 1] : Record{};
    emit dataChanged(index(FirstRecordRow, NumberColumn), index(LastRecordRow, ContentColumn),
                     {Qt::DisplayRole});
}

} // namespace zc
