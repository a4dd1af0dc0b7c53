#include "history/history_json.h"

#include "sheets/json_envelope.h"

#include <QJsonArray>

#include <limits>

namespace zc::HistoryJson {

namespace {

// The keys of a record's seven texts, in column order.
const char *const kKeys[HistoryModel::RecordColumns] = {"number", "date",      "time",   "from",
                                                        "action", "executant", "content"};

} // namespace

QJsonObject entry(int row, const HistoryModel::Record &record)
{
    QJsonObject o{{QStringLiteral("row"), row}};
    for (int c = 0; c < HistoryModel::RecordColumns; ++c)
        o.insert(QLatin1String(kKeys[c]), record[std::size_t(c)]);
    return o;
}

QByteArray bytes(const HistoryModel &model)
{
    QJsonArray list;
    for (int r = HistoryModel::FirstRecordRow; r <= HistoryModel::LastRecordRow; ++r)
        if (!model.text(r, HistoryModel::NumberColumn).isEmpty()) list.append(entry(r, model.record(r)));
    QJsonObject top = JsonEnvelope::document(kKind);
    top.insert(QStringLiteral("records"), list);
    return JsonEnvelope::bytes(top);
}

QList<HistoryModel::Record> records(const QByteArray &bytes, QString *error)
{
    QList<HistoryModel::Record> out;
    QJsonObject top;
    QString why = JsonEnvelope::parse(bytes, kKind, top);
    if (why.isEmpty())
        why = JsonEnvelope::eachNumbered(top, QStringLiteral("records"), QStringLiteral("row"), 1,
                                         std::numeric_limits<int>::max(),
                                         [&out](const QJsonObject &o, int row) {
                                             HistoryModel::Record r;
                                             for (int c = 0; c < HistoryModel::RecordColumns; ++c)
                                                 if (!JsonEnvelope::text(o, kKeys[c], r[std::size_t(c)]))
                                                     return QStringLiteral("row %1: \"%2\" must be a text")
                                                         .arg(row)
                                                         .arg(QLatin1String(kKeys[c]));
                                             out.append(r);
                                             return QString();
                                         });
    if (error) *error = why;
    if (!why.isEmpty()) out.clear();
    return out;
}

} // namespace zc::HistoryJson
