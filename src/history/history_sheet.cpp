#include "history/history_sheet.h"

#include "history/history_model.h"

namespace zc::HistorySheet {

namespace {
constexpr int kWidths[HistoryModel::Columns] = {5, 16, 13, 13, 16, 16, 22, 22};
} // namespace

Sheet toSheet(const HistoryModel &model, const std::function<void(int row)> &rowWritten)
{
    Sheet sheet;
    // Every cell of the table's range is formatted as text, the empty ones too, so what a
    // user later types into the file (+44..., 0049...) stays text.
    sheet.setTextRange(HistoryModel::Rows, HistoryModel::Columns);
    for (int c = 0; c < HistoryModel::Columns; ++c)
        sheet.setColumnWidth(c + 1, kWidths[c]);
    for (int r = 0; r < HistoryModel::Rows; ++r) {
        for (int c = 0; c < HistoryModel::Columns; ++c)
            sheet.setText(r + 1, c + 1, model.text(r, c));
        if (rowWritten) rowWritten(r);
    }
    return sheet;
}

} // namespace zc::HistorySheet
