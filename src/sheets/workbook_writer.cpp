#include "sheets/workbook_writer.h"

#include "sheets/export_folder.h"
#include "sheets/zip_parts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zc {

namespace {

// Excel's built-in number format 49, "@": the cell keeps what is written as text.
constexpr int kTextFormat = 49;

QString failure(const QString &path, const QString &why)
{
    return QStringLiteral("Cannot save \"%1\": %2.").arg(QDir::toNativeSeparators(path), why);
}

QString folderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists()) return QStringLiteral("the folder \"%1\" does not exist").arg(folder);
    if (!info.isDir()) return QStringLiteral("\"%1\" is not a folder").arg(folder);
    return QStringLiteral("the folder \"%1\" cannot be written to").arg(folder);
}

// Workbook texts carry characters XML cannot hold as _xHHHH_; a text that itself contains
// such a sequence gets its "_" written as _x005F_ so it reads back unchanged.
QByteArray cellBytes(const QString &text)
{
    static const QRegularExpression escape(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x"))) return text.toUtf8();
    return QString(text).replace(escape, QStringLiteral("_x005F_\\1")).toUtf8();
}

// libxlsxwriter prints "[ERROR] ..." lines of its own to the C library's stderr stream when
// a file cannot be written, where the tool's own message already says why. While the
// library runs, that stream points at /dev/null: the C library lets a program set stderr,
// and file descriptor 2, which everything else writes to, stays as it is.
class QuietLibrary
{
public:
    QuietLibrary() : m_saved(stderr), m_null(std::fopen("/dev/null", "w"))
    {
        if (m_null) stderr = m_null;
    }
    ~QuietLibrary()
    {
        if (!m_null) return;
        stderr = m_saved;
        std::fclose(m_null);
    }
    QuietLibrary(const QuietLibrary &) = delete;
    QuietLibrary &operator=(const QuietLibrary &) = delete;

private:
    std::FILE *m_saved;
    std::FILE *m_null;
};

// Writes the workbook to tmpPath; returns "" or why it failed.
QString writeXlsx(const Sheet &sheet, const QString &tmpPath)
{
    const QuietLibrary quiet;
    const QByteArray name = QFile::encodeName(tmpPath);
    lxw_workbook *wb = workbook_new(name.constData());
    if (!wb) return QStringLiteral("the workbook could not be created");
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *text = workbook_add_format(wb);
    format_set_num_format_index(text, kTextFormat);

    lxw_error err = ws ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (auto it = sheet.columnWidths().cbegin(); err == LXW_NO_ERROR && it != sheet.columnWidths().cend();
         ++it)
        if (it.key() <= LXW_COL_MAX)
            err = worksheet_set_column(ws, lxw_col_t(it.key() - 1), lxw_col_t(it.key() - 1), it.value(),
                                       nullptr);
    // The empty cells of the text range get the text format alone.
    const int rangeRows = qMin<int>(sheet.textRangeRows(), LXW_ROW_MAX);
    const int rangeColumns = qMin<int>(sheet.textRangeColumns(), LXW_COL_MAX);
    for (int r = 1; r <= rangeRows && err == LXW_NO_ERROR; ++r)
        for (int c = 1; c <= rangeColumns && err == LXW_NO_ERROR; ++c)
            if (sheet.text(r, c).isEmpty())
                err = worksheet_write_blank(ws, lxw_row_t(r - 1), lxw_col_t(c - 1), text);
    for (const auto &[pos, cell] : sheet.cells()) {
        if (err != LXW_NO_ERROR) break;
        if (pos.first > LXW_ROW_MAX || pos.second > LXW_COL_MAX) {
            err = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            break;
        }
        err = worksheet_write_string(ws, lxw_row_t(pos.first - 1), lxw_col_t(pos.second - 1),
                                     cellBytes(cell).constData(), text);
    }
    // workbook_close writes the file and frees the workbook even after an error above.
    errno = 0;
    const lxw_error closed = workbook_close(wb);
    if (err == LXW_NO_ERROR) err = closed;
    if (err == LXW_NO_ERROR) return {};
    // A file that cannot be written (disk full, no permission) leaves the system's reason in errno.
    if (closed != LXW_NO_ERROR && errno != 0) return ExportFolder::writeReason(errno);
    QString why = QString::fromUtf8(lxw_strerror(err)).trimmed();
    while (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    return why;
}

} // namespace

QString WorkbookWriter::xlsxPath(const QString &chosenPath)
{
    const QString suffix = QFileInfo(chosenPath).suffix();
    if (suffix.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0) return chosenPath;
    if (suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0) return chosenPath + QLatin1Char('x');
    return chosenPath + QLatin1String(".xlsx");
}

SheetSaveResult WorkbookWriter::save(const Sheet &sheet, const QString &chosenPath)
{
    SheetSaveResult result;
    result.path = xlsxPath(chosenPath);
    const QFileInfo target(result.path);
    const QString folder = target.absolutePath();

    // libxlsxwriter writes to a file of its own naming: a scratch file beside the target,
    // read back whole, checked, and then written in place the one way every export is.
    QTemporaryFile tmp(
        QDir(folder).filePath(QLatin1Char('.') + target.fileName() + QLatin1String(".XXXXXX")));
    if (!tmp.open()) {
        result.error = failure(result.path, folderProblem(folder));
        return result;
    }
    tmp.close();

    QString why = writeXlsx(sheet, tmp.fileName());
    QByteArray bytes;
    if (why.isEmpty()) {
        QFile written(tmp.fileName());
        if (written.open(QIODevice::ReadOnly)) bytes = written.readAll();
        // A zip whose directory cannot be read was cut short on its way to the disk.
        if (bytes.isEmpty() || ZipParts::declaredUnpackedSize(bytes) < 0)
            why = QStringLiteral("the file could not be written completely (is the disk full?)");
    }
    tmp.remove();
    if (!why.isEmpty()) {
        result.error = failure(result.path, why);
        return result;
    }
    result.error = ExportFolder::writeFile(result.path, bytes);
    return result;
}

} // namespace zc
