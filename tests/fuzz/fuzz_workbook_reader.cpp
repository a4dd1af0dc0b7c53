// Whole workbook files through the readers. .xlsx and .ods content goes through
// WorkbookReader as a file would (zip directory checks, bounded unpacking, the XML readers,
// the sheet limits); .xls content through the structure check the tool makes in its own
// process. The .xls library itself runs in the helper program and is not fuzzed here; its
// answer is, since every input is also parsed as the helper's output. Run with a memory
// limit: no input may make the readers allocate far beyond its size.
#include "sheets/sheet_filler.h"
#include "sheets/workbook_reader.h"
#include "sheets/xls_cells.h"
#include "sheets/xls_layout.h"
#include "sheets/xls_reader.h"

#include <cstdint>

using namespace zc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (XlsReader::recognises(bytes)) {
        XlsLayout::Layout layout;
        XlsLayout::inspect(bytes, &layout);
    } else {
        const SheetReadResult read = WorkbookReader::readBytes(QStringLiteral("fuzz.xlsx"), bytes);
        if (!read.ok() && read.error.isEmpty()) __builtin_trap();
    }
    Sheet sheet;
    SheetFiller out(sheet);
    XlsCells::Decoded answer;
    XlsCells::decode(bytes, out, &answer);
    if (sheet.cellCount() > SheetFiller::MaxCells) __builtin_trap();
    return 0;
}
