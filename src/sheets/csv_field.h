// One field of a comma-separated text file, as the list and history exports write it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace zc::Csv {

// The field's bytes as they stand, or in double quotes with each quote doubled when they
// hold a comma, a double quote, CR or LF, so that the field stays one field.
QByteArray field(QByteArray bytes);

// Walks the lines of a comma-separated text in order, handing each line's fields (their
// bytes, quotes undone) to onLine; lines may end in CR LF, LF or CR. Stops at the first
// reason onLine gives and returns it, or the reason the text is no CSV (a quoted field
// never closed); empty when every line was taken.
QString eachLine(const QByteArray &bytes, const std::function<QString(const QList<QByteArray> &)> &onLine);

// The lines of a comma-separated text and the bytes of their fields, quotes undone; lines
// may end in CR LF, LF or CR. At most maxLines lines are read: a text holding more, or a
// quoted field never closed, gives no lines and, in error, the reason.
QList<QList<QByteArray>> lines(const QByteArray &bytes, int maxLines, QString *error);

} // namespace zc::Csv
