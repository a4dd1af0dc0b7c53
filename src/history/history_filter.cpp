#include "history/history_filter.h"

#include "history/history_codec.h"
#include "history/history_model.h"

#include <QList>

#include <algorithm>
#include <vector>

namespace zc {

namespace {

// A collected record: where it stands in the source, and its keys.
struct Entry
{
    int index;
    int date;
    int time;
};

// Strictly inside the range from (S, s) to (E, e).
bool matches(int d, int t, int S, int s, int E, int e)
{
    return (S < d && d < E) || (S < d && d == E && t < e) || (S == d && d < E && t > s) ||
           (S == d && d == E && s < t && t < e);
}

FilterResult failure(FilterResult::Outcome outcome, const char *message, const QString &status)
{
    FilterResult r;
    r.outcome = outcome;
    r.message = QString::fromLatin1(message);
    r.status = status;
    return r;
}

} // namespace

FilterResult FilterHistory(HistoryModel &model, QDate startDate, QTime startTime, QDate endDate,
                           QTime endTime)
{
    QList<HistoryModel::Record> rows;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row)
        rows << model.record(row);
    return FilterHistory(rows, model, startDate, startTime, endDate, endTime);
}

FilterResult FilterHistory(const QList<HistoryModel::Record> &source, HistoryModel &model, QDate startDate,
                           QTime startTime, QDate endDate, QTime endTime)
{
    constexpr int number = HistoryModel::NumberColumn - 1, dateCell = HistoryModel::DateColumn - 1,
                  timeCell = HistoryModel::TimeColumn - 1;
    if (!startDate.isValid() || !endDate.isValid() || !startTime.isValid() || !endTime.isValid())
        return failure(FilterResult::Outcome::RangeError, "Time selection error", {});
    const qint64 d1 = qint64(startDate.year()) * 10000 + startDate.month() * 100 + startDate.day();
    const qint64 d2 = qint64(endDate.year()) * 10000 + endDate.month() * 100 + endDate.day();
    const int s = timeKey(startTime.hour(), startTime.minute(), startTime.second());
    const int e = timeKey(endTime.hour(), endTime.minute(), endTime.second());
    if (!(d2 > d1 || (d2 == d1 && s < e)))
        return failure(FilterResult::Outcome::RangeError, "Time selection error", {});

    std::vector<Entry> entries;
    entries.reserve(source.size());
    for (int i = 0; i < int(source.size()); ++i) {
        const HistoryModel::Record &record = source[i];
        if (record[number].isEmpty()) continue;
        const auto date = HistoryCodec::parseDate(record[dateCell]);
        const auto time = HistoryCodec::parseTime(record[timeCell]);
        if (!date || !time) continue;
        entries.push_back({i, dateKey(date->year, date->month, date->day),
                           timeKey(time->hour, time->minute, time->second)});
    }
    if (entries.empty())
        return failure(FilterResult::Outcome::NoCorrectRecords, "No correct records",
                       QStringLiteral("Records:0"));

    const int S = dateKey(startDate.year(), startDate.month(), startDate.day());
    const int E = dateKey(endDate.year(), endDate.month(), endDate.day());
    std::vector<Entry> selected;
    selected.reserve(entries.size());
    std::copy_if(entries.cbegin(), entries.cend(), std::back_inserter(selected),
                 [&](const Entry &x) { return matches(x.date, x.time, S, s, E, e); });
    if (selected.empty()) {
        FilterResult r = failure(FilterResult::Outcome::NoRecords, "No records", QStringLiteral("Search"));
        r.collected = int(entries.size());
        return r;
    }

    // Ascending date, then time; records stamped alike keep their order in the table.
    std::stable_sort(selected.begin(), selected.end(), [](const Entry &a, const Entry &b) {
        return a.date < b.date || (a.date == b.date && a.time < b.time);
    });
    QList<HistoryModel::Record> rows;
    rows.reserve(selected.size());
    for (const Entry &x : std::as_const(selected))
        rows << source[x.index];
    model.replaceRecords(rows);

    FilterResult r;
    r.status = QStringLiteral("Records");
    r.collected = int(entries.size());
    r.rows = int(rows.size());
    return r;
}

} // namespace zc
