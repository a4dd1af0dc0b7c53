#include "numbers/numbers_import.h"

#include "numbers/number_cells.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
#include "sheets/cell_text.h"
#include "sheets/json_envelope.h"
#include "sheets/workbook_reader.h"

#include <algorithm>

namespace zc::NumbersImport {

namespace {

using CheckCell::kNo;
using CheckCell::kYes;

QString cell(const QList<QStringList> &cells, int row, int column)
{
    return row < cells.size() ? cells[row].value(column) : QString();
}

bool dateFits(const QString &text)
{
    return NumberCells::readDate(text).has_value();
}

// Five characters whose first two and last two are digits; the separator is not looked at,
// and the encoder reads hour and minute from the same places.
bool timeFits(const QString &text)
{
    return text.size() == 5 && NumberCells::readTime(text).has_value();
}

} // namespace

Result check(const QList<QStringList> &cells, const Sheet *sheet)
{
    using namespace NumberColumn;
    Result result;
    if (cell(cells, 0, Serial) != QStringLiteral("Serial")) {
        result.verdict = Result::Verdict::WrongFormat;
        result.message = QStringLiteral("Wrong format of the setting profile");
        return result;
    }
    if (sheet) {
        // The list holds 1000 entries, on sheet rows 2 to 1001: a row after them is refused
        // rather than left out without a word.
        const int lastRow = NumberEntry::kEntries + 1;
        int past = 0;
        for (const auto &[pos, text] : sheet->cells())
            if (pos.first > lastRow && pos.second <= NumberColumn::Count) {
                past = pos.first;
                break;
            }
        for (const auto &[pos, kind] : sheet->kinds())
            if (pos.first > lastRow && pos.second <= NumberColumn::Count && (past == 0 || pos.first < past)) {
                past = pos.first;
                break;
            }
        if (past > 0) {
            result.verdict = Result::Verdict::WrongFormat;
            result.message =
                QStringLiteral("The workbook holds more than %1 entries: sheet row %2 (entry %3) is "
                               "past the list's last row %4. Move or delete the rows after it.")
                    .arg(NumberEntry::kEntries)
                    .arg(past)
                    .arg(past - 1)
                    .arg(lastRow);
            return result;
        }
    }
    QStringList wrong, numberCells;
    NumberCheck::RowReasons reasons;
    for (int i = 1; i <= NumberEntry::kEntries; ++i) {
        NumberRow row;
        for (int c = Number; c <= EndTime; ++c)
            row[c] = cell(cells, i, c);
        row[Always] = cell(cells, i, Always) == kYes ? kYes : kNo;
        row[Delete] = cell(cells, i, Delete) == kYes ? kYes : kNo;
        result.rows << row;
        QStringList why;
        if (sheet) {
            // Sheet row i + 1 holds entry i, sheet column c + 1 table column c.
            for (int c = Number; c <= Delete; ++c) {
                const CellKind kind = sheet->kind(i + 1, c + 1);
                if (kind == CellKind::Formula)
                    why << QStringLiteral("%1 holds a formula with no saved value")
                               .arg(NumberColumn::name(c));
                if (kind != CellKind::Number) continue;
                if (const QString lost = CellText::precisionLost(sheet->text(i + 1, c + 1)); !lost.isEmpty())
                    why << NumberColumn::name(c) + QStringLiteral(": ") + lost;
            }
            if (!row[Number].isEmpty() && sheet->kind(i + 1, Number + 1) == CellKind::Number)
                numberCells << QString::number(i);
        }
        why << rowReasons(row);
        if (why.isEmpty()) continue;
        wrong << QString::number(i);
        reasons.append({i, why.join(QStringLiteral("; "))});
    }
    if (!wrong.isEmpty()) {
        result.verdict = Result::Verdict::WrongRows;
        result.rows.clear();
        result.firstWrongRow = reasons.first().first;
        result.message = QStringLiteral("Wrong information on the profile,please correct it and then import "
                                        "again,error:%1\rSerial: %2")
                             .arg(QString::number(wrong.size()), joinFirstThree(wrong)) +
                         u'\n' + NumberCheck::rowLines(reasons);
    } else if (!numberCells.isEmpty()) {
        result.warning =
            QStringLiteral("The workbook keeps the number of %1 %2 as a number, not as text: a leading 0 "
                           "or \"+\" may have been lost. Check %3 before saving.")
                .arg(numberCells.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
                .arg(joinFirstThree(numberCells))
                .arg(numberCells.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    }
    return result;
}

Result fromFile(const QString &path)
{
    const SheetReadResult read = JsonEnvelope::isJsonFile(path)
                                     ? WorkbookReader::readText(path, NumbersJson::toSheet)
                                     : WorkbookReader::read(path);
    if (!read.ok()) {
        Result result;
        result.verdict = Result::Verdict::WrongFormat;
        result.message = read.error;
        return result;
    }
    return check(NumbersSheet::cells(read.sheet), &read.sheet);
}

void apply(const Result &result, NumbersModel &model)
{
    if (result.verdict != Result::Verdict::Apply) return;
    model.setRows(NumbersModel::FirstEntry, result.rows, NumberColumn::Number, NumberColumn::Always);
}

QList<int> rowFaults(const NumberRow &row)
{
    using namespace NumberColumn;
    QList<int> faults;
    if (row[Number].isEmpty() || row[Always] == kYes || row[Delete] == kYes) return faults;
    for (int c = StartDate; c <= EndTime; ++c)
        if (!(NumberEntry::isDateColumn(c) ? dateFits(row[c]) : timeFits(row[c]))) faults << c;
    return faults;
}

QStringList rowReasons(const NumberRow &row)
{
    QStringList reasons;
    // The workbook form first: a row with a number needs its whole window, written in full.
    for (int c : rowFaults(row)) {
        if (row[c].isEmpty())
            reasons << QStringLiteral("%1 is empty: tick Always or give the whole window")
                           .arg(NumberColumn::name(c));
        else if (NumberCheck::cellRefusal(c, row[c]).isEmpty())
            reasons << QStringLiteral("%1 \"%2\": not written like %3")
                           .arg(NumberColumn::name(c), row[c],
                                NumberEntry::isDateColumn(c) ? QStringLiteral("2024/05/06")
                                                             : QStringLiteral("07:30"));
    }
    return reasons + NumberCheck::rowRefusals(row);
}

} // namespace zc::NumbersImport
