// The history table behind the grid strngrd4: a header row, then rows 1..1000 with the row
// number in column 0 and one record's texts in columns 1..7. It is the only copy of the log
// in the tool: a read writes into it, the filter rewrites it, the exports read it. The view
// cannot edit it.
#pragma once

#include <QAbstractTableModel>
#include <QList>

#include <array>
#include <span>

namespace zc {

class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int Rows = 1001, Columns = 8;
    static constexpr int FirstRecordRow = 1, LastRecordRow = 1000;
    enum Column {
        SerialColumn = 0, // row number
        NumberColumn,     // record number, kept but hidden by the view
        DateColumn,
        TimeColumn,
        FromColumn,
        ActionColumn,
        ExecutantColumn,
        ContentColumn,
    };
    static constexpr int RecordColumns = Columns - 1;
    // The texts of columns 1..7 of one row.
    using Record = std::array<QString, RecordColumns>;

    explicit HistoryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The header text of a column ("Serial", "No.", ...); empty outside 0..7.
    static QString header(int column);
    // Any cell; out-of-range cells read as empty.
    QString text(int row, int column) const;
    // Columns 1..7 of a record row (empty texts outside 1..1000).
    Record record(int row) const;

    // Writes records into consecutive rows from firstRow on; rows outside 1..1000 are
    // skipped. One dataChanged covers the rows written.
    void setRecords(int firstRow, std::span<const Record> records);
    // Empties columns 1..7 of every record row and writes records from row 1 on (at most
    // 1000). One dataChanged covers the whole record area.
    void replaceRecords(const QList<Record> &records);

private:
    std::array<Record, Rows> m_records; // entry 0 unused: the header row is fixed
};

} // namespace zc
