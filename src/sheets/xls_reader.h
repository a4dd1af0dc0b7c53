// Reads the active sheet of a legacy Excel workbook (.xls, BIFF in a compound document):
// texts, numbers, dates and times as the texts a user sees. The .xls library (libfreexl)
// runs in a small helper program, zarvento-xls-read (beside the tool in the build tree,
// in libexec/zarvento when installed), because a
// damaged file can break it; the helper runs under a memory limit and a time-out. The tool
// itself reads the file's structure first, to pick the sheet that was shown when the
// workbook was saved and to check that the helper returned every cell the sheet holds.
#pragma once

#include <QByteArray>
#include <QString>

namespace zc {

class SheetFiller;

namespace XlsReader {

// The helper program's file name; it is looked for in the running program's folder, then
// in the install's helper folder.
inline constexpr char kHelperName[] = "zarvento-xls-read";
// What the helper may use: at most this much memory, and this long.
inline constexpr qint64 kHelperMemoryBytes = 256 << 20;
inline constexpr int kHelperSeconds = 20;

// Compound documents start with D0 CF 11 E0 A1 B1 1A E1.
bool recognises(const QByteArray &head);
// Fills the sheet from the file at path, whose bytes are given; returns "" or why it cannot
// be read. Nothing is added to out unless the whole sheet was read.
QString read(const QString &path, const QByteArray &bytes, SheetFiller &out);

} // namespace XlsReader
} // namespace zc
