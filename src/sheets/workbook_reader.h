// Opens a workbook file and returns its active sheet as texts. The reader is chosen by the
// file's content, not its name: .xlsx and .ods (zip parts unpacked with zlib)
// or legacy .xls (libfreexl). Every cell comes back as the text a user sees: whole numbers
// without exponent or ".0", dates as yyyy/MM/dd, times as HH:mm. Nothing throws: every
// failure is one message that names the file.
#pragma once

#include "sheets/sheet.h"
#include "sheets/text_file.h"

#include <QString>

#include <functional>

namespace zc {

struct SheetReadResult
{
    Sheet sheet;
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};

class WorkbookReader
{
public:
    // A full number list is about 30 KB, its sheet about 1 MB unpacked.
    static constexpr qint64 MaxFileBytes = TextFile::kMaxFileBytes;
    static constexpr qint64 MaxUnpackedBytes = 16 << 20;

    static SheetReadResult read(const QString &path);
    // The same for a file whose bytes are already in memory; path names it in messages and
    // is the file the .xls helper program opens.
    static SheetReadResult readBytes(const QString &path, const QByteArray &bytes);
    // A text file that stands for a workbook (the JSON form of a table): its bytes, read as
    // TextFile::read reads them, go to parse, which fills the sheet or says why not. The
    // reason is worded as a workbook's.
    using TextParser = std::function<QString(const QByteArray &bytes, Sheet &sheet)>;
    static SheetReadResult readText(const QString &path, const TextParser &parse);

private:
    static SheetReadResult finish(const QString &path, const std::function<QString(Sheet &)> &readInto);
};

} // namespace zc
