// What the .xls helper program sends back on its standard output: a length-prefixed list
// of the sheet's cells. The tool parses it as untrusted input, since a damaged file may
// have upset the library in the helper.
//
//   "ZXC2", u32 message length, message (UTF-8; empty when the sheet was read),
//   u32 value cells the library reported, u32 cell count,
//   per cell: u32 row, u32 column (from 1), u8 kind (0 text, 1 number, 2 formula without
//   value), u32 text length, text (UTF-8).
// Numbers are little-endian.
#pragma once

#include "sheets/sheet.h"

#include <QByteArray>
#include <QString>

namespace zc {

class SheetFiller;

namespace XlsCells {

QByteArray encode(const QString &message, qint64 valueCells, const Sheet &sheet);

struct Decoded
{
    QString message; // the helper's reason when it could not read the sheet
    qint64 valueCells = 0;
};

// Fills out from the helper's output; returns "" or why the output is not a valid answer
// (or the sheet passes the filler's limits).
QString decode(const QByteArray &bytes, SheetFiller &out, Decoded *decoded);

} // namespace XlsCells
} // namespace zc
