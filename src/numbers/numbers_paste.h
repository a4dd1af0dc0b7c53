// Copying list rows as tab-separated text and pasting such text back, as a spreadsheet
// program exchanges cells. A paste is planned and checked as a whole before anything is
// written: either every pasted row passes or the table stays as it was.
#pragma once

#include "numbers/number_entry.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zc {

class NumbersModel;

namespace NumbersPaste {

// Lines end at LF (a CR before it is dropped), cells at tabs; one last empty line is dropped.
QList<QStringList> parse(const QString &text);

// The rows as lines of tab-separated cells, columns first..last as the grid shows them
// (check cells as "yes" or "no"), each line ended by LF.
QString copyText(const NumbersModel &model, const QList<int> &rows, int firstColumn = NumberColumn::Serial,
                 int lastColumn = NumberColumn::Delete);

struct Plan
{
    bool ok = false;
    QString message;    // why nothing will be pasted, when ok is false
    int refusedRow = 0; // the first row the refusal names (0: none), for the grid to show
    int firstRow = 0;   // the rows and columns the paste writes
    int firstColumn = 0;
    int lastColumn = 0;
    QList<NumberRow> rows; // the written rows whole, as they will read after the paste
};

// Plans pasting cells at the current cell (row, column). A first line that repeats the
// grid's headers (all of them or a run of them, as copied above a spreadsheet's cells) is
// skipped. A block of eight columns is whole rows, Serial first: it replaces Number..Delete
// of the rows from `row` on and never writes Serial. Any other block lands with its first
// cell on the current cell. Check cells take "yes" for exactly "yes" and "no" otherwise;
// times with seconds (06:00:00) are taken when the seconds are 00 and refused otherwise.
// The resulting rows must pass the workbook import's row check and the save checks; a
// block that reaches past the last row or column, or any row that fails, refuses the
// whole paste with a message naming the rows and why.
Plan plan(const NumbersModel &model, const QList<QStringList> &cells, int row, int column);

// Writes a planned paste in one change (one undo step); a refused plan changes nothing.
void apply(const Plan &plan, NumbersModel &model);

} // namespace NumbersPaste
} // namespace zc
