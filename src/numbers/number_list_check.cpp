#include "numbers/number_list_check.h"

#include "numbers/numbers_model.h"

namespace zc {

QString joinFirstThree(const QStringList &items)
{
    if (items.size() <= 3) return items.join(u',');
    return items.mid(0, 3).join(u',') + QStringLiteral(",....");
}

QList<int> wrongRows(const NumbersModel &model)
{
    using namespace NumberColumn;
    const QString &no = CheckCell::kNo;
    QList<int> wrong;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const NumberRow row = model.row(r);
        // Rows without a number, marked for deletion or always allowed need no window.
        if (row[Number].isEmpty() || row[Delete] != no || row[Always] != no) continue;
        if (!row[StartDate].isEmpty() && !row[StartTime].isEmpty() && !row[EndDate].isEmpty() &&
            !row[EndTime].isEmpty())
            continue;
        wrong << r;
    }
    return wrong;
}

namespace NumberCheck {

RowReasons refusedRows(const NumbersModel &model)
{
    RowReasons refused;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (const QStringList reasons = rowRefusals(model.row(r)); !reasons.isEmpty())
            refused.append({r, reasons.join(QStringLiteral("; "))});
    return refused;
}

QString rowLines(const RowReasons &rows)
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
    return saveRefusal(refusedRows(model));
}

QString saveRefusal(const RowReasons &refused)
{
    if (refused.isEmpty()) return {};
    return QStringLiteral("The Authorized number list was not saved: %1 %2 be sent as %3.\n")
               .arg(refused.size())
               .arg(refused.size() == 1 ? QStringLiteral("row cannot") : QStringLiteral("rows cannot"))
               .arg(refused.size() == 1 ? QStringLiteral("it stands") : QStringLiteral("they stand")) +
           rowLines(refused);
}

} // namespace NumberCheck

} // namespace zc
