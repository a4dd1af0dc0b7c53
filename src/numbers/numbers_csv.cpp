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
    QList<QStringList> lines;
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
        lines << line;
        line.clear();
    };
    const auto fail = [error](const QString &why) {
        if (error) *error = why;
        return QList<QStringList>{};
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
        } else if (c == '\r' || c == '\n') {
            endLine();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            fieldBytes += c;
        }
        if (lines.size() > NumbersModel::LastEntry + 2)
            return fail(QStringLiteral("line %1: a list file ends after row %2 and its closing line")
                            .arg(lines.size())
                            .arg(NumbersModel::LastEntry));
    }
    if (quoted)
        return fail(QStringLiteral("a quoted field in line %1 is never closed").arg(lines.size() + 1));
    if (!fieldBytes.isEmpty() || !line.isEmpty()) endLine();
    // Blank lines after the closing line are no rows.
    while (lines.size() > NumbersModel::LastEntry + 1 && lines.back() == QStringList{QString()})
        lines.removeLast();
    if (lines.size() > NumbersModel::LastEntry + 1)
        return fail(QStringLiteral("line %1: a list file ends after row %2 and its closing line")
                        .arg(NumbersModel::LastEntry + 2)
                        .arg(NumbersModel::LastEntry));

    const auto allEmpty = [](const QStringList &fields) { return fields.join(QString()).isEmpty(); };
    QList<QStringList> rows{QStringList{QStringLiteral("Serial")}};
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        if (r > lines.size())
            return fail(QStringLiteral("the file ends after line %1; a list file holds rows 1 to %2 and a "
                                       "closing line")
                            .arg(lines.size())
                            .arg(NumbersModel::LastEntry));
        const QStringList &fields = lines[r - 1];
        if (fields.value(0) != QString::number(r))
            return fail(QStringLiteral("line %1 starts with \"%2\", not with its row number %1")
                            .arg(r)
                            .arg(fields.value(0).left(40)));
        if (fields.size() < NumbersModel::Columns || fields.size() > kFields ||
            !allEmpty(fields.mid(NumbersModel::Columns)))
            return fail(QStringLiteral("line %1 holds %2 fields; a row of the list file holds %3 and two "
                                       "empty ones")
                            .arg(r)
                            .arg(fields.size())
                            .arg(NumbersModel::Columns));
        rows << fields.mid(0, NumbersModel::Columns);
    }
    if (lines.size() <= NumbersModel::LastEntry || !allEmpty(lines[NumbersModel::LastEntry]))
        return fail(QStringLiteral("line %1 is not the closing line of empty fields")
                        .arg(NumbersModel::LastEntry + 1));
    return rows;
}

} // namespace zc::NumbersCsv
