// Reads the active sheet of an .xlsx workbook (Office Open XML) from its zip parts: shared
// and inline texts, numbers, truth values, cached formula results, and numbers whose
// format shows a date or time, as the texts a user sees.
#pragma once

#include <QString>

namespace zc {

class SheetFiller;
class ZipParts;

namespace XlsxReader {

// True when the archive holds a spreadsheet workbook.
bool recognises(const ZipParts &zip);
// Fills the sheet; returns "" or why the workbook cannot be read.
QString read(const ZipParts &zip, SheetFiller &out);

} // namespace XlsxReader
} // namespace zc
