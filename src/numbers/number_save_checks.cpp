#include "numbers/number_save_checks.h"

#include "numbers/number_window.h"
#include "numbers/numbers_model.h"

#include <QHash>

namespace zc::NumberSaveChecks {

namespace {

using CheckCell::kYes;

} // namespace

QString duplicateQuestion(const NumbersModel &model)
{
    QHash<QString, QList<int>> rowsOf;
    QStringList order; // numbers in the order their first row appears
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const QString number = model.text(r, NumberColumn::Number);
        if (number.isEmpty() || model.text(r, NumberColumn::Delete) == kYes) continue;
        QList<int> &rows = rowsOf[number];
        if (rows.size() == 1) order << number;
        rows << r;
    }
    if (order.isEmpty()) return {};
    constexpr int kShown = 10;
    QStringList lines;
    for (qsizetype i = 0; i < order.size() && i < kShown; ++i) {
        QStringList rows;
        for (int r : rowsOf.value(order[i]))
            rows << QString::number(r);
        lines << QStringLiteral("%1 is in rows %2").arg(order[i], rows.join(QStringLiteral(", ")));
    }
    if (order.size() > kShown) lines << QStringLiteral("... and %1 more numbers.").arg(order.size() - kShown);
    return QStringLiteral("%1 %2 kept in more than one row:\n")
               .arg(order.size())
               .arg(order.size() == 1 ? QStringLiteral("number is") : QStringLiteral("numbers are")) +
           lines.join(u'\n') + QStringLiteral("\nSave the list anyway?");
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
