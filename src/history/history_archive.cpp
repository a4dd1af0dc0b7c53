#include "history/history_archive.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace zc {

namespace {

QAtomicInt g_connections;

constexpr int kFormatVersion = 1;

// The columns of a record in the order of HistoryModel::Record.
constexpr const char *kRecordColumns = "number, date, time, source, action, executant, content";

// What marks the file as an archive, and the tables. The key is what makes a record the
// same record; records are stored in its order (date, time, number), the order queries
// answer in, and the indexes serve the queries by number and by action.
constexpr const char *kSchema[] = {
    "CREATE TABLE IF NOT EXISTS zarvento_archive (version INTEGER NOT NULL)",
    ("CREATE TABLE IF NOT EXISTS records (number INTEGER NOT NULL, date TEXT NOT NULL, time TEXT NOT "
     "NULL, source TEXT NOT NULL, action TEXT NOT NULL, executant TEXT NOT NULL, content TEXT NOT NULL, "
     "PRIMARY KEY (date, time, number)) WITHOUT ROWID"),
    "CREATE INDEX IF NOT EXISTS records_by_executant ON records (executant, date, time)",
    "CREATE INDEX IF NOT EXISTS records_by_action ON records (action COLLATE NOCASE, date, time)",
    ("CREATE TABLE IF NOT EXISTS gaps (first INTEGER NOT NULL, last INTEGER NOT NULL, "
     "PRIMARY KEY (first, last))"),
};

QSqlDatabase db(const QString &connection)
{
    return QSqlDatabase::database(connection, false);
}

std::optional<qint64> recordNumber(const HistoryModel::Record &r)
{
    bool ok = false;
    const qint64 n = r[HistoryModel::NumberColumn - 1].trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

QString cell(const HistoryModel::Record &r, int column)
{
    // Never NULL: an empty cell is an empty text, so the unique key compares texts.
    const QString &t = r[column - 1];
    return t.isNull() ? QStringLiteral("") : t;
}

} // namespace

HistoryArchive::HistoryArchive()
    : m_connection(QStringLiteral("zc_history_archive_%1").arg(g_connections.fetchAndAddRelaxed(1)))
{
}

HistoryArchive::~HistoryArchive()
{
    close();
}

bool HistoryArchive::fail(Error e, const QString &detail)
{
    m_error = e;
    m_detail = detail;
    return false;
}

bool HistoryArchive::exec(const QString &sql)
{
    QSqlQuery q(db(m_connection));
    if (q.exec(sql)) return true;
    m_detail = q.lastError().text();
    return false;
}

void HistoryArchive::close()
{
    if (!QSqlDatabase::contains(m_connection)) return;
    {
        QSqlDatabase d = db(m_connection);
        d.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool HistoryArchive::open(const QString &path, bool forWriting)
{
    close();
    m_error = Error::None;
    m_detail.clear();
    const QFileInfo info(path);
    if (!info.exists() && !forWriting) return fail(Error::Missing, {});
    if (info.exists() && !info.isFile()) return fail(Error::CannotOpen, {});
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!d.isValid()) return fail(Error::CannotOpen, d.lastError().text());
    d.setDatabaseName(path);
    // A writer holding the file makes a second one wait rather than fail at once.
    // A reader opens a file it may write read-write all the same: the journal a killed merge
    // left behind must be rolled back before the file can be read, and only a writer can.
    const bool readOnly = !forWriting && !info.isWritable();
    d.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!d.open()) return fail(Error::CannotOpen, d.lastError().text());

    // The file is an archive when it holds the marker table; an empty new file becomes one.
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return fail(Error::NotAnArchive, q.lastError().text());
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    q.finish();
    const bool marked = tables.contains(QStringLiteral("zarvento_archive"));
    if (!marked && !tables.isEmpty()) return fail(Error::NotAnArchive, {});
    if (!marked && !forWriting) return fail(Error::NotAnArchive, {});

    if (forWriting) {
        // The rollback journal keeps one file between merges; FULL makes a commit durable
        // before it returns.
        if (!exec(QStringLiteral("PRAGMA journal_mode = DELETE")) ||
            !exec(QStringLiteral("PRAGMA synchronous = FULL")))
            return fail(Error::CannotOpen, m_detail);
        // Taking the write lock proves the file can be written before any work is done.
        if (!exec(QStringLiteral("BEGIN IMMEDIATE"))) return fail(Error::CannotWrite, m_detail);
        bool ok = true;
        for (const char *sql : kSchema)
            ok = ok && exec(QLatin1String(sql));
        if (ok && !marked)
            ok = exec(
                QStringLiteral("INSERT INTO zarvento_archive (version) VALUES (%1)").arg(kFormatVersion));
        if (!ok || !d.commit()) {
            const QString why = m_detail.isEmpty() ? d.lastError().text() : m_detail;
            d.rollback();
            return fail(Error::CannotWrite, why);
        }
    } else {
        QSqlQuery v(d);
        if (!v.exec(QStringLiteral("SELECT MAX(version) FROM zarvento_archive")) || !v.next() ||
            v.value(0).toInt() > kFormatVersion)
            return fail(Error::NotAnArchive, v.lastError().text());
    }
    return true;
}

std::optional<HistoryArchive::MergeResult> HistoryArchive::merge(const QList<HistoryModel::Record> &records)
{
    QSqlDatabase d = db(m_connection);
    if (!d.isOpen()) {
        fail(Error::CannotWrite, {});
        return std::nullopt;
    }
    MergeResult result;
    result.read = int(records.size());
    const auto abandon = [&](const QString &why) {
        d.rollback();
        fail(Error::CannotWrite, why);
        return std::nullopt;
    };
    if (!exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        fail(Error::CannotWrite, m_detail);
        return std::nullopt;
    }
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("SELECT COUNT(*), MAX(number) FROM records")) || !q.next())
        return abandon(q.lastError().text());
    const qint64 heldBefore = q.value(0).toLongLong();
    const qint64 highestBefore = q.value(1).toLongLong();
    q.finish();

    QSqlQuery insert(d);
    if (!insert.prepare(QStringLiteral("INSERT OR IGNORE INTO records (%1) VALUES (?, ?, ?, ?, ?, ?, ?)")
                            .arg(QLatin1String(kRecordColumns))))
        return abandon(insert.lastError().text());
    QList<qint64> newer; // numbers above the highest the file held
    for (const HistoryModel::Record &r : records) {
        const auto number = recordNumber(r);
        if (!number) continue;
        insert.bindValue(0, *number);
        for (int c = HistoryModel::DateColumn; c <= HistoryModel::ContentColumn; ++c)
            insert.bindValue(c - 1, cell(r, c));
        if (!insert.exec()) return abandon(insert.lastError().text());
        result.added += insert.numRowsAffected() > 0;
        if (*number > highestBefore) newer << *number;
    }

    // Numbers missing between the highest the file held and the highest the unit holds were
    // written and overwritten between two reads. A first merge knows no "before".
    if (heldBefore > 0 && !newer.isEmpty()) {
        std::sort(newer.begin(), newer.end());
        qint64 expected = highestBefore + 1;
        for (qint64 n : newer) {
            if (n > expected) result.gaps << Gap{expected, n - 1};
            expected = std::max(expected, n + 1);
        }
        QSqlQuery gap(d);
        gap.prepare(QStringLiteral("INSERT OR IGNORE INTO gaps (first, last) VALUES (?, ?)"));
        for (const Gap &g : result.gaps) {
            gap.bindValue(0, g.from);
            gap.bindValue(1, g.to);
            if (!gap.exec()) return abandon(gap.lastError().text());
        }
    }
    if (!d.commit()) return abandon(d.lastError().text());
    return result;
}

