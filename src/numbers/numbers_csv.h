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

// Reads a list file back: a line holds the row its first field names (1 to 1000), its
// first eight fields the row's cells (quoted fields unquoted); rows no line gives are empty,
// so the window's own file, a spreadsheet program's CSV of the list workbook (a first line
// starting with "Serial", then rows) and a file of a few rows all read. Lines may end in
// CR LF, LF or CR; lines of empty fields (the closing line) are skipped; a UTF-8
// byte-order mark is skipped and anything but UTF-8 text refused. A row holds at most ten
// fields, the last two empty. The result is laid out as NumbersImport::check takes a
// workbook: row 0 holds "Serial" in its first cell, rows 1..1000 the rows. Anything else (a
// line without its row number, a row past 1000 or given twice, a quote left open) gives an
// empty list and, in error, the reason naming the first such line.
QList<QStringList> cells(const QByteArray &bytes, QString *error = nullptr);

} // namespace NumbersCsv
} // namespace zc
