#include "sheets/csv_field.h"

namespace zc::Csv {

QByteArray field(QByteArray bytes)
{
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
        return '"' + bytes.replace('"', "\"\"") + '"';
    return bytes;
}

} // namespace zc::Csv
