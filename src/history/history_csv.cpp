#include "history/history_csv.h"

#include "history/history_model.h"
#include "link/device_text.h"
#include "sheets/csv_field.h"

namespace zc::HistoryCsv {

namespace {

constexpr int kTrailingEmptyFields = 2;

} // namespace

QByteArray line(int row, const HistoryModel::Record &record, const QStringList &more)
{
    QByteArray out = Csv::field(DeviceText::toBytes(QString::number(row))) + ',';
    for (const QString &text : record)
        out += Csv::field(DeviceText::toBytes(text)) + ',';
    out += QByteArray(kTrailingEmptyFields - 1, ',');
    for (const QString &text : more)
        out += ',' + Csv::field(DeviceText::toBytes(text));
    return out + "\r\n";
}

QByteArray fileBytes(const HistoryModel &model, const std::function<void(int row)> &lineWritten)
{
    QByteArray out;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row) {
        if (model.text(row, HistoryModel::NumberColumn).isEmpty()) continue;
        out += line(row, model.record(row));
        if (lineWritten) lineWritten(row);
    }
    return out;
}

} // namespace zc::HistoryCsv
