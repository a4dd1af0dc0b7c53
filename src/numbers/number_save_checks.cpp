#include "numbers/number_save_checks.h"

#include "numbers/number_window.h"
#include "numbers/numbers_model.h"

#include <QHash>

namespace zc::NumberSaveChecks {

namespace {

using CheckCell::kYes;

} // namespace

QList<Duplicate> duplicates(const NumbersModel &model)
{
    QHash<QString, QList<int>> rowsOf;
    QStringList order; // numbers in the order their second row appears
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const QString number = model.text(r, NumberColumn::Number);
        if (number.isEmpty() || model.text(r, NumberColumn::Delete) == kYes) continue;
        QList<int> &rows = rowsOf[number];
        if (rows.size() == 1) order << number;
        rows << r;
    }
    QList<Duplicate> out;
    out.reserve(order.size());
    for (const QString &number : order)
        out.append({number, rowsOf.value(number)});
    return out;
}

std::optional<QDateTime> windowStart(const NumberRow &row)
{
    return NumberWindow::start(row);
}

std::optional<QDateTime> windowEnd(const NumberRow &row)
{
    return NumberWindow::end(row);
}

bool windowEnded(const NumberRow &row, const QDateTime &now)
{
    return NumberWindow::ended(row, now);
}

QString subscriberKey(const QString &number, const QString &countryCode)
{
    if (number.startsWith(QLatin1String("00"))) return u'+' + number.mid(2);
    QString cc = countryCode;
    if (cc.startsWith(u'+')) cc.remove(0, 1);
    if (!cc.isEmpty() && number.startsWith(u'0')) return u'+' + cc + number.mid(1);
    return number;
}

} // namespace zc::NumberSaveChecks
