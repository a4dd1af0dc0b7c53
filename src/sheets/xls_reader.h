// Reads the first sheet of a legacy Excel workbook (.xls, BIFF in a compound document)
// with libfreexl: texts, numbers, dates and times as the texts a user sees. The library
// runs in a short-lived helper process, because a damaged file can break it.
#pragma once

#include <QString>

namespace zc {

class SheetFiller;

namespace XlsReader {

// Compound documents start with D0 CF 11 E0 A1 B1 1A E1.
bool recognises(const QByteArray &head);
// Fills the sheet from the file at path; returns "" or why it cannot be read.
QString read(const QString &path, SheetFiller &out);

} // namespace XlsReader
} // namespace zc
