#include "history/history_csv.h"

#include "history/history_model.h"
#include "link/device_text.h"
#include "sheets/csv_field.h"

namespace zc::HistoryCsv {

namespace {

constexpr int kTrailingEmptyFields = 2;

} // namespace

QByteArray fileBytes(const HistoryModel &model, const std::function<void(int row)> &lineWritten)
{
    QByteArray out;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row) {
        if (model.text(row, HistoryModel::NumberColumn).isEmpty()) continue;
        for (int column = 0; column < HistoryModel::Columns; ++column)
            out += Csv::field(DeviceText::toBytes(model.text(row, column))) + ',';
        out += QByteArray(kTrailingEmptyFields - 1, ',') + "\r\n";
        if (lineWritten) lineWritten(row);
    }
    return out;
}

} // namespace zc::HistoryCsv
