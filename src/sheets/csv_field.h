// One field of a comma-separated text file, as the list and history exports write it.
#pragma once

#include <QByteArray>

namespace zc::Csv {

// The field's bytes as they stand, or in double quotes with each quote doubled when they
// hold a comma, a double quote, CR or LF, so that the field stays one field.
QByteArray field(QByteArray bytes);

} // namespace zc::Csv
