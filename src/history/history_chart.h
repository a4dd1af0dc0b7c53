// What the history chart draws: the records shown, counted per day (per week or per month
// when they span a long time) and by kind of event. Counting only; the window draws it.
#pragma once

#include "history/history_model.h"

#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace zc {

enum class HistoryKind { Relay, Alarm, Power, ListChange, Arming };
inline constexpr int kHistoryKinds = 5;

struct HistoryBucket
{
    QDate first, last; // the day, week (Monday to Sunday) or month the bar stands for
    std::array<int, kHistoryKinds> counts{};
    int total() const;
};

struct HistoryChartData
{
    enum class Period { Day, Week, Month };
    Period period = Period::Day;
    // One bucket per period from the first record's to the last one's, empty ones included.
    QList<HistoryBucket> buckets;
    int counted = 0; // records with a date and a known kind

    // The bar's label: 03-02 for a day, the Monday's 03-02 for a week, 2015-03 for a month.
    QString label(int bucket) const;
    static QString kindName(HistoryKind kind);
};

namespace HistoryChart {

// Relay ON/OFF, DIN1/DIN2 alarms, power failure and recovery, numbers added or deleted,
// arm and disarm; nullopt for an action text of no kind.
std::optional<HistoryKind> kindOf(const QString &actionText);
// Days up to two months apart get one bar a day; up to about a year, one a week; beyond,
// one a month.
HistoryChartData::Period periodFor(QDate first, QDate last);
// Counts the record rows of the table (what the grid shows). Rows without a readable date
// or an action of a known kind are not counted.
HistoryChartData count(const HistoryModel &model);
HistoryChartData count(const QList<HistoryModel::Record> &records);

} // namespace HistoryChart
} // namespace zc
