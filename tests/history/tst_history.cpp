// History log: record and page decoding with the finishing pass, the filter and its sort
// order, the filter drawing from the whole log, the chart's counts, the text file bytes,
// and the table model contract.
#include "history/history_chart.h"
#include "history/history_codec.h"
#include "history/history_csv.h"
#include "history/history_filter.h"
#include "history/history_json.h"
#include "history/history_model.h"
#include "history/history_store.h"
#include "link/device_text.h"
#include "link/frame.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace zc;
using Record = HistoryModel::Record;
using Pages = QList<std::pair<int, QByteArray>>; // reply address, payload

namespace {

// A 128-byte record: head is the hex of bytes 0..11 (number, date, time, source, action).
QByteArray rec(const char *head, const QByteArray &executant = {}, const QByteArray &content = {})
{
    QByteArray r = QByteArray::fromHex(head);
    r += (executant + QByteArray(1, '\0')).left(22).leftJustified(22, char(0xFF));
    r += (content + QByteArray(1, '\0')).left(41).leftJustified(41, char(0xFF));
    return r.leftJustified(128, char(0xFF));
}

const QByteArray kErased(128, char(0xFF));
const QString kEmpty = QStringLiteral("||||||");

Record cells(const QString &joined)
{
    const QStringList parts = joined.split(u'|');
    Record r;
    for (int i = 0; i < int(r.size()) && i < parts.size(); ++i)
        r[i] = parts[i];
    return r;
}

QString joined(const Record &r)
{
    return QStringList(r.begin(), r.end()).join(u'|');
}

void fill(HistoryModel &model, const QStringList &rows)
{
    QList<Record> records;
    for (const QString &row : rows)
        records << cells(row);
    model.replaceRecords(records);
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void filter_data();
    void filter();
    void filterOrderProperty();
    void filterFromTheWholeLog();
    void chartCounts_data();
    void chartCounts();
    void csv_data();
    void csv();
    void jsonRoundTripProperty();
    void modelContract();
};

void TestHistory::decode_data()
{
    QTest::addColumn<Pages>("pages");
    QTest::addColumn<bool>("finish");
    QTest::addColumn<int>("changes");      // dataChanged signals of the decoding
    QTest::addColumn<QStringList>("rows"); // "row:cells" of every row not left as before

    const int p1 = historyPageAddress(1), p2 = historyPageAddress(2), p3 = historyPageAddress(3);
    const QString ff41 = DeviceText::fromBytes(QByteArray(41, char(0xFF)));
    const QByteArray example = rec("01000000 0f0302 090500 01 02", "+4416329600", "Relay ON");
    const QString exampleCells = "1|2015-03-02|09:05:00|SMS|Relay ON|+4416329600|Relay ON";

    QTest::newRow("example record, erased slot") << Pages{{p1, example + kErased}} << false << 1
                                                 << QStringList{"1:" + exampleCells, "2:||||||" + ff41};
    QTest::newRow("numbers, actions that replace the source")
        << Pages{{p1, rec("00010000 0f0302 090500 03 04") + rec("feffffff 0f0302 090500 00 05")},
                 {p2, rec("01000000 0f0302 090500 01 06") + rec("02000000 0f0302 090500 02 09")}}
        << false << 2
        << QStringList{"1:256|2015-03-02|09:05:00|DIN1|DIN1 Alarm||",
                       "2:-2|2015-03-02|09:05:00|DIN2|DIN2 Alarm||",
                       "3:1|2015-03-02|09:05:00|Power supply|Power failure||",
                       "4:2|2015-03-02|09:05:00|Power supply|Power recovery||"};
    QTest::newRow("codes out of range, no time, no date, year byte 115, text ends")
        << Pages{{p1, rec("01000000 0f0302 09ff00 04 0a", "+12a3", "\x52\xc3\xa9\xfe") +
                          rec("02000000 0fff02 090500 ff 08", QByteArray(23, '7'), QByteArray(42, 'c'))},
                 {p2, rec("03000000 730302 090500 00 03")}}
        << false << 2
        << QStringList{"1:1|2015-03-02||||+12|" + DeviceText::fromBytes("R\xc3\xa9\xfe"),
                       "2:2||09:05:00||Disarm|" + QString(22, u'7') + "|" + QString(41, u'c'),
                       "3:3|20115-03-02|09:05:00|COM Port|Relay OFF||"};
    QTest::newRow("year byte 0 keeps the content")
        << Pages{{p1, rec("01000000 000302 090500 01 02", "+1", "x") + kErased}} << false << 1
        << QStringList{"1:||||||stale", "2:||||||" + ff41};
    QTest::newRow("page 500 fills rows 999 and 1000")
        << Pages{{0x2F300, example + example}} << false << 1
        << QStringList{"999:" + exampleCells, "1000:" + exampleCells};
    QTest::newRow("outside the log, short payloads") << Pages{{kHistoryBase - kPageSize, example},
                                                              {historyPageAddress(501), example},
                                                              {INT32_MIN, example},
                                                              {p2, example + example.left(100)},
                                                              {p3, example.left(127)}}
                                                     << false << 1 << QStringList{"3:" + exampleCells};
    QTest::newRow("pages 1 and 3 only")
        << Pages{{p1, rec("01000000 0f0302 090500 01 02") + rec("02000000 0f0302 090501 01 03")},
                 {p2, kErased + kErased},
                 {p3, rec("03000000 0f0303 090500 01 07") + rec("04000000 0f0303 090501 01 08")}}
        << true << 3
        << QStringList{"1:1|2015-03-02|09:05:00|SMS|Relay ON||", "2:2|2015-03-02|09:05:01|SMS|Relay OFF||",
                       "3:3|2015-03-03|09:05:00|SMS|Arm||", "4:4|2015-03-03|09:05:01|SMS|Disarm||"};
    QTest::newRow("finish keeps 2079 and year byte 115 (2011 by its first four characters); drops 2080, "
                  "no date, no number")
        << Pages{{p1, rec("01000000 4f0c1f 173b3b 00 00") + rec("02000000 500101 000000 00 00")},
                 {p2, rec("03000000 ff0101 000000 00 00") + rec("04000000 730101 000000 00 00")},
                 {p3, rec("ffffffff 0f0101 000000 00 00") + rec("06000000 0f0101 000000 00 00")}}
        << true << 3
        << QStringList{"1:1|2079-12-31|23:59:59|COM Port|Add number||",
                       "2:4|20115-01-01|00:00:00|COM Port|Add number||",
                       "3:6|2015-01-01|00:00:00|COM Port|Add number||"};
}

void TestHistory::decode()
{
    QFETCH(Pages, pages);
    QFETCH(bool, finish);
    QFETCH(int, changes);
    QFETCH(QStringList, rows);

    HistoryModel model;
    const QString stale = QStringLiteral("stale|stale|stale|stale|stale|stale|stale");
    model.replaceRecords(QList<Record>(HistoryModel::LastRecordRow, cells(stale)));
    QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
    for (const auto &[address, payload] : pages)
        HistoryCodec::decodePage(
            address, {reinterpret_cast<const std::uint8_t *>(payload.data()), std::size_t(payload.size())},
            model);
    QCOMPARE(spy.count(), changes);
    if (finish) HistoryCodec::FinishHistoryRead(model);

    QStringList got;
    for (int row = HistoryModel::FirstRecordRow; row <= HistoryModel::LastRecordRow; ++row)
        if (joined(model.record(row)) != (finish ? kEmpty : stale))
            got << QString::number(row) + ":" + joined(model.record(row));
    QCOMPARE(got, rows);
}

void TestHistory::filter_data()
{
    QTest::addColumn<QStringList>("stamps"); // "date|time" of rows 1, 2, ...; record number = row
    QTest::addColumn<QString>("range");      // start and end, "yyyy-MM-dd H:mm:ss" each
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("numbers"); // record numbers in rows 1, 2, ... afterwards

    const QStringList one{"2015-03-02|10:00:00"};
    QTest::newRow("start equals end") << one << "2015-03-02 0:00:00 2015-03-02 0:00:00"
                                      << "Time selection error" << QStringList{};
    QTest::newRow("start after end") << one << "2015-03-03 10:00:00 2015-03-02 23:00:00"
                                     << "Time selection error" << QStringList{};
    QTest::newRow("stamps on the bounds do not match")
        << QStringList{"2015-03-02|09:05:00", "2015-03-02|09:05:01", "2015-03-04|00:00:00",
                       "2015-03-03|00:00:00", "2015-03-03|23:59:59", "2015-03-01|12:00:00"}
        << "2015-03-02 9:05:00 2015-03-04 0:00:00" << QString() << QStringList{"2", "4", "5"};
    QTest::newRow("same day strictly between")
        << QStringList{"2015-03-05|08:00:00", "2015-03-05|08:00:01", "2015-03-05|17:59:59",
                       "2015-03-05|18:00:00", "2015-03-06|12:00:00"}
        << "2015-03-05 8:00:00 2015-03-05 18:00:00" << QString() << QStringList{"2", "3"};
    QTest::newRow("sorted by date then time, ties in grid order")
        << QStringList{"2015-03-04|08:00:00", "2015-03-02|12:00:00", "2015-03-02|07:30:00",
                       "2015-03-02|12:00:00"}
        << "2015-03-01 0:00:00 2015-03-05 0:00:00" << QString() << QStringList{"3", "2", "4", "1"};
    QTest::newRow("no date or time in the decoder's layout")
        << QStringList{"2015-03-02|", "|09:00:00", "20115-03-02|09:05:00", "2015-03-02|9:5:0",
                       "2015-3-2|09:05:00"}
        << "2015-03-01 0:00:00 2015-03-05 0:00:00"
        << "No correct records" << QStringList{};
    QTest::newRow("two-digit keys past 2099") << one << "2099-12-31 0:00:00 2100-01-01 0:00:00"
                                              << "No records" << QStringList{};
    QStringList forty; // minutes 39 down to 0
    for (int i = 0; i < 40; ++i)
        forty << QStringLiteral("2015-05-10|12:%1:00").arg(39 - i, 2, 10, QLatin1Char('0'));
    QTest::newRow("keeps 3 of 40") << forty << "2015-05-10 12:04:00 2015-05-10 12:08:00" << QString()
                                   << QStringList{"35", "34", "33"};
}

void TestHistory::filter()
{
    QFETCH(QStringList, stamps);
    QFETCH(QString, range);
    QFETCH(QString, message);
    QFETCH(QStringList, numbers);

    HistoryModel model;
    QStringList rows;
    for (int i = 0; i < stamps.size(); ++i)
        rows << QStringLiteral("%1|%2|SMS|Relay ON|+1|c").arg(i + 1).arg(stamps[i]);
    fill(model, rows);

    const QStringList r = range.split(u' ');
    const QDate d1 = QDate::fromString(r[0], Qt::ISODate), d2 = QDate::fromString(r[2], Qt::ISODate);
    const QTime t1 = QTime::fromString(r[1], "H:mm:ss"), t2 = QTime::fromString(r[3], "H:mm:ss");
    const FilterResult result = FilterHistory(model, d1, t1, d2, t2);
    QCOMPARE(result.message, message);
    QCOMPARE(result.rows, int(numbers.size()));
    QStringList got;
    for (int row = 1; row <= HistoryModel::LastRecordRow; ++row) {
        QCOMPARE(model.text(row, HistoryModel::SerialColumn), QString::number(row));
        if (!message.isEmpty())
            QCOMPARE(joined(model.record(row)), row <= rows.size() ? rows[row - 1] : kEmpty);
        else if (row > numbers.size())
            QCOMPARE(joined(model.record(row)), kEmpty);
        else
            got << model.text(row, HistoryModel::NumberColumn);
    }
    QCOMPARE(got, numbers);
}

void TestHistory::filterOrderProperty()
{
    struct Entry
    {
        QString number;
        int date, time;
    };
    // Keys from character positions of the texts, the four match rules, the exchange passes.
    const auto reference = [](const HistoryModel &m, int S, int s, int E, int e) {
        QList<Entry> list;
        for (int row = 1; row <= HistoryModel::LastRecordRow; ++row) {
            const QString n = m.text(row, 1), d = m.text(row, 2), t = m.text(row, 3);
            if (n.isEmpty() || d.isEmpty() || t.isEmpty()) continue;
            const Entry x{n, d.mid(2, 2).toInt() * 10000 + d.mid(5, 2).toInt() * 100 + d.right(2).toInt(),
                          t.left(2).toInt() * 10000 + t.mid(3, 2).toInt() * 100 + t.right(2).toInt()};
            if ((S < x.date && x.date < E) || (S < x.date && x.date == E && x.time < e) ||
                (S == x.date && x.date < E && x.time > s) ||
                (S == x.date && x.date == E && s < x.time && x.time < e))
                list << x;
        }
        for (int pass = 0; pass < list.size(); ++pass)
            for (int i = 0; i + 1 < list.size(); ++i)
                if (list[i].date > list[i + 1].date) list.swapItemsAt(i, i + 1);
        for (int pass = 0; pass < list.size(); ++pass)
            for (int i = 0; i + 1 < list.size(); ++i)
                if (list[i].date == list[i + 1].date && list[i].time > list[i + 1].time)
                    list.swapItemsAt(i, i + 1);
        QStringList numbers;
        for (const Entry &x : list)
            numbers << x.number;
        return numbers;
    };

    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator rng(seed);
        // Few distinct days and times, so that many records tie.
        const auto stamp = [&rng] {
            return QDateTime(QDate(2015, 3, rng.bounded(1, 6)),
                             QTime(rng.bounded(0, 3) * 8, 0, rng.bounded(0, 2)));
        };
        QList<Record> records(rng.bounded(0, 1001));
        for (int i = 0; i < records.size(); ++i) {
            if (rng.bounded(10) != 0) continue; // most rows empty
            const QDateTime t = stamp();
            records[i] =
                cells(QStringLiteral("%1|%2|SMS|Arm||").arg(i + 1).arg(t.toString("yyyy-MM-dd|HH:mm:ss")));
        }
        QDateTime from = stamp(), to = stamp();
        if (from == to) continue;
        if (from > to) std::swap(from, to);

        HistoryModel model;
        model.replaceRecords(records);
        const auto dkey = [](QDate d) { return dateKey(d.year(), d.month(), d.day()); };
        const auto tkey = [](QTime t) { return timeKey(t.hour(), t.minute(), t.second()); };
        const QStringList want =
            reference(model, dkey(from.date()), tkey(from.time()), dkey(to.date()), tkey(to.time()));
        const FilterResult r = FilterHistory(model, from.date(), from.time(), to.date(), to.time());
        QStringList got;
        for (int row = 1; row <= r.rows; ++row)
            got << model.text(row, HistoryModel::NumberColumn);
        if (got != want) qWarning("seed %u", seed);
        QCOMPARE(got, want);
    }
}