int HistoryArchive::missing(const QList<HistoryModel::Record> &records)
{
    QSqlQuery q(db(m_connection));
    if (!q.prepare(QStringLiteral("SELECT 1 FROM records WHERE number = ? AND date = ? AND time = ?"))) {
        fail(Error::CannotRead, q.lastError().text());
        return -1;
    }
    int missing = 0;
    for (const HistoryModel::Record &r : records) {
        const auto number = recordNumber(r);
        if (!number) continue;
        q.bindValue(0, *number);
        q.bindValue(1, cell(r, HistoryModel::DateColumn));
        q.bindValue(2, cell(r, HistoryModel::TimeColumn));
        if (!q.exec()) {
            fail(Error::CannotRead, q.lastError().text());
            return -1;
        }
        missing += !q.next();
        q.finish();
    }
    return missing;
}

std::optional<QList<HistoryModel::Record>> HistoryArchive::query(const Query &query)
{
    QStringList where;
    QVariantList values;
    if (!query.executants.isEmpty()) {
        where << QStringLiteral("executant IN (%1)")
                     .arg(QStringList(query.executants.size(), QStringLiteral("?")).join(u','));
        for (const QString &e : query.executants)
            values << e;
    }
    if (!query.action.isEmpty()) {
        where << QStringLiteral("action = ? COLLATE NOCASE");
        values << query.action;
    }
    // Row values let the key (date, time, number) serve the range.
    if (query.fromDay) {
        where << QStringLiteral("(date, time) >= (?, ?)");
        values << query.fromDay->toString(QStringLiteral("yyyy-MM-dd"))
               << query.fromTime.toString(QStringLiteral("HH:mm:ss"));
    }
    if (query.toDay) {
        where << QStringLiteral("(date, time) <= (?, ?)");
        values << query.toDay->toString(QStringLiteral("yyyy-MM-dd"))
               << query.toTime.toString(QStringLiteral("HH:mm:ss"));
    }
    QSqlQuery q(db(m_connection));
    q.setForwardOnly(true);
    const QString sql =
        QStringLiteral("SELECT %1 FROM records%2 ORDER BY date, time, number")
            .arg(QLatin1String(kRecordColumns),
                 where.isEmpty() ? QString()
                                 : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")));
    if (!q.prepare(sql)) {
        fail(Error::CannotRead, q.lastError().text());
        return std::nullopt;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec()) {
        fail(Error::CannotRead, q.lastError().text());
        return std::nullopt;
    }
    QList<HistoryModel::Record> out;
    while (q.next()) {
        HistoryModel::Record &r = out.emplaceBack();
        for (int c = 0; c < HistoryModel::RecordColumns; ++c)
            r[std::size_t(c)] = q.value(c).toString();
    }
    return out;
}

std::optional<QList<HistoryArchive::Gap>> HistoryArchive::gaps()
{
    QSqlQuery q(db(m_connection));
    if (!q.exec(QStringLiteral("SELECT first, last FROM gaps ORDER BY first"))) {
        fail(Error::CannotRead, q.lastError().text());
        return std::nullopt;
    }
    QList<Gap> out;
    while (q.next())
        out << Gap{q.value(0).toLongLong(), q.value(1).toLongLong()};
    return out;
}

qint64 HistoryArchive::count()
{
    QSqlQuery q(db(m_connection));
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM records")) || !q.next()) {
        fail(Error::CannotRead, q.lastError().text());
        return -1;
    }
    return q.value(0).toLongLong();
}

} // namespace zc
