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

Sheet toSheet(const QList<HistoryModel::Record> &records, const QStringList &names)
{
    Sheet sheet;
    const bool named = !names.isEmpty();
    const int columns = HistoryModel::Columns + (named ? 1 : 0);
    sheet.setTextRange(int(records.size()) + 1, columns);
    for (int c = 0; c < HistoryModel::Columns; ++c) {
        sheet.setColumnWidth(c + 1, kWidths[c]);
        sheet.setText(1, c + 1, HistoryModel::header(c));
    }
    if (named) {
        sheet.setColumnWidth(columns, kWidths[HistoryModel::ExecutantColumn]);
        sheet.setText(1, columns, QStringLiteral("Name"));
    }
    for (qsizetype i = 0; i < records.size(); ++i) {
        const int row = int(i) + 2;
        sheet.setText(row, 1, QString::number(i + 1));
        for (int c = 0; c < HistoryModel::RecordColumns; ++c)
            sheet.setText(row, c + 2, records[i][std::size_t(c)]);
        if (named) sheet.setText(row, columns, names.value(i));
    }
    return sheet;
}

} // namespace zc::HistorySheet