void TestHistory::filterFromTheWholeLog()
{
    HistoryModel model;
    fill(model, {"1|2015-03-04|08:00:00|SMS|Relay ON||", "2|2015-03-02|12:00:00|SMS|Arm||",
                 "3|2015-03-02|07:30:00|GPRS|Relay OFF||", "4|2015-03-05|10:00:00|SMS|Disarm||"});
    HistoryStore log;
    log.takeFrom(model);
    QCOMPARE(log.size(), 4);
    // Narrow, then wider again: the records the narrow range left out come back without a read.
    QCOMPARE(
        FilterHistory(log.records(), model, QDate(2015, 3, 2), QTime(0, 0), QDate(2015, 3, 3), QTime(0, 0))
            .rows,
        2);
    QCOMPARE(model.text(1, HistoryModel::NumberColumn), QStringLiteral("3"));
    QCOMPARE(model.text(3, HistoryModel::NumberColumn), QString());
    QCOMPARE(
        FilterHistory(log.records(), model, QDate(2015, 3, 1), QTime(0, 0), QDate(2015, 3, 6), QTime(0, 0))
            .rows,
        4);
    QCOMPARE(model.text(4, HistoryModel::NumberColumn), QStringLiteral("4"));
    // A range with nothing in it leaves the table as it was.
    QCOMPARE(
        FilterHistory(log.records(), model, QDate(2016, 1, 1), QTime(0, 0), QDate(2016, 1, 2), QTime(0, 0))
            .message,
        QStringLiteral("No records"));
    QCOMPARE(model.text(4, HistoryModel::NumberColumn), QStringLiteral("4"));
    log.showAll(model);
    QCOMPARE(model.text(1, HistoryModel::NumberColumn), QStringLiteral("1"));
}

