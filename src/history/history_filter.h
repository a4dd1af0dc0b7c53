// The history filter: keeps the records of the table that lie strictly inside a date and
// time range, sorts them by date and time and writes them back from row 1. It shows
// nothing itself: the result names the message and the status text the caller shows.
#pragma once

#include "history/history_model.h"

#include <QDate>
#include <QString>
#include <QTime>

namespace zc {

struct FilterResult
{
    enum class Outcome { Filtered, RangeError, NoCorrectRecords, NoRecords };
    Outcome outcome = Outcome::Filtered;
    QString message;   // text of the message dialog; empty when the filter went through
    QString status;    // status text the filter ends with; empty: the status line is not touched
    int collected = 0; // rows with a record number, a date and a time
    int rows = 0;      // records written back from row 1
};

// Only a failure leaves the table unchanged. Records stamped exactly at the start or the
// end do not match; a row whose date or time is not in the decoder's layout is not taken.
// The range is checked with four-digit years and matched on two-digit years.
FilterResult FilterHistory(HistoryModel &model, QDate startDate, QTime startTime, QDate endDate,
                           QTime endTime);
// The same over records kept elsewhere (the whole log of the last read): the matching
// records are written into the table, the source is not changed.
FilterResult FilterHistory(const QList<HistoryModel::Record> &source, HistoryModel &model, QDate startDate,
                           QTime startTime, QDate endDate, QTime endTime);

// Keys of a date or a time: two-digit year, month and day (150302), hour, minute and
// second (90500).
constexpr int dateKey(int year, int month, int day)
{
    return (year % 100) * 10000 + month * 100 + day;
}
constexpr int timeKey(int hour, int minute, int second)
{
    return hour * 10000 + minute * 100 + second;
}

} // namespace zc
