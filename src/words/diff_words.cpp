#include "words/diff_words.h"

namespace zc {

QString shownValue(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : text;
}

QString numberRowWords(const NumberRow &r)
{
    using namespace NumberColumn;
    if (r[Number].isEmpty()) return shownValue({});
    if (r[Always] == CheckCell::kYes) return r[Number] + QStringLiteral(" always");
    return QStringLiteral("%1 %2 %3 – %4 %5")
        .arg(r[Number], shownValue(r[StartDate]), shownValue(r[StartTime]), shownValue(r[EndDate]),
             shownValue(r[EndTime]));
}

namespace {

NumberRow rowOf(const QStringList &cells)
{
    NumberRow row;
    for (int c = 0; c < NumberColumn::Count; ++c)
        row[c] = cells.value(c);
    return row;
}

} // namespace

QString diffLine(const AreaDiff::Line &line)
{
    if (!line.name.isEmpty())
        return QStringLiteral("%1: %2 → %3")
            .arg(line.name, shownValue(line.before.value(0)), shownValue(line.after.value(0)));
    return QStringLiteral("row %1: %2 → %3")
        .arg(line.at)
        .arg(numberRowWords(rowOf(line.before)), numberRowWords(rowOf(line.after)));
}

QStringList diffLines(const AreaDiff &diff)
{
    QStringList out;
    for (const AreaDiff::Line &l : diff.lines)
        out << diffLine(l);
    return out;
}

QString diffDetails(const AreaDiff &diff)
{
    using Kind = AreaDiff::Kind;
    QStringList out;
    const auto group = [&](Kind kind, const char *heading) {
        const int n = diff.count(kind);
        if (n == 0) return;
        if (!out.isEmpty()) out << QString();
        out << QStringLiteral("%1 (%2):").arg(QLatin1String(heading)).arg(n);
        for (const AreaDiff::Line &l : diff.lines)
            if (l.kind == kind) out << diffLine(l);
    };
    group(Kind::Removed, "Removed");
    group(Kind::Changed, "Changed");
    group(Kind::Added, "Added");
    return out.join(QLatin1Char('\n'));
}

} // namespace zc
