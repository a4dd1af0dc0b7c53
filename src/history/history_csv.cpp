#include "history/history_csv.h"

#include "history/history_model.h"
#include "link/device_text.h"
#include "sheets/csv_field.h"

#include <algorithm>

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

QList<HistoryModel::Record> records(const QByteArray &bytes, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error) *error = why;
        return QList<HistoryModel::Record>{};
    };
    QString why;
    const QList<QList<QByteArray>> lines = Csv::lines(bytes, HistoryModel::LastRecordRow + 1, &why);
    if (!why.isEmpty()) return fail(why);
    QList<HistoryModel::Record> out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> &fields = lines[i];
        if (fields.size() == 1 && fields[0].isEmpty()) continue;
        bool numbered = false;
        fields.value(0).toInt(&numbered);
        const bool trailingEmpty = std::all_of(fields.begin() + qMin(fields.size(), HistoryModel::Columns),
                                               fields.end(), [](const QByteArray &f) { return f.isEmpty(); });
        if (!numbered || fields.size() < HistoryModel::Columns ||
            fields.size() > HistoryModel::Columns + kTrailingEmptyFields || !trailingEmpty)
            return fail(
                QStringLiteral("line %1 is no history line (a row number and seven texts)").arg(i + 1));
        HistoryModel::Record r;
        for (int c = 1; c < HistoryModel::Columns; ++c)
            r[std::size_t(c - 1)] = DeviceText::fromBytes(fields[c]);
        out << r;
    }
    if (out.size() > HistoryModel::LastRecordRow)
        return fail(QStringLiteral("the file holds more than %1 records").arg(HistoryModel::LastRecordRow));
    return out;
}

} // namespace zc::HistoryCsv
