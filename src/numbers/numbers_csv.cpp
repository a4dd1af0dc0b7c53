#include "numbers/numbers_csv.h"

#include "link/device_text.h"
#include "numbers/numbers_model.h"
#include "sheets/csv_field.h"

namespace zc::NumbersCsv {

namespace {
constexpr int kFields = NumbersModel::Columns + 2; // the cells and two empty fields
const QByteArray kLineEnd("\r\n");
} // namespace

QByteArray exportBytes(const NumbersModel &model, const std::function<void(int line)> &progress)
{
    QByteArray out;
    out.reserve(NumbersModel::LastEntry * 48);
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        for (int c = 0; c < NumbersModel::Columns; ++c)
            out += Csv::field(DeviceText::toBytes(model.text(r, c))) + ',';
        out += QByteArray(kFields - NumbersModel::Columns - 1, ',') + kLineEnd;
        if (progress) progress(r);
    }
    out += QByteArray(kFields - 1, ',') + kLineEnd;
    if (progress) progress(NumbersModel::LastEntry + 1);
    return out;
}

QList<QStringList> cells(const QByteArray &bytes, QString *error)
{
    QList<QStringList> rows{QStringList{QStringLiteral("Serial")}};
    QStringList line;
    QByteArray fieldBytes;
    bool quoted = false, wasQuoted = false;
    auto endField = [&] {
        line << DeviceText::fromBytes(fieldBytes);
        fieldBytes.clear();
        wasQuoted = false;
    };
    auto endLine = [&] {
        endField();
        rows << line.mid(0, NumbersModel::Columns);
        line.clear();
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"')
                fieldBytes += c;
            else if (i + 1 < bytes.size() && bytes[i + 1] == '"')
                fieldBytes += bytes[++i];
            else
                quoted = false;
        } else if (c == '"' && fieldBytes.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            endLine();
            ++i;
        } else if (c == '\n') {
            endLine();
        } else {
            fieldBytes += c;
        }
    }
    if (quoted) {
        if (error) *error = QStringLiteral("a quoted field in line %1 is never closed").arg(rows.size());
        return {};
    }
    if (!fieldBytes.isEmpty() || !line.isEmpty()) endLine();
    // The closing line of empty fields belongs to the file, not to a row.
    while (rows.size() > 1 && rows.back().join(QString()).isEmpty())
        rows.removeLast();
    if (rows.size() > NumbersModel::Rows) {
        if (error)
            *error = QStringLiteral("it holds %1 rows; a list has at most %2")
                         .arg(rows.size() - 1)
                         .arg(NumbersModel::LastEntry);
        return {};
    }
    return rows;
}

} // namespace zc::NumbersCsv
