#include "history/history_chart.h"

#include "history/history_codec.h"
#include "history/history_record.h"

#include <algorithm>
#include <numeric>

namespace zc {

namespace {

constexpr int kDailyUpToDays = 62;
constexpr int kWeeklyUpToDays = 371; // 53 weeks

QDate periodStart(QDate d, HistoryChartData::Period p)
{
    switch (p) {
    case HistoryChartData::Period::Day:
        return d;
    case HistoryChartData::Period::Week:
        return d.addDays(1 - d.dayOfWeek());
    case HistoryChartData::Period::Month:
        return QDate(d.year(), d.month(), 1);
    }
    return d;
}

QDate periodEnd(QDate start, HistoryChartData::Period p)
{
    switch (p) {
    case HistoryChartData::Period::Day:
        return start;
    case HistoryChartData::Period::Week:
        return start.addDays(6);
    case HistoryChartData::Period::Month:
        return start.addMonths(1).addDays(-1);
    }
    return start;
}

int periodIndex(QDate first, QDate d, HistoryChartData::Period p)
{
    switch (p) {
    case HistoryChartData::Period::Day:
        return int(first.daysTo(d));
    case HistoryChartData::Period::Week:
        return int(first.daysTo(periodStart(d, p)) / 7);
    case HistoryChartData::Period::Month:
        return (d.year() - first.year()) * 12 + d.month() - first.month();
    }
    return 0;
}

QDate dateOf(const QString &text)
{
    const auto parts = HistoryCodec::parseDate(text);
    return parts ? QDate(parts->year, parts->month, parts->day) : QDate();
}

} // namespace

int HistoryBucket::total() const
{
    return std::accumulate(counts.begin(), counts.end(), 0);
}

QString HistoryChartData::label(int bucket) const
{
    const QDate d = buckets.value(bucket).first;
    return d.toString(period == Period::Month ? QStringLiteral("yyyy-MM") : QStringLiteral("MM-dd"));
}

QString HistoryChartData::kindName(HistoryKind kind)
{
    switch (kind) {
    case HistoryKind::Relay:
        return QStringLiteral("Relay");
    case HistoryKind::Alarm:
        return QStringLiteral("Alarms");
    case HistoryKind::Power:
        return QStringLiteral("Power");
    case HistoryKind::ListChange:
        return QStringLiteral("List changes");
    case HistoryKind::Arming:
        return QStringLiteral("Arm/disarm");
    }
    return {};
}

namespace HistoryChart {

std::optional<HistoryKind> kindOf(const QString &actionText)
{
    // In the order of the action codes 0..9.
    static constexpr HistoryKind kinds[] = {
        HistoryKind::ListChange, HistoryKind::ListChange, HistoryKind::Relay, HistoryKind::Relay,
        HistoryKind::Alarm,      HistoryKind::Alarm,      HistoryKind::Power, HistoryKind::Arming,
        HistoryKind::Arming,     HistoryKind::Power,
    };
    static_assert(std::size(kinds) == std::size(HistoryRecord::kActionTexts));
    for (std::size_t i = 0; i < std::size(kinds); ++i)
        if (actionText == QLatin1String(HistoryRecord::kActionTexts[i].action)) return kinds[i];
    return std::nullopt;
}

HistoryChartData::Period periodFor(QDate first, QDate last)
{
    const qint64 span = first.daysTo(last);
    if (span < kDailyUpToDays) return HistoryChartData::Period::Day;
    if (span < kWeeklyUpToDays) return HistoryChartData::Period::Week;
    return HistoryChartData::Period::Month;
}

HistoryChartData count(const QList<HistoryModel::Record> &records)
{
    constexpr int dateCell = HistoryModel::DateColumn - 1, actionCell = HistoryModel::ActionColumn - 1;
    struct Dated
    {
        QDate date;
        HistoryKind kind;
    };
    QList<Dated> dated;
    dated.reserve(records.size());
    for (const HistoryModel::Record &r : records) {
        const auto kind = kindOf(r[actionCell]);
        if (!kind) continue;
        const QDate d = dateOf(r[dateCell]);
        if (d.isValid()) dated.append({d, *kind});
    }
    HistoryChartData out;
    if (dated.isEmpty()) return out;
    const auto [lo, hi] = std::minmax_element(dated.cbegin(), dated.cend(),
                                              [](const Dated &a, const Dated &b) { return a.date < b.date; });
    out.period = periodFor(lo->date, hi->date);
    const QDate first = periodStart(lo->date, out.period);
    const int n = periodIndex(first, hi->date, out.period) + 1;
    out.buckets.resize(n);
    QDate start = first;
    for (HistoryBucket &b : out.buckets) {
        b.first = start;
        b.last = periodEnd(start, out.period);
        start = b.last.addDays(1);
    }
    for (const Dated &x : std::as_const(dated))
        ++out.buckets[periodIndex(first, x.date, out.period)].counts[int(x.kind)];
    out.counted = int(dated.size());
    return out;
}

HistoryChartData count(const HistoryModel &model)
{
    QList<HistoryModel::Record> rows;
    rows.reserve(HistoryModel::LastRecordRow);
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row)
        if (!model.text(row, HistoryModel::NumberColumn).isEmpty()) rows << model.record(row);
    return count(rows);
}

} // namespace HistoryChart
} // namespace zc
