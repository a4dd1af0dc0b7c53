#include "history/history_store.h"

#include "history/history_codec.h"

namespace zc {

void HistoryStore::takeFrom(const HistoryModel &model)
{
    QList<HistoryModel::Record> records;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row)
        if (!model.text(row, HistoryModel::NumberColumn).isEmpty()) records << model.record(row);
    m_records = std::move(records);
}

std::pair<QDate, QDate> HistoryStore::days() const
{
    QDate first, last;
    for (const HistoryModel::Record &r : m_records) {
        const auto d = HistoryCodec::parseDate(r[HistoryModel::DateColumn - 1]);
        const QDate date = d ? QDate(d->year, d->month, d->day) : QDate();
        if (!date.isValid()) continue;
        if (!first.isValid() || date < first) first = date;
        if (!last.isValid() || date > last) last = date;
    }
    return {first, last};
}

} // namespace zc
