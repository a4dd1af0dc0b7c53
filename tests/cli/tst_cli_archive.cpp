// zarvento-cli's history archive, expiring rows, sweep and names against simulated units:
// the archive across reads of a log that wraps, merges cut by kill -9, the delete that waits
// for the archive, and the sweep read back from the simulator's memory.
#include "cli_rig.h"

#include "history/history_archive.h"
#include "history/history_record.h"
#include "numbers/numbers_codec.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

#include <csignal>

using namespace zc;
using namespace zc::test;

namespace {

// History record n as the unit stores it: numbered n, one minute apart from 2024-01-01.
QByteArray historyRecord(int n)
{
    QByteArray r(HistoryRecord::kSize, '\0');
    const QDateTime at = QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(qint64(n) * 60);
    for (int i = 0; i < 4; ++i)
        r[i] = char((n >> (8 * i)) & 0xFF);
    const int parts[] = {at.date().year() - 2000, at.date().month(),  at.date().day(),
                         at.time().hour(),        at.time().minute(), at.time().second()};
    for (int i = 0; i < 6; ++i)
        r[4 + i] = char(parts[i]);
    r[10] = 3; // Telephone
    r[11] = 2; // Relay ON
    const QByteArray who = "+4415550" + QByteArray::number(n % 100);
    r.replace(12, who.size(), who);
    return r;
}

// The unit logs records first..last, each in slot (n - 1) mod 1000, as a full log wraps.
void logRecords(devsim::Simulator &sim, int first, int last)
{
    for (int n = first; n <= last; ++n)
        QVERIFY(sim.setMemory(quint32(areaMap(Area::History).base +
                                      ((n - 1) % HistoryRecord::kCapacity) * HistoryRecord::kSize),
                              historyRecord(n)));
}

int writeFrames(const devsim::Simulator &sim, std::uint8_t command)
{
    int n = 0;
    for (const QByteArray &f : sim.requests())
        n += f.size() > 1 && std::uint8_t(f[1]) == command;
    return n;
}

QJsonObject json(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

QByteArray entry(const NumberRow &row)
{
    const auto e = NumbersCodec::encodeEntry(row);
    return e ? QByteArray(reinterpret_cast<const char *>(e->data()), int(e->size())) : QByteArray();
}

} // namespace

class TstCliArchive : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Ten reads of a log that gains records and wraps: the archive holds every distinct
    // record once, and the gaps are exactly the records overwritten between two reads.
    void archiveAcrossReads()
    {
        Units unit({preset(devsim::Preset::Factory)});
        const QString archive = path("across.db");
        // Read 4 comes after 1300 new records (300 lost), read 8 after 1150 (150 lost).
        const int gained[] = {300, 300, 300, 1300, 300, 300, 300, 1150, 300, 300};
        QSet<qint64> expected;
        int total = 0;
        for (int add : gained) {
            logRecords(*unit.sims[0], total + 1, total + add);
            total += add;
            for (int n = qMax(1, total - HistoryRecord::kCapacity + 1); n <= total; ++n)
                expected.insert(n);
            const CliRun r = runCli({"history", "read", "--port", unit.port(0), "--archive", archive});
            QVERIFY2(r.code == 0, r.err.constData());
        }
        CliRun r = runCli({"history", "read", "--port", unit.port(0), "--archive", archive});
        QVERIFY2(r.code == 0 && r.err.contains("1000 records read, 0 new, 4400 kept"), r.err.constData());

        // Names for two numbers, one written with "00".
        QFile names(path("names.csv"));
        QVERIFY(names.open(QIODevice::WriteOnly));
        names.write("number,name,note\n+441555042,Gate keeper,\n00441555043,\"Smith, J.\",leaves in May\n");
        names.close();
        r = runCli({"history", "query", "--archive", archive, "--names", path("names.csv")});
        QCOMPARE(r.code, 0);
        const QJsonObject doc = json(r.out);
        QCOMPARE(doc.value("format").toString(), QString("zarvento-cli/history"));
        QSet<qint64> held;
        for (const QJsonValue &v : doc.value("records").toArray()) {
            const QJsonObject o = v.toObject();
            held.insert(o.value("number").toString().toLongLong());
            const QString who = o.value("executant").toString();
            const QJsonValue name = o.value("name");
            QCOMPARE(name.toString(), who == "+441555042"   ? QString("Gate keeper")
                                      : who == "+441555043" ? QString("Smith, J.")
                                                            : QString());
        }
        QCOMPARE(doc.value("records").toArray().size(), expected.size());
        QCOMPARE(held, expected);
        const QJsonArray gaps = doc.value("gaps").toArray();
        QCOMPARE(gaps.size(), 2);
        QCOMPARE(gaps[0].toObject(), (QJsonObject{{"from", 901}, {"to", 1200}}));
        QCOMPARE(gaps[1].toObject(), (QJsonObject{{"from", 3101}, {"to", 3250}}));

        // A filter: one telephone number (written with "00") in one day, as CSV.
        r = runCli({"history", "query", "--archive", archive, "--number", "00441555042", "--from",
                    "2024-01-02", "--to", "2024-01-02", "--format", "csv"});
        QCOMPARE(r.code, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines.size() - 1, 15); // records 1442, 1542 .. 2842 (1440..2879 lie on Jan 2)
        QVERIFY(lines[0].startsWith("1,1442,2024-01-02,00:02:00,Telephone,Relay ON,+441555042,"));

        // A names file with a number twice is refused with its row.
        QVERIFY(names.open(QIODevice::WriteOnly | QIODevice::Truncate));
        names.write("+441555042,A\n00441555042,B\n");
        names.close();
        r = runCli({"history", "query", "--archive", archive, "--names", path("names.csv")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("row 2: the number 00441555042 is also in row 1"), r.err.constData());
    }

    // Merges cut by kill -9 at random moments: the archive opens every time and holds each
    // merge whole or not at all.
    void killedMergesLeaveWholeMerges()
    {
        const QString archive = path("killed.db");
        constexpr int kBatch = 400;
        for (int round = 0; round < 20; ++round) {
            QProcess child;
            child.start(QStringLiteral(ZC_MERGER_PROGRAM), {archive, QString::number(kBatch)});
            QVERIFY(child.waitForStarted());
            QTest::qWait(int(QRandomGenerator::global()->bounded(50, 400)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());

            const CliRun r = runCli({"history", "query", "--archive", archive, "--format", "csv"});
            QVERIFY2(r.code == 0, r.err.constData());
            const int held = int(r.out.count('\n'));
            QVERIFY2(held % kBatch == 0, qPrintable(QString::number(held)));
            HistoryArchive a;
            QVERIFY(a.open(archive, false));
            QCOMPARE(a.count(), qint64(held));
            // Every record 1..held, each once: nothing of a cut merge stayed.
            const auto records = a.query({});
            QVERIFY(records);
            QSet<qint64> numbers;
            for (const HistoryModel::Record &rec : *records)
                numbers.insert(rec[0].toLongLong());
            QCOMPARE(numbers.size(), held);
            QVERIFY(held == 0 || (*std::min_element(numbers.begin(), numbers.end()) == 1 &&
                                  *std::max_element(numbers.begin(), numbers.end()) == held));
        }
    }

    // The delete waits for the archive: the records end up in it and the log is emptied; an
    // archive that cannot be written means no delete frame.
    void deleteAfterArchive()
    {
        Units unit({preset(devsim::Preset::Factory)});
        logRecords(*unit.sims[0], 1, 100);
        const QString blocked = path("no-such-folder/a.db");
        CliRun r = runCli({"history", "delete", "--port", unit.port(0), "--archive", blocked, "--yes"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("cannot be opened"), r.err.constData());
        QCOMPARE(writeFrames(*unit.sims[0], kCmdDeleteHistory), 0);
        QVERIFY(unit.area(0, Area::History) != QByteArray(areaBytes(Area::History), char(0xFF)));

        const QString archive = path("deleted.db");
        r = runCli({"history", "delete", "--port", unit.port(0), "--archive", archive, "--yes"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(writeFrames(*unit.sims[0], kCmdDeleteHistory), 1);
        QCOMPARE(unit.area(0, Area::History), QByteArray(areaBytes(Area::History), char(0xFF)));
        HistoryArchive a;
        QVERIFY(a.open(archive, false));
        QCOMPARE(a.count(), 100);
    }

    // 137 ended, 25 ending within 14 days, 30 later, 20 always, spread over the list.
    void expiringAndSweep()
    {
        Units unit({preset(devsim::Preset::Factory)});
        devsim::Simulator &sim = *unit.sims[0];
        const QDateTime now = QDateTime::currentDateTime();
        QList<int> rows;
        for (int r = 1; r <= 1000; ++r)
            rows << r;
        std::shuffle(rows.begin(), rows.end(), *QRandomGenerator::global());
        QSet<int> ended, ending;
        int next = 0;
        const auto put = [&](int count, const std::function<NumberRow(int)> &make, QSet<int> *into) {
            for (int i = 0; i < count; ++i) {
                const int row = rows[next++];
                NumberRow cells = make(i);
                cells[NumberColumn::Number] = QStringLiteral("+44155%1").arg(row, 4, 10, QChar(u'0'));
                QVERIFY(sim.setMemory(quint32(areaMap(Area::Numbers).base + (row - 1) * NumberEntry::kSize),
                                      entry(cells)));
                if (into) into->insert(row);
            }
        };
        const auto window = [&](const QDateTime &end) {
            NumberRow r;
            r[NumberColumn::StartDate] = QStringLiteral("2024-01-01");
            r[NumberColumn::StartTime] = QStringLiteral("00:00");
            r[NumberColumn::EndDate] = end.date().toString(QStringLiteral("yyyy-MM-dd"));
            r[NumberColumn::EndTime] = end.time().toString(QStringLiteral("HH:mm"));
            r[NumberColumn::Always] = CheckCell::kNo;
            r[NumberColumn::Delete] = CheckCell::kNo;
            return r;
        };
        put(
            137, [&](int i) { return window(now.addDays(-1 - i % 200).addSecs(-3600 * (i % 7))); }, &ended);
        put(
            25, [&](int i) { return window(now.addDays(1 + i % 12).addSecs(3600 * (i % 5))); }, &ending);
        put(
            30, [&](int i) { return window(now.addDays(20 + i)); }, nullptr);
        put(
            20,
            [&](int) {
                NumberRow r;
                r[NumberColumn::Always] = CheckCell::kYes;
                r[NumberColumn::Delete] = CheckCell::kNo;
                return r;
            },
            nullptr);
        const QByteArray before = unit.area(0, Area::Numbers);

        CliRun r = runCli({"numbers", "expiring", "--port", unit.port(0), "--within", "14", "--json"});
        QCOMPARE(r.code, 1);
        const QJsonArray listed = json(r.out).value("rows").toArray();
        QCOMPARE(listed.size(), 137 + 25);
        QString last;
        for (const QJsonValue &v : listed) {
            const QJsonObject o = v.toObject();
            const int row = o.value("row").toInt();
            QCOMPARE(o.value("state").toString(), ended.contains(row) ? QString("ended") : QString("ending"));
            QVERIFY(ended.contains(row) || ending.contains(row));
            const QString end = o.value("end_date").toString() + o.value("end_time").toString();
            QVERIFY(last <= end);
            last = end;
        }

        const QString today = now.date().toString(QStringLiteral("yyyy-MM-dd"));
        r = runCli({"numbers", "sweep", "--port", unit.port(0), "--ended-before", today, "--dry-run"});
        QCOMPARE(r.code, 0);
        QSet<int> named;
        for (const QByteArray &line : r.out.split('\n'))
            if (const auto m =
                    QRegularExpression(R"(^row (\d+): \+44155\d{4} ended \d{4}-\d\d-\d\d \d\d:\d\d$)")
                        .match(QString::fromUtf8(line));
                m.hasMatch())
                named.insert(m.captured(1).toInt());
        QCOMPARE(named, ended);
        QCOMPARE(writeFrames(sim, kCmdWriteBlock), 0);
        QCOMPARE(unit.area(0, Area::Numbers), before);

        r = runCli({"numbers", "sweep", "--port", unit.port(0), "--ended-before", today, "--verify"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.err.contains("number list verified"), r.err.constData());
        const QByteArray after = unit.area(0, Area::Numbers);
        QSet<int> pages;
        for (int row = 1; row <= 1000; ++row) {
            const qsizetype at = (row - 1) * NumberEntry::kSize;
            if (ended.contains(row)) {
                pages.insert((row - 1) / NumberEntry::kPerPage);
                QCOMPARE(after.mid(at, NumberEntry::kSize), QByteArray(NumberEntry::kSize, char(0xFF)));
            } else {
                QCOMPARE(after.mid(at, NumberEntry::kSize), before.mid(at, NumberEntry::kSize));
            }
        }
        // Only the pages that held an ended row were sent.
        const int written = writeFrames(sim, kCmdWriteBlock);
        QCOMPARE(written, int(pages.size()));

        r = runCli({"numbers", "sweep", "--port", unit.port(0), "--ended-before", today});
        QCOMPARE(r.code, 0);
        QCOMPARE(writeFrames(sim, kCmdWriteBlock), written);
        QCOMPARE(unit.area(0, Area::Numbers), after);
    }
};

QTEST_GUILESS_MAIN(TstCliArchive)
#include "tst_cli_archive.moc"
