#include "numbers/numbers_find.h"

#include "numbers/numbers_model.h"

#include <algorithm>

namespace zc::NumbersFind {

QList<int> matches(const NumbersModel &model, const QString &text)
{
    QList<int> rows;
    if (text.isEmpty()) return rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (model.text(r, NumberColumn::Number).contains(text)) rows << r;
    return rows;
}

int rowsInUse(const NumbersModel &model)
{
    int n = 0;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        n += !model.text(r, NumberColumn::Number).isEmpty();
    return n;
}

int firstFreeRow(const NumbersModel &model)
{
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (model.text(r, NumberColumn::Number).isEmpty()) return r;
    return 0;
}

QString countText(int inUse, int found, bool finding)
{
    QString text = QStringLiteral("%1 of %2 rows in use").arg(inUse).arg(NumbersModel::LastEntry);
    if (finding) text += QStringLiteral(" \u00b7 %1 found").arg(found);
    return text;
}

int nextMatch(const QList<int> &matches, int row, bool forward)
{
    if (matches.isEmpty()) return 0;
    if (forward) {
        const auto it = std::upper_bound(matches.cbegin(), matches.cend(), row);
        return it != matches.cend() ? *it : matches.front();
    }
    const auto it = std::lower_bound(matches.cbegin(), matches.cend(), row);
    return it != matches.cbegin() ? *(it - 1) : matches.back();
}

} // namespace zc::NumbersFind
