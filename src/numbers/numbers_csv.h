// The number list as comma-separated text: one line per entry row, ended by CR LF.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace zc {

class NumbersModel;

namespace NumbersCsv {

// Lines for rows 1..1000: the eight cells followed by two empty fields, joined by ","
// (12,5550987,2024/05/06,08:00,2024/06/30,18:30,no,no,,), then one line of ten empty fields
// (nine commas); every line ends in CR LF. Cells are written as the bytes the unit holds. A
// cell holding a comma, a double quote, CR or LF is put in double quotes with its quotes
// doubled, so the file always has ten fields a line; other cells are written as they are.
// progress receives the line just built, 1..1001.
QByteArray exportBytes(const NumbersModel &model, const std::function<void(int line)> &progress = {});

// Reads a list file back: line i holds entry row i, its first eight fields the row's cells
// (quoted fields unquoted, bytes read as the unit's texts). Lines may end in CR LF, LF or CR.
// The file must be the list file whole: 1000 lines each starting with its own serial and
// holding 8 to 10 fields (the last two empty), then the closing line of empty fields. The
// result is laid out as NumbersImport::check takes a workbook: row 0 holds "Serial" in its
// first cell, rows 1..1000 the lines. Anything else (a missing, extra or misnumbered line, a
// quote left open) gives an empty list and, in error, the reason naming the first such line:
// a short file is never read as a list whose missing rows are empty.
QList<QStringList> cells(const QByteArray &bytes, QString *error = nullptr);

} // namespace NumbersCsv
} // namespace zc
