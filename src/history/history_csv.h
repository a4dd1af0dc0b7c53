// The history text file: one line per table row that has a record number, in row order,
// each line the texts of columns 0..7 and two empty fields joined by "," and ended by CR LF
// (1,1,2015-03-02,09:05:00,SMS,Relay ON,+4416329600,Relay ON,,). No header line.
#pragma once

#include "history/history_model.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace zc {

namespace HistoryCsv {

// One line: the row number, the record's seven texts and the two empty fields, then the
// fields of `more` (a name kept beside the log), CR LF.
QByteArray line(int row, const HistoryModel::Record &record, const QStringList &more = {});

// The file's bytes; empty when no row has a record number. Texts are written as the bytes
// the unit holds. A field holding a comma, a double quote, CR or LF is put in double quotes
// with its quotes doubled, so it stays one field; other fields are written as they are.
// lineWritten receives the row of each line, for progress.
QByteArray fileBytes(const HistoryModel &model, const std::function<void(int row)> &lineWritten = {});

// Reads the file back: the records of its lines, in file order. A line must hold the row
// number and the seven texts (two empty fields may follow); blank lines are skipped. Any
// other line gives no records and, in error, the reason naming it.
QList<HistoryModel::Record> records(const QByteArray &bytes, QString *error = nullptr);

} // namespace HistoryCsv
} // namespace zc
