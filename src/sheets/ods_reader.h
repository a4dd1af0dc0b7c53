// Reads the active sheet of an OpenDocument spreadsheet (.ods) from its zip parts: texts,
// numbers, dates, times and truth values as the texts a user sees. Repeated rows and cells
// are expanded only where they hold something.
#pragma once

#include <QString>

namespace zc {

class SheetFiller;
class ZipParts;

namespace OdsReader {

// True when the archive declares itself an OpenDocument spreadsheet.
bool recognises(const ZipParts &zip);
// Fills the sheet; returns "" or why the document cannot be read.
QString read(const ZipParts &zip, SheetFiller &out);

} // namespace OdsReader
} // namespace zc
