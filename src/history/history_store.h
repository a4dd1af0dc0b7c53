// The whole log as the last read found it: every record, in the unit's order. The table
// behind the grid shows a view of it (all of it, or what the filter matched); filtering
// reads from here, so a wider range or "Show all" needs no new read.
#pragma once

#include "history/history_model.h"

#include <QDate>
#include <QList>

#include <utility>

namespace zc {

class HistoryStore
{
public:
    const QList<HistoryModel::Record> &records() const { return m_records; }
    int size() const { return int(m_records.size()); }

    // A read that ended (completed or not) replaces what an earlier read left.
    void replace(QList<HistoryModel::Record> records) { m_records = std::move(records); }
    // Takes the records a table holds: the rows with a record number, in row order.
    void takeFrom(const HistoryModel &model);
    // Writes every record into the table from row 1, the rest emptied.
    void showAll(HistoryModel &model) const { model.replaceRecords(m_records); }
    // The first and the last day a record is dated; invalid dates when no record has a date.
    std::pair<QDate, QDate> days() const;

private:
    QList<HistoryModel::Record> m_records;
};

} // namespace zc
