#include "sheets/workbook_reader.h"

#include "sheets/ods_reader.h"
#include "sheets/sheet_filler.h"
#include "sheets/xls_reader.h"
#include "sheets/xlsx_reader.h"
#include "sheets/zip_parts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zc {

namespace {

QString readContent(const QString &path, const QByteArray &bytes, Sheet &sheet);

QString readSheet(const QString &path, Sheet &sheet)
{
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("the file does not exist");
    if (info.isDir()) return QStringLiteral("it is a folder");
    if (info.size() == 0) return QStringLiteral("the file is empty");
    if (info.size() > WorkbookReader::MaxFileBytes)
        return QStringLiteral("the file is larger than %1 MB, far more than a workbook of this tool")
            .arg(WorkbookReader::MaxFileBytes >> 20);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    // Read one byte past the limit, in case the file grew since it was measured.
    const QByteArray bytes = file.read(WorkbookReader::MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) return file.errorString();
    return readContent(path, bytes, sheet);
}

QString readContent(const QString &path, const QByteArray &bytes, Sheet &sheet)
{
    if (bytes.isEmpty()) return QStringLiteral("the file is empty");
    if (bytes.size() > WorkbookReader::MaxFileBytes)
        return QStringLiteral("the file is larger than %1 MB").arg(WorkbookReader::MaxFileBytes >> 20);

    SheetFiller out(sheet);
    const QString notSheet = QStringLiteral("it is not an .xlsx, .ods or .xls spreadsheet");
    if (XlsReader::recognises(bytes)) return XlsReader::read(path, bytes, out);
    if (!bytes.startsWith("PK\x03\x04")) return notSheet;

    const qint64 unpacked = ZipParts::declaredUnpackedSize(bytes);
    if (unpacked < 0) return QStringLiteral("the file is damaged (the zip archive is incomplete or broken)");
    if (unpacked > WorkbookReader::MaxUnpackedBytes)
        return QStringLiteral("its contents would unpack to more than %1 MB")
            .arg(WorkbookReader::MaxUnpackedBytes >> 20);
    ZipParts zip;
    if (const QString why = zip.open(bytes); !why.isEmpty())
        return QStringLiteral("the file is damaged (%1)").arg(why);
    QString why;
    if (OdsReader::recognises(zip))
        why = OdsReader::read(zip, out);
    else if (XlsxReader::recognises(zip))
        why = XlsxReader::read(zip, out);
    else
        return notSheet;
    // Limits passed are said as they are; anything else means the file is broken.
    if (why.isEmpty() || why == out.error()) return why;
    return QStringLiteral("the file is damaged (%1)").arg(why);
}

} // namespace

SheetReadResult WorkbookReader::read(const QString &path)
{
    return finish(path, [&](Sheet &sheet) { return readSheet(path, sheet); });
}

SheetReadResult WorkbookReader::readBytes(const QString &path, const QByteArray &bytes)
{
    return finish(path, [&](Sheet &sheet) { return readContent(path, bytes, sheet); });
}

SheetReadResult WorkbookReader::readText(const QString &path, const TextParser &parse)
{
    return finish(path, [&](Sheet &sheet) {
        QByteArray bytes;
        const QString why = TextFile::read(path, bytes);
        return why.isEmpty() ? parse(bytes, sheet) : why;
    });
}

SheetReadResult WorkbookReader::finish(const QString &path, const std::function<QString(Sheet &)> &readInto)
{
    SheetReadResult result;
    QString why;
    try {
        why = readInto(result.sheet);
    } catch (const std::exception &e) {
        why = QString::fromUtf8(e.what());
        if (why.isEmpty()) why = QStringLiteral("the file cannot be read");
    } catch (...) {
        why = QStringLiteral("the file cannot be read");
    }
    if (!why.isEmpty()) {
        result.sheet = Sheet();
        result.error = QStringLiteral("Cannot read \"%1\": %2.").arg(QDir::toNativeSeparators(path), why);
    }
    return result;
}

} // namespace zc
