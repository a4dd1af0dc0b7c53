// One field of a comma-separated text file, as the list and history exports write it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zc::Csv {

// The field's bytes as they stand, or in double quotes with each quote doubled when they
// hold a comma, a double quote, CR or LF, so that the field stays one field.
QByteArray field(QByteArray bytes);

// The lines of a comma-separated text and the bytes of their fields, quotes undone; lines
// may end in CR LF, LF or CR. At most maxLines lines are read: a text holding more, or a
// quoted field never closed, gives no lines and, in error, the reason.
QList<QList<QByteArray>> lines(const QByteArray &bytes, int maxLines, QString *error);

} // namespace zc::Csv
