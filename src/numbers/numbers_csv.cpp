#include "numbers/numbers_csv.h"

#include "link/device_text.h"
#include "numbers/numbers_model.h"
#include "sheets/csv_field.h"
#include "sheets/text_file.h"

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

QList<QStringList> cells(const QByteArray &fileBytes, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error) *error = why;
        return QList<QStringList>{};
    };
    QByteArray bytes = fileBytes;
    if (const QString why = TextFile::takeUtf8(bytes); !why.isEmpty()) return fail(why);

    QList<QStringList> rows(NumbersModel::Rows);
    rows[0] = QStringList{QStringLiteral("Serial")};
    QList<int> lineOfRow(NumbersModel::Rows, 0);
    int lineNumber = 0;
    bool anyLine = false;
    // Takes one line: blank lines and lines of empty fields (the closing line) are no rows; a
    // first line starting with "Serial" is the header row a spreadsheet program writes.
    const auto takeLine = [&](const QStringList &fields) -> QString {
        ++lineNumber;
        if (fields.join(QString()).isEmpty()) return {};
        const bool first = !anyLine;
        anyLine = true;
        const QString lead = fields.value(0);
        if (first && lead == QLatin1String("Serial")) return {};
        bool isNumber = !lead.isEmpty();
        for (QChar c : lead)
            isNumber = isNumber && c >= u'0' && c <= u'9';
        const int row = isNumber && lead.size() <= 6 ? lead.toInt() : 0;
        if (!isNumber || row < NumbersModel::FirstEntry)
            return QStringLiteral("line %1 starts with \"%2\", not with a row number from %3 to %4")
                .arg(QString::number(lineNumber), lead.left(40), QString::number(NumbersModel::FirstEntry),
                     QString::number(NumbersModel::LastEntry));
        if (row > NumbersModel::LastEntry || lead.size() > 6)
            return QStringLiteral("line %1 holds row %2, past the list's last row %3")
                .arg(QString::number(lineNumber), lead.left(40), QString::number(NumbersModel::LastEntry));
        if (lineOfRow[row] != 0)
            return QStringLiteral("line %1 gives row %2 again (first on line %3)")
                .arg(lineNumber)
                .arg(row)
                .arg(lineOfRow[row]);
        bool extraEmpty = true;
        for (qsizetype f = NumbersModel::Columns; f < fields.size(); ++f)
            extraEmpty = extraEmpty && fields[f].isEmpty();
        if (fields.size() > kFields || !extraEmpty)
            return QStringLiteral("line %1 holds %2 fields; a row of the list file holds %3 and two "
                                  "empty ones")
                .arg(lineNumber)
                .arg(fields.size())
                .arg(NumbersModel::Columns);
        lineOfRow[row] = lineNumber;
        QStringList cells = fields.mid(0, NumbersModel::Columns);
        while (cells.size() < NumbersModel::Columns)
            cells << QString();
        rows[row] = cells;
        return {};
    };

    const QString why = Csv::eachLine(bytes, [&](const QList<QByteArray> &fieldBytes) {
        QStringList fields;
        for (const QByteArray &f : fieldBytes)
            fields << DeviceText::fromBytes(f);
        return takeLine(fields);
    });
    if (!why.isEmpty()) return fail(why);
    return rows;
}

} // namespace zc::NumbersCsv
