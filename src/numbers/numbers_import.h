// Checking a number list workbook before it replaces the table. The workbook arrives as
// plain cell texts, so this knows nothing of how it was read: cells[r][c] is sheet row r+1,
// sheet column c+1 (row 0 the headers, row i entry i; columns as the table's).
#pragma once

#include "numbers/number_entry.h"
#include "sheets/sheet.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zc {

class NumbersModel;

namespace NumbersImport {

struct Result
{
    enum class Verdict { Apply, WrongFormat, WrongRows };
    Verdict verdict = Verdict::Apply;
    // WrongFormat: the message dialog text; WrongRows: the message box text.
    QString message;
    // Apply: entries 1..1000, columns Number..Always filled.
    QList<NumberRow> rows;
    // WrongRows: the first wrong row, for the grid to show.
    int firstWrongRow = 0;
    // Apply: what the user should look at after the import (numbers a workbook kept as
    // number cells may have lost a leading 0 or "+"); empty when nothing.
    QString warning;
};

// The first cell must be exactly "Serial". Then every row with a number that is neither
// always allowed nor marked for deletion ("yes" exactly) needs dates of 10 characters and
// times of 5 whose digit positions hold digits (month, day, year; hour, minute), and every
// row must pass the row check (NumberCheck::rowRefusals): nothing the unit cannot hold gets
// in. Wrong rows give the message
// "Wrong information on the profile,please correct it and then import again,error:N",
// a carriage return, "Serial: " and the first wrong rows, then a line per wrong row with
// its reasons. Missing cells count as empty.
// sheet, when given, is the workbook the cells come from: a formula cell without a saved
// value refuses its row, and a number kept as a number cell gives the warning.
Result check(const QList<QStringList> &cells, const Sheet *sheet = nullptr);

// "Import .XLS" after the open dialog: reads the workbook at path, or the JSON form
// (NumbersJson) when the name ends in .json, and checks it. A file
// that cannot be read gives WrongFormat with the reader's message, which names the file.
Result fromFile(const QString &path);

// Writes an accepted workbook into the table in one step: Number..End Time as the sheet
// holds them, Always "yes" or "no"; Serial and Delete are not touched. Anything but an
// accepted result changes nothing.
void apply(const Result &result, NumbersModel &model);

// The date and time columns of one row that the workbook form above refuses, in column
// order; empty when the row passes (rows without a number, always allowed or marked for
// deletion always pass).
QList<int> rowFaults(const NumberRow &row);

// Every reason the row cannot be imported or pasted: the workbook form, then the row check.
QStringList rowReasons(const NumberRow &row);

} // namespace NumbersImport
} // namespace zc