// Rows of the log; the expected bars as "first day:relay,alarm,power,list,arming".
void TestHistory::chartCounts_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("period");
    QTest::addColumn<QStringList>("bars");
    QTest::newRow("per day, gaps kept, unknown kinds left out")
        << QStringList{"1|2015-03-02|09:05:00|SMS|Relay ON||",
                       "2|2015-03-02|09:06:00|SMS|Relay OFF||",
                       "3|2015-03-02|10:00:00|DIN1|DIN1 Alarm||",
                       "4|2015-03-04|00:00:00|Power supply|Power failure||",
                       "5|2015-03-04|00:10:00|Power supply|Power recovery||",
                       "6|2015-03-04|11:00:00|SMS|Add number||",
                       "7|2015-03-02|12:00:00|SMS|Delete Number||",
                       "8|2015-03-04|12:00:00|SMS|Arm||",
                       "9|2015-03-03|12:00:00|SMS|||",
                       "10||12:00:00|SMS|Disarm||"}
        << int(HistoryChartData::Period::Day)
        << QStringList{"2015-03-02:2,1,0,1,0", "2015-03-03:0,0,0,0,0", "2015-03-04:0,0,2,1,1"};
    QTest::newRow("per week from Monday")
        << QStringList{"1|2015-03-04|09:05:00|SMS|Relay ON||", "2|2015-05-10|09:05:00|DIN2|DIN2 Alarm||"}
        << int(HistoryChartData::Period::Week) << QStringList{"2015-03-02:1,0,0,0,0", "2015-05-04:0,1,0,0,0"};
    QTest::newRow("per month") << QStringList{"1|2015-01-31|09:05:00|SMS|Disarm||",
                                              "2|2016-02-01|09:05:00|SMS|Disarm||",
                                              "3|2016-02-29|23:59:59|SMS|Arm||"}
                               << int(HistoryChartData::Period::Month)
                               << QStringList{"2015-01-01:0,0,0,0,1", "2016-02-01:0,0,0,0,2"};
    QTest::newRow("nothing to count")
        << QStringList{"1||||Relay ON||"} << int(HistoryChartData::Period::Day) << QStringList{};
}

