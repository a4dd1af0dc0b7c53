// zarvento-xls-read FILE SHEET: reads sheet number SHEET (from 0) of a legacy .xls file with
// libfreexl and writes its cells to standard output in the form of sheets/xls_cells.h. The
// tool starts it for every .xls import, so that a file that breaks the library ends this
// process and not the tool; it limits its own memory before touching the file.
#include "sheets/cell_text.h"
#include "sheets/sheet_filler.h"
#include "sheets/xls_cells.h"
#include "sheets/xls_reader.h"

#include <freexl.h>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ZC_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZC_ADDRESS_SANITIZER 1
#endif
#endif

using namespace zc;

namespace {

QString reason(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("there is not enough memory to read it");
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        // Seen with very small .xls files whose streams sit in the mini stream.
        return QStringLiteral("the .xls reader cannot follow this file's short-stream storage; open it in a "
                              "spreadsheet program and save it as .xlsx");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("it holds no Excel workbook");
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        return QStringLiteral("its texts are in a character set that cannot be read");
    default:
        return QStringLiteral("the .xls file is damaged (reader error %1)").arg(code);
    }
}

// Numbers, dates and times are stored as numbers in the file; texts and truth values are not.
CellKind cellKind(const FreeXL_CellValue &v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return CellKind::Number;
    default:
        return CellKind::Text;
    }
}

QString cellText(const FreeXL_CellValue &v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return CellText::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return CellText::number(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(v.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
        return CellText::fromIsoDate(QString::fromLatin1(v.value.text_value));
    case FREEXL_CELL_TIME:
        return CellText::fromIsoTime(QString::fromLatin1(v.value.text_value));
    default:
        return {};
    }
}

// Reads sheet `index`; counts every cell the library holds a value for, empty texts included,
// so the tool can compare the count with the sheet's own records.
QString readSheet(const char *path, unsigned short index, Sheet &sheet, qint64 &valueCells)
{
    SheetFiller out(sheet);
    const void *handle = nullptr;
    int rc = freexl_open(path, &handle);
    QString error;
    unsigned int sheets = 0, password = 0, rows = 0;
    unsigned short columns = 0;
    if (rc == FREEXL_OK) rc = freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password);
    if (rc == FREEXL_OK) rc = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    if (rc == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        error = QStringLiteral("it is protected with a password");
    else if (rc == FREEXL_OK && index >= sheets)
        error = QStringLiteral("the .xls file is damaged (its sheet %1 cannot be found)").arg(index + 1);
    if (rc == FREEXL_OK && error.isEmpty()) rc = freexl_select_active_worksheet(handle, index);
    if (rc == FREEXL_OK && error.isEmpty()) rc = freexl_worksheet_dimensions(handle, &rows, &columns);
    // The dimensions are counts: cells are 0 .. rows-1, 0 .. columns-1.
    for (unsigned int r = 0; rc == FREEXL_OK && error.isEmpty() && r < rows; ++r)
        for (unsigned short c = 0; rc == FREEXL_OK && c < columns; ++c) {
            FreeXL_CellValue value;
            rc = freexl_get_cell_value(handle, r, c, &value);
            if (rc != FREEXL_OK || value.type == FREEXL_CELL_NULL) continue;
            ++valueCells;
            if (!out.add(qint64(r) + 1, qint64(c) + 1, cellText(value), cellKind(value))) {
                error = out.error();
                break;
            }
        }
    if (error.isEmpty() && rc != FREEXL_OK) error = reason(rc);
    // The handle must be released even after a failed open.
    freexl_close(handle);
    return error;
}

} // namespace

int main(int argc, char **argv)
{
#ifndef ZC_ADDRESS_SANITIZER
    // An address-space limit, so a file that makes the library allocate without end fails
    // here instead of exhausting the machine. (The address sanitizer reserves terabytes of
    // address space up front and cannot run under it.)
    const rlimit limit{rlim_t(XlsReader::kHelperMemoryBytes), rlim_t(XlsReader::kHelperMemoryBytes)};
    setrlimit(RLIMIT_AS, &limit);
#endif
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE SHEET\n", argv[0]);
        return 2;
    }
    const int index = std::atoi(argv[2]);
    Sheet sheet;
    qint64 valueCells = 0;
    const QString error = index >= 0 && index < 0x10000
                              ? readSheet(argv[1], (unsigned short)(index), sheet, valueCells)
                              : QStringLiteral("no such sheet");
    const QByteArray bytes = XlsCells::encode(error, valueCells, error.isEmpty() ? sheet : Sheet());
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n <= 0) return 1;
        done += n;
    }
    return 0;
}
