// The number list as a JSON document ("zarvento-cli/numbers", see sheets/json_envelope.h):
// a "rows" list with one object per entry that holds a number, each its "row" (1 to 1000),
// "number", "start_date", "start_time", "end_date", "end_time" as texts and "always" as
// true or false.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zc {

class NumbersModel;
class Sheet;

namespace NumbersJson {

QByteArray bytes(const NumbersModel &model);

// Reads a document back, laid out as NumbersImport::check takes a workbook: row 0 holds
// "Serial" in its first cell, rows 1..1000 the rows ("yes"/"no" for the check cells, rows
// the file does not give empty). A row given twice, outside 1..1000, or with a field of the
// wrong kind gives an empty list and, in error, the reason naming the row.
QList<QStringList> cells(const QByteArray &bytes, QString *error = nullptr);
// The same cells as the list workbook's sheet (row r + 1, column c + 1); "" or the reason.
QString toSheet(const QByteArray &bytes, Sheet &sheet);

} // namespace NumbersJson
} // namespace zc