void TestHistory::chartCounts()
{
    QFETCH(QStringList, rows);
    QFETCH(int, period);
    QFETCH(QStringList, bars);
    HistoryModel model;
    fill(model, rows);
    const HistoryChartData data = HistoryChart::count(model);
    QCOMPARE(int(data.period), period);
    // Every listed bar is where its first day puts it; the others are empty.
    int listed = 0, total = 0;
    for (const HistoryBucket &b : data.buckets) {
        QVERIFY(b.first <= b.last);
        total += b.total();
        const QString key = b.first.toString(Qt::ISODate) + u':';
        const QStringList match = bars.filter(key);
        const QList<int> c(b.counts.begin(), b.counts.end());
        QStringList counts;
        for (int n : c)
            counts << QString::number(n);
        if (match.isEmpty()) {
            QCOMPARE(b.total(), 0);
            continue;
        }
        ++listed;
        QCOMPARE(key + counts.join(u','), match.first());
    }
    QCOMPARE(listed, bars.size());
    QCOMPARE(total, data.counted);
}

void TestHistory::csv_data()
{
    QTest::addColumn<QStringList>("rows"); // columns 1..7 of rows 1, 2, ...
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("example line") << QStringList{"1|2015-03-02|09:05:00|SMS|Relay ON|+4416329600|Relay ON"}
                                  << QByteArray(
                                         "1,1,2015-03-02,09:05:00,SMS,Relay ON,+4416329600,Relay ON,,\r\n");
    QTest::newRow("before any read") << QStringList{} << QByteArray();
    QTest::newRow("only rows with a number")
        << QStringList{"||||||left", "7||||Arm||"} << QByteArray("2,7,,,,Arm,,,,\r\n");
    QTest::newRow("comma and quotes are quoted")
        << QStringList{"1||||||Door 1, gate", "2||||||say \"hi\"\r\n"}
        << QByteArray("1,1,,,,,,\"Door 1, gate\",,\r\n2,2,,,,,,\"say \"\"hi\"\"\r\n\",,\r\n");
    QTest::newRow("device bytes as held") << QStringList{"3||||||" + DeviceText::fromBytes("\xff\xc3\xa9")}
                                          << QByteArray("1,3,,,,,,\xff\xc3\xa9,,\r\n");
}

