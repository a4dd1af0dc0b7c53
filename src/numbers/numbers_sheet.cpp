#include "numbers/numbers_sheet.h"

#include "numbers/numbers_model.h"

#include <iterator>

namespace zc::NumbersSheet {

namespace {
constexpr int kWidths[] = {4, 20, 16, 16, 16, 16};
} // namespace

Sheet toSheet(const NumbersModel &model, const std::function<void(int row)> &rowWritten)
{
    Sheet sheet;
    // Every cell of the table's range is formatted as text, the empty ones too, so what a
    // user later types into the file (+44..., 0049...) stays text.
    sheet.setTextRange(NumbersModel::Rows, NumbersModel::Columns);
    for (int c = 0; c < int(std::size(kWidths)); ++c)
        sheet.setColumnWidth(c + 1, kWidths[c]);
    for (int r = 0; r < NumbersModel::Rows; ++r) {
        for (int c = 0; c < NumbersModel::Columns; ++c)
            sheet.setText(r + 1, c + 1, model.text(r, c));
        if (rowWritten) rowWritten(r);
    }
    return sheet;
}

QList<QStringList> cells(const Sheet &sheet)
{
    QList<QStringList> out;
    out.reserve(NumbersModel::Rows);
    for (int r = 0; r < NumbersModel::Rows; ++r) {
        QStringList row;
        row.reserve(NumbersModel::Columns);
        for (int c = 0; c < NumbersModel::Columns; ++c)
            row << sheet.text(r + 1, c + 1);
        out << row;
    }
    return out;
}

} // namespace zc::NumbersSheet
