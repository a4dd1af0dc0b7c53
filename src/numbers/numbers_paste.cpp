#include "numbers/numbers_paste.h"

#include "numbers/number_list_check.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_model.h"

#include <algorithm>

namespace zc::NumbersPaste {

namespace {

using CheckCell::kNo;
using CheckCell::kYes;

Plan refused(const QString &message)
{
    Plan p;
    p.message = QStringLiteral("Nothing was pasted: ") + message;
    return p;
}

// A pasted cell as the table keeps it: check cells "yes" or "no", dates and times in the
// pickers' forms when they are written in a form users type; anything else as it came, for
// the row check to judge.
QString pastedCell(int column, const QString &cell)
{
    if (column == NumberColumn::Always || column == NumberColumn::Delete) return cell == kYes ? kYes : kNo;
    if (NumberEntry::isDateColumn(column)) return NumberCheck::typedDate(cell).value_or(cell);
    if (NumberEntry::isTimeColumn(column)) return NumberCheck::typedTime(cell).value_or(cell);
    return cell;
}

// The line is a run of the grid's headers, as a spreadsheet copies them above its cells
// (any case, blanks around them ignored).
bool isHeaderLine(const NumbersModel &model, const QStringList &line)
{
    for (int first = NumberColumn::Serial; first + line.size() <= NumberColumn::Count; ++first) {
        bool same = true;
        for (qsizetype i = 0; same && i < line.size(); ++i)
            same =
                line[i].trimmed().compare(model.text(0, first + int(i)).trimmed(), Qt::CaseInsensitive) == 0;
        if (same) return true;
    }
    return false;
}

} // namespace

QList<QStringList> parse(const QString &text)
{
    QList<QStringList> cells;
    if (text.isEmpty()) return cells;
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty()) lines.removeLast();
    cells.reserve(lines.size());
    for (QString &line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        cells << line.split(u'\t');
    }
    return cells;
}

QString copyText(const NumbersModel &model, const QList<int> &rows, int firstColumn, int lastColumn)
{
    QString out;
    for (int r : rows) {
        for (int c = firstColumn; c <= lastColumn; ++c) {
            if (c > firstColumn) out += u'\t';
            out += model.text(r, c);
        }
        out += u'\n';
    }
    return out;
}

Plan plan(const NumbersModel &model, const QList<QStringList> &input, int row, int column)
{
    using namespace NumberColumn;
    QList<QStringList> cells = input;
    if (!cells.isEmpty() && isHeaderLine(model, cells.front())) cells.removeFirst();
    if (cells.isEmpty()) return refused(QStringLiteral("the clipboard holds no cells."));
    qsizetype width = 0;
    for (const QStringList &line : cells)
        width = std::max(width, line.size());

    Plan p;
    p.firstRow = std::max(row, int(NumbersModel::FirstEntry));
    const bool wholeRows = width == Count;
    // Whole rows skip their Serial cell; other blocks start at the current column.
    const int skip = wholeRows ? 1 : 0;
    p.firstColumn = wholeRows ? int(Number) : std::max(column, int(Number));
    p.lastColumn = p.firstColumn + int(width) - skip - 1;
    const int lastRow = p.firstRow + int(cells.size()) - 1;
    if (lastRow > NumbersModel::LastEntry)
        return refused(QStringLiteral("the %1 rows from row %2 on reach past row %3.")
                           .arg(cells.size())
                           .arg(p.firstRow)
                           .arg(NumbersModel::LastEntry));
    if (p.lastColumn > Delete)
        return refused(QStringLiteral("the %1 columns from \"%2\" on reach past \"%3\".")
                           .arg(width)
                           .arg(model.text(0, p.firstColumn).trimmed(), model.text(0, Delete)));

    NumberCheck::RowReasons wrong;
    p.rows.reserve(cells.size());
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const int r = p.firstRow + int(i);
        NumberRow result = model.row(r);
        QStringList reasons;
        for (int c = p.firstColumn; c <= p.lastColumn; ++c) {
            const QString cell = cells[i].value(c - p.firstColumn + skip);
            result[c] = pastedCell(c, cell);
            if (NumberEntry::isTimeColumn(c) && NumberCheck::hasSeconds(cell))
                reasons << QStringLiteral("%1 \"%2\": the unit keeps hours and minutes only, so the seconds "
                                          "must be 00")
                               .arg(NumberColumn::name(c), cell.trimmed());
        }
        if (reasons.isEmpty()) reasons = NumbersImport::rowReasons(result);
        if (!reasons.isEmpty()) wrong.append({r, reasons.join(QStringLiteral("; "))});
        p.rows << result;
    }
    if (!wrong.isEmpty()) {
        Plan r = refused(QStringLiteral("%1 %2 would be wrong.\n")
                             .arg(wrong.size())
                             .arg(wrong.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows")) +
                         NumberCheck::rowLines(wrong));
        r.refusedRow = wrong.first().first;
        return r;
    }
    p.ok = true;
    return p;
}

void apply(const Plan &plan, NumbersModel &model)
{
    if (!plan.ok) return;
    model.setRows(plan.firstRow, plan.rows, plan.firstColumn, plan.lastColumn);
}

} // namespace zc::NumbersPaste
