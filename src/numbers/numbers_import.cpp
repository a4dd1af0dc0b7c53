#include "numbers/numbers_import.h"

#include "numbers/number_list_check.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
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
    return NumbersCodec::readDate(text).has_value();
}

// Five characters whose first two and last two are digits; the separator is not looked at,
// and the encoder reads hour and minute from the same places.
bool timeFits(const QString &text)
{
    return text.size() == 5 && NumbersCodec::readTime(text).has_value();
}

} // namespace

Result check(const QList<QStringList> &cells)
{
    using namespace NumberColumn;
    Result result;
    if (cell(cells, 0, Serial) != QStringLiteral("Serial")) {
        result.verdict = Result::Verdict::WrongFormat;
        result.message = QStringLiteral("Wrong format of the setting profile");
        return result;
    }
    QStringList wrong;
    for (int i = 1; i <= NumberEntry::kEntries; ++i) {
        NumberRow row;
        for (int c = Number; c <= EndTime; ++c)
            row[c] = cell(cells, i, c);
        row[Always] = cell(cells, i, Always) == kYes ? kYes : kNo;
        result.rows << row;
        if (row[Number].isEmpty() || row[Always] == kYes || cell(cells, i, Delete) == kYes) continue;
        if (!dateFits(row[StartDate]) || !timeFits(row[StartTime]) || !dateFits(row[EndDate]) ||
            !timeFits(row[EndTime]))
            wrong << QString::number(i);
    }
    if (!wrong.isEmpty()) {
        result.verdict = Result::Verdict::WrongRows;
        result.rows.clear();
        result.message = QStringLiteral("Wrong information on the profile,please correct it and then import "
                                        "again,error:%1\rSerial: %2")
                             .arg(QString::number(wrong.size()), joinFirstThree(wrong));
    }
    return result;
}

Result fromFile(const QString &path)
{
    const SheetReadResult read = WorkbookReader::read(path);
    if (!read.ok()) {
        Result result;
        result.verdict = Result::Verdict::WrongFormat;
        result.message = read.error;
        return result;
    }
    return check(NumbersSheet::cells(read.sheet));
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

} // namespace zc::NumbersImport
