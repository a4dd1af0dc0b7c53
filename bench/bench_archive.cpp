// archive.*: the history archive with 100 000 records (a hundred full logs): the time to
// merge one more full read, and the queries history query answers (by number and day, by
// action and month, and the whole archive), each the best of five.
#include "bench_print.h"
#include "history/history_archive.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>

using namespace zc;

namespace {

HistoryModel::Record record(qint64 n)
{
    const QDateTime at = QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(n * 300);
    static const char *const actions[] = {"Relay ON", "Relay OFF", "DIN1 Alarm", "Arm", "Disarm"};
    return {QString::number(n),
            at.date().toString(QStringLiteral("yyyy-MM-dd")),
            at.time().toString(QStringLiteral("HH:mm:ss")),
            QStringLiteral("Telephone"),
            QString::fromLatin1(actions[n % 5]),
            QStringLiteral("+447700900%1").arg(n % 500, 3, 10, QChar(u'0')),
            QString::fromLatin1(actions[n % 5])};
}

QList<HistoryModel::Record> log(qint64 first, int count)
{
    QList<HistoryModel::Record> out;
    for (qint64 n = first; n < first + count; ++n)
        out << record(n);
    return out;
}

// Best of five, in milliseconds.
double bestMs(const std::function<void()> &run)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

void benchArchive()
{
    QTemporaryDir dir;
    HistoryArchive archive;
    if (!dir.isValid() || !archive.open(dir.filePath(QStringLiteral("archive.db")), true)) return;
    for (int read = 0; read < 100; ++read)
        if (!archive.merge(log(qint64(read) * 1000 + 1, 1000))) return;
    QElapsedTimer t;
    t.start();
    archive.merge(log(99501, 1000)); // half of it already held
    print("archive.merge_1000_into_100000", t.nsecsElapsed() / 1e6, "ms");

    HistoryArchive::Query byNumber;
    byNumber.executants = {QStringLiteral("+447700900042"), QStringLiteral("00447700900042")};
    byNumber.fromDay = QDate(2024, 6, 1);
    byNumber.toDay = QDate(2024, 6, 30);
    print("archive.query_number_month_100000", bestMs([&] { archive.query(byNumber); }), "ms");
    HistoryArchive::Query byAction;
    byAction.action = QStringLiteral("relay on");
    byAction.fromDay = QDate(2024, 3, 1);
    byAction.toDay = QDate(2024, 3, 31);
    print("archive.query_action_month_100000", bestMs([&] { archive.query(byAction); }), "ms");
    print("archive.query_all_100000", bestMs([&] { archive.query({}); }), "ms");
}
