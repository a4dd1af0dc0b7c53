// Opens a workbook file and returns its active sheet as texts. The reader is chosen by the
// file's content, not its name: .xlsx and .ods (zip parts unpacked with zlib)
// or legacy .xls (libfreexl). Every cell comes back as the text a user sees: whole numbers
// without exponent or ".0", dates as yyyy/MM/dd, times as HH:mm. Nothing throws: every
// failure is one message that names the file.
#pragma once

#include "sheets/sheet.h"

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
    // Far above any workbook this tool writes (a full number list is about 30 KB, its sheet
    // about 1 MB unpacked), and low enough that reading the largest accepted file stays
    // within a few hundred MB of memory.
    static constexpr qint64 MaxFileBytes = 10 << 20;
    static constexpr qint64 MaxUnpackedBytes = 16 << 20;

    static SheetReadResult read(const QString &path);
    // The same for a file whose bytes are already in memory; path names it in messages and
    // is the file the .xls helper program opens.
    static SheetReadResult readBytes(const QString &path, const QByteArray &bytes);

private:
    static SheetReadResult finish(const QString &path, const std::function<QString(Sheet &)> &readInto);
};

} // namespace zc
