// The history as a JSON document ("zarvento-cli/history", see sheets/json_envelope.h): a
// "records" list with one object per record, each its "row" and the texts "number",
// "date", "time", "from", "action", "executant" and "content". The archive's export is the
// same document with its records numbered from 1 and a "gaps" list beside them.
#pragma once

#include "history/history_model.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace zc::HistoryJson {

inline const QString kKind = QStringLiteral("history");

// One record's object, numbered row.
QJsonObject entry(int row, const HistoryModel::Record &record);
// The table's rows that have a record number, in row order.
QByteArray bytes(const HistoryModel &model);

// Reads a document back: the records of its list in file order. Every entry needs a "row"
// number of 1 or more given once and texts for the seven fields (a missing one is empty);
// anything else gives no records and, in error, the reason naming the row.
QList<HistoryModel::Record> records(const QByteArray &bytes, QString *error = nullptr);

} // namespace zc::HistoryJson
