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

QString ValidateNumberList(const NumbersModel &model)
{
    QStringList wrong;
    for (int r : wrongRows(model))
        wrong << model.text(r, NumberColumn::Serial);
    if (wrong.isEmpty()) return {};
    return QStringLiteral("Wrong operation:please select \"Always\" or setting the Start-End date and "
                          "time.Total:%1\rWrong serial number:%2")
        .arg(QString::number(wrong.size()), joinFirstThree(wrong));
}

} // namespace zc
