#include "numbers/numbers_json.h"

#include "numbers/number_entry.h"
#include "numbers/numbers_model.h"
#include "sheets/json_envelope.h"
#include "sheets/sheet.h"

#include <QJsonArray>

namespace zc::NumbersJson {

namespace {

const QString kKind = QStringLiteral("numbers");

QString readCells(const QByteArray &bytes, QList<QStringList> &cells)
{
    using namespace NumberColumn;
    QJsonObject top;
    if (const QString why = JsonEnvelope::parse(bytes, kKind, top); !why.isEmpty()) return why;
    cells = QList<QStringList>(NumbersModel::Rows, QStringList());
    cells[0] = QStringList{QStringLiteral("Serial")};
    return JsonEnvelope::eachNumbered(
        top, QStringLiteral("rows"), QStringLiteral("row"), NumbersModel::FirstEntry, NumbersModel::LastEntry,
        [&cells](const QJsonObject &o, int row) {
            QStringList c(Count);
            c[Serial] = QString::number(row);
            if (!JsonEnvelope::text(o, "number", c[Number]) ||
                !JsonEnvelope::text(o, "start_date", c[StartDate]) ||
                !JsonEnvelope::text(o, "start_time", c[StartTime]) ||
                !JsonEnvelope::text(o, "end_date", c[EndDate]) ||
                !JsonEnvelope::text(o, "end_time", c[EndTime]))
                return QStringLiteral("row %1: number, dates and times must be texts").arg(row);
            const QJsonValue always = o.value(QLatin1String("always"));
            if (!always.isUndefined() && !always.isBool())
                return QStringLiteral("row %1: \"always\" must be true or false").arg(row);
            c[Always] = always.toBool() ? CheckCell::kYes : CheckCell::kNo;
            c[Delete] = CheckCell::kNo;
            cells[row] = c;
            return QString();
        });
}

} // namespace

QByteArray bytes(const NumbersModel &model)
{
    using namespace NumberColumn;
    QJsonArray rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const NumberRow row = model.row(r);
        if (row[Number].isEmpty()) continue;
        rows.append(QJsonObject{{QStringLiteral("row"), r},
                                {QStringLiteral("number"), row[Number]},
                                {QStringLiteral("start_date"), row[StartDate]},
                                {QStringLiteral("start_time"), row[StartTime]},
                                {QStringLiteral("end_date"), row[EndDate]},
                                {QStringLiteral("end_time"), row[EndTime]},
                                {QStringLiteral("always"), row[Always] == CheckCell::kYes}});
    }
    QJsonObject top = JsonEnvelope::document(kKind);
    top.insert(QStringLiteral("rows"), rows);
    return JsonEnvelope::bytes(top);
}

QList<QStringList> cells(const QByteArray &bytes, QString *error)
{
    QList<QStringList> out;
    const QString why = readCells(bytes, out);
    if (error) *error = why;
    if (!why.isEmpty()) out.clear();
    return out;
}

QString toSheet(const QByteArray &bytes, Sheet &sheet)
{
    QString why;
    const QList<QStringList> rows = cells(bytes, &why);
    sheet = Sheet();
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].isEmpty()) sheet.setText(r + 1, c + 1, rows[r][c]);
    return why;
}

} // namespace zc::NumbersJson