void TestHistory::csv()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, bytes);
    HistoryModel model;
    fill(model, rows);
    QCOMPARE(HistoryCsv::fileBytes(model), bytes);
}

void TestHistory::jsonRoundTripProperty()
{
    // The records of the rows that have a record number come back in row order, any text
    // (device bytes and what JSON escapes included) as it was; a field of another kind is
    // refused naming the row.
    const QStringList pieces{"7",    "Relay ON", "\"",         "\\",   ",",
                             "\r\n", "\u00e9",   "\U0001F600", "\x1f", DeviceText::fromBytes("\xff")};
    for (quint32 seed = 1; seed <= 30; ++seed) {
        QRandomGenerator rng(seed);
        HistoryModel model;
        QList<Record> records, expected;
        for (int r = HistoryModel::FirstRecordRow; r <= HistoryModel::LastRecordRow; ++r) {
            Record rec;
            for (QString &field : rec)
                for (int n = int(rng.bounded(4)); n > 0; --n)
                    field += pieces[int(rng.bounded(int(pieces.size())))];
            records << rec;
            if (!rec[0].isEmpty()) expected << rec;
        }
        model.replaceRecords(records);
        QString error;
        QCOMPARE(HistoryJson::records(HistoryJson::bytes(model), &error), expected);
        QCOMPARE(error, QString());
    }
    QString error;
    QVERIFY(
        HistoryJson::records(R"({"records": [{"row": 1}, {"row": 2, "date": 20150302}]})", &error).isEmpty());
    QCOMPARE(error, QStringLiteral("row 2: \"date\" must be a text"));
}

void TestHistory::modelContract()
{
    HistoryModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(model, {"1|2015-03-02|09:05:00|SMS|Relay ON|+1|c", "2|2015-03-03|09:05:00|SMS|Arm||"});
    const QByteArray page = rec("05000000 0f0302 090500 01 02") + kErased;
    HistoryCodec::decodePage(historyPageAddress(2),
                             {reinterpret_cast<const std::uint8_t *>(page.data()), 256}, model);
    HistoryCodec::FinishHistoryRead(model);
    QCOMPARE(FilterHistory(model, QDate(2015, 3, 1), QTime(0, 0), QDate(2015, 3, 4), QTime(0, 0)).rows, 3);
    QVERIFY(!model.setData(model.index(1, 2), QStringLiteral("x")));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
