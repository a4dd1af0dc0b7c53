#include "history/history_store.h"

namespace zc {

void HistoryStore::takeFrom(const HistoryModel &model)
{
    QList<HistoryModel::Record> records;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row)
        if (!model.text(row, HistoryModel::NumberColumn).isEmpty()) records << model.record(row);
    m_records = std::move(records);
}

} // namespace zc
