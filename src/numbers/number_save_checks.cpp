#include "numbers/number_save_checks.h"

#include "link/device_text.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_model.h"

#include <QHash>

#include <tuple>

namespace zc::NumberSaveChecks {

namespace {

using CheckCell::kYes;

// A window edge as the unit gets it: two-digit year, month, day, hour, minute.
using Moment = std::tuple<int, int, int, int, int>;

std::optional<Moment> momentOf(const QString &date, const QString &time)
{
    const auto d = NumbersCodec::readDate(date);
    const auto t = NumbersCodec::readTime(time);
    if (!d || !t) return std::nullopt;
    return Moment{d->year, d->month, d->day, t->hour, t->minute};
}

bool hasWindow(const NumberRow &row)
{
    return !row[NumberColumn::Number].isEmpty() && row[NumberColumn::Always] != kYes &&
           row[NumberColumn::Delete] != kYes;
}

} // namespace

QStringList rowRefusals(const NumberRow &row)
{
    using namespace NumberColumn;
    QStringList reasons;
    if (row[Number].isEmpty() || row[Delete] == kYes) return reasons;
    const int width = NumberEntry::numberField().width;
    const int length = DeviceText::byteLength(row[Number]);
    if (length > width)
        reasons << QStringLiteral("the number has %1 characters, an entry holds %2").arg(length).arg(width);
    if (row[Always] != kYes) {
        const auto start = momentOf(row[StartDate], row[StartTime]);
        const auto end = momentOf(row[EndDate], row[EndTime]);
        if (start && end && *end < *start)
            reasons << QStringLiteral("the window ends (%1 %2) before it starts (%3 %4)")
                           .arg(row[EndDate], row[EndTime], row[StartDate], row[StartTime]);
    }
    return reasons;
}

QString rowLines(const QList<std::pair<int, QString>> &rows)
{
    constexpr int kShown = 10;
    QStringList lines;
    for (qsizetype i = 0; i < rows.size() && i < kShown; ++i)
        lines << QStringLiteral("Row %1: %2").arg(rows[i].first).arg(rows[i].second);
    if (rows.size() > kShown) lines << QStringLiteral("... and %1 more rows.").arg(rows.size() - kShown);
    return lines.join(u'\n');
}

QString saveRefusal(const NumbersModel &model)
{
    QList<std::pair<int, QString>> refused;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const QStringList reasons = rowRefusals(model.row(r));
        if (!reasons.isEmpty()) refused.append({r, reasons.join(QStringLiteral("; "))});
    }
    if (refused.isEmpty()) return {};
    return QStringLiteral("The Authorized number list was not saved: %1 %2 be sent as %3.\n")
               .arg(refused.size())
               .arg(refused.size() == 1 ? QStringLiteral("row cannot") : QStringLiteral("rows cannot"))
               .arg(refused.size() == 1 ? QStringLiteral("it stands") : QStringLiteral("they stand")) +
           rowLines(refused);
}

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

bool windowEnded(const NumberRow &row, const QDateTime &now)
{
    if (!hasWindow(row)) return false;
    const auto d = NumbersCodec::readDate(row[NumberColumn::EndDate]);
    const auto t = NumbersCodec::readTime(row[NumberColumn::EndTime]);
    if (!d || !t) return false;
    // Compared field by field: the grid asks this for every cell it paints.
    const QDate date(2000 + d->year, d->month, d->day);
    if (!date.isValid() || t->hour > 23 || t->minute > 59) return false;
    const QDate today = now.date();
    if (date != today) return date < today;
    const QTime clock = now.time();
    return std::pair(t->hour, t->minute) < std::pair(clock.hour(), clock.minute());
}

} // namespace zc::NumberSaveChecks
