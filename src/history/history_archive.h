// The history archive: one SQLite file that keeps every record of every read, so the log
// outlives the unit's 1000 slots. A record is the same record when its record number, date
// and time agree; a merge adds only the records the file does not hold yet, in one
// transaction (the rollback journal leaves the file as it was before or after a merge,
// whatever ends the process), and notes the record numbers that the unit overwrote before
// they were read (gaps). Results are facts; the callers put them into words.
#pragma once

#include "history/history_model.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace zc {

class HistoryArchive
{
public:
    // Record numbers from..to (both included) that no read ever brought.
    struct Gap
    {
        qint64 from = 0, to = 0;
        bool operator==(const Gap &) const = default;
    };

    enum class Error {
        None,
        Missing,      // the file does not exist (opening to read)
        CannotOpen,   // the file or its folder cannot be opened or created
        NotAnArchive, // the file is no archive this program wrote
        CannotWrite,  // a merge could not be committed: nothing of it was kept
        CannotRead,
    };

    struct MergeResult
    {
        int read = 0;    // records given
        int added = 0;   // records the file did not hold before
        QList<Gap> gaps; // the gaps this merge found
    };

    // What a query keeps; unset parts match everything.
    struct Query
    {
        QStringList executants;       // telephone numbers as records hold them (any of them)
        QString action;               // the action text, compared without regard to case
        std::optional<QDate> fromDay; // records at or after fromDay fromTime
        QTime fromTime{0, 0, 0};
        std::optional<QDate> toDay; // records at or before toDay toTime
        QTime toTime{23, 59, 59};
    };

    HistoryArchive();
    ~HistoryArchive();
    HistoryArchive(const HistoryArchive &) = delete;
    HistoryArchive &operator=(const HistoryArchive &) = delete;

    // Opens the file; forWriting creates it (and its tables) when absent and checks that a
    // transaction can be taken, so a caller knows before any work whether a merge can be
    // kept. False with error() and detail() set.
    bool open(const QString &path, bool forWriting);
    void close();

    Error error() const { return m_error; }
    // The database's own words for the last failure (may be empty).
    const QString &detail() const { return m_detail; }

    // Adds the records not held yet and the gaps they reveal, in one transaction. Records
    // whose number is not a whole number are not kept. nullopt when it was not committed
    // (the file is as it was).
    std::optional<MergeResult> merge(const QList<HistoryModel::Record> &records);
    // How many of records the file does not hold (0: all are kept); -1 when it cannot tell.
    int missing(const QList<HistoryModel::Record> &records);

    // Matching records by date, time and record number; nullopt when the file cannot be read.
    std::optional<QList<HistoryModel::Record>> query(const Query &q);
    std::optional<QList<Gap>> gaps();
    // Records held; -1 when the file cannot be read.
    qint64 count();

private:
    bool fail(Error e, const QString &detail);
    bool exec(const QString &sql);

    QString m_connection;
    Error m_error = Error::None;
    QString m_detail;
};

} // namespace zc
