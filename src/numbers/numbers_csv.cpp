#include "numbers/numbers_csv.h"

#include "link/device_text.h"
#include "numbers/numbers_model.h"

namespace zc::NumbersCsv {

namespace {
constexpr int kFields = NumbersModel::Columns + 2; // the cells and two empty fields
const QByteArray kLineEnd("\r\n");
} // namespace

QByteArray field(const QString &text)
{
    QByteArray bytes = DeviceText::toBytes(text);
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
        return '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

QByteArray exportBytes(const NumbersModel &model, const std::function<void(int line)> &progress)
{
    QByteArray out;
    out.reserve(NumbersModel::LastEntry * 48);
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        for (int c = 0; c < NumbersModel::Columns; ++c)
            out += field(model.text(r, c)) + ',';
        out += QByteArray(kFields - NumbersModel::Columns - 1, ',') + kLineEnd;
        if (progress) progress(r);
    }
    out += QByteArray(kFields - 1, ',') + kLineEnd;
    if (progress) progress(NumbersModel::LastEntry + 1);
    return out;
}

} // namespace zc::NumbersCsv
