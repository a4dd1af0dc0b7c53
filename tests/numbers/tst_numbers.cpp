// The number list: entry and page encoding, the list checks, the text export, the workbook
// row checks and the table model.
#include "link/device_text.h"
#include "numbers/number_check.h"
#include "numbers/number_list_check.h"
#include "numbers/number_save_checks.h"
#include "numbers/numbers_codec.h"
#include "numbers/numbers_csv.h"
#include "numbers/numbers_diff.h"
#include "numbers/numbers_import.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "numbers/numbers_sheet.h"
#include "words/diff_words.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace zc;
using namespace zc::NumberColumn;

namespace {

// Cells Number..Delete into a table row (Serial left empty).
NumberRow rowOf(const QStringList &cells)
{
    NumberRow r;
    for (int c = Number; c <= Delete; ++c)
        r[c] = cells.value(c - Number);
    return r;
}

QStringList readBack(const NumbersModel &m, int row)
{
    QStringList out;
    for (int c = Number; c <= Always; ++c)
        out << m.text(row, c);
    return out;
}

void fillRow(NumbersModel &m, int row, const QStringList &cells)
{
    for (int c = 0; c < cells.size(); ++c)
        m.setText(row, Number + c, cells[c]);
}

const QStringList kStale(7, QStringLiteral("stale")); // Number..Delete

} // namespace

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
    void pages();
    void roundTripProperty();
    void jsonRoundTripProperty();
    void jsonRefused_data();
    void jsonRefused();
    void saveCheck();
    void validate_data();
    void validate();
    void csv();
    void csvFiles_data();
    void csvFiles();
    void import_data();
    void import();
    void importCellKinds();
    void model();
    void doubtful_data();
    void doubtful();
    void saveChecks_data();
    void saveChecks();
    void diff_data();
    void diff();
};

void TestNumbers::entry_data()
{
    QTest::addColumn<QStringList>("cells"); // Number..Delete; empty for a read-only vector
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QStringList>("shown"); // Number..Always after reading the entry back

    const QByteArray z = "00";
    QTest::newRow("deleted") << QStringList{"+4930123", "2024/05/06", "08:00", "2024/06/30",
                                            "18:30",    "no",         "yes"}
                             << "ff" + QByteArray("ff").repeated(31) << QStringList{"", "", "", "", "", "no"};
    QTest::newRow("always, 14 characters")
        << QStringList{"+4915112345678", "", "", "", "", "yes", "no"}
        << QByteArray("+4915112345678").toHex() + z.repeated(8) + QByteArray("63").repeated(8) + "0063"
        << QStringList{"+4915112345678", "", "", "", "", "yes"};
    QTest::newRow("window, one-digit time")
        << QStringList{"5550987", "2031/12/09", "8:5", "2031-12-31", "23:59", "no", "no"}
        << QByteArray("5550987").toHex() + z.repeated(15) + "0c0908050c1f173b1f1f"
        << QStringList{"5550987", "2031-12-09", "08:05", "2031-12-31", "23:59", "no"};
    QTest::newRow("dash and slash alike")
        << QStringList{"1", "2024-05-06", "07:30", "2024/06/30", "18:30", "no", "no"}
        << "31" + z.repeated(21) + "0506071e061e121e1818"
        << QStringList{"1", "2024-05-06", "07:30", "2024-06-30", "18:30", "no"};
    QTest::newRow("five-character times read by position")
        << QStringList{"1", "2024/05/06", "08.30", "2024/06/30", "18h45", "no", "no"}
        << "31" + z.repeated(21) + "0506081e061e122d1818"
        << QStringList{"1", "2024-05-06", "08:30", "2024-06-30", "18:45", "no"};
    QTest::newRow("empty row") << QStringList{"", "", "", "", "", "no", "no"} << z.repeated(32)
                               << QStringList{"", "", "", "", "", "no"};
    QTest::newRow("22 digits fill the field")
        << QStringList{"1234567890123456789012", "", "", "", "", "no", "no"}
        << QByteArray("1234567890123456789012").toHex() + z.repeated(10)
        << QStringList{"1234567890123456789012", "", "00:00", "", "00:00", "no"};
    QTest::newRow("always test skips bytes 30, 31")
        << QStringList() << "31" + z.repeated(21) + QByteArray("63").repeated(8) + "1234"
        << QStringList{"1", "", "", "", "", "yes"};
    QTest::newRow("number ends at a letter")
        << QStringList() << "313241" + z.repeated(29) << QStringList{"12", "", "00:00", "", "00:00", "no"};
    QTest::newRow("values above 99") << QStringList() << "31" + z.repeated(21) + "0506ff07050608097b7b"
                                     << QStringList{"1",           "20123-05-06", "255:07",
                                                    "20123-05-06", "08:09",       "no"};
    QTest::newRow("month or day 0 shows no date")
        << QStringList() << "31" + z.repeated(21) + "00060800050009001818"
        << QStringList{"1", "", "08:00", "", "09:00", "no"};
}

void TestNumbers::entry()
{
    QFETCH(QStringList, cells);
    QFETCH(QByteArray, hex);
    QFETCH(QStringList, shown);
    const QByteArray bytes = QByteArray::fromHex(hex);
    QCOMPARE(bytes.size(), 32);

    if (!cells.isEmpty()) {
        const auto e = NumbersCodec::encodeEntry(rowOf(cells));
        QVERIFY(e);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(e->data()), 32).toHex(' '), bytes.toHex(' '));
    }
    // Read back as page 1 over a row full of old texts: Serial and Delete keep theirs.
    NumbersModel m;
    fillRow(m, 1, kStale);
    QVERIFY(
        NumbersCodec::decodePage(1, std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), 32), m));
    QCOMPARE(readBack(m, 1), shown);
    QCOMPARE(m.text(1, Serial), QStringLiteral("1"));
    QCOMPARE(m.text(1, Delete), QStringLiteral("stale"));
}

void TestNumbers::pages()
{
    NumbersModel m;
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    NumbersCodec::Page p{};
    for (int i = 0; i < 8; ++i)
        p[i * 32] = std::uint8_t('1' + i);

    // A reply for 0x1800 fills rows 65..72 with one notification.
    QCOMPARE(NumbersCodec::pageOfAddress(0x1800), 9);
    QVERIFY(NumbersCodec::decodePage(9, p, m));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m.text(65, Number), QStringLiteral("1"));
    QCOMPARE(m.text(72, Number), QStringLiteral("8"));
    QVERIFY(m.text(64, Number).isEmpty() && m.text(73, Number).isEmpty());

    // Pages outside the list write nothing; a short reply decodes only the entries that arrived.
    QCOMPARE(NumbersCodec::pageOfAddress(0x0F80), 0);
    QVERIFY(!NumbersCodec::decodePage(0, p, m));
    QVERIFY(!NumbersCodec::decodePage(126, p, m));
    QVERIFY(NumbersCodec::decodePage(1, std::span(p).first(40), m));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(m.text(1, Number), QStringLiteral("1"));
    QVERIFY(m.text(2, Number).isEmpty());

    QVERIFY(!NumbersCodec::encodePage(126, m).ok);
}

void TestNumbers::jsonRoundTripProperty()
{
    // Any texts, device bytes and the characters JSON escapes included, come back as the
    // cells they were written from; rows without a number are left out.
    const QStringList pieces{"0",
                             "+",
                             "\"",
                             "\\",
                             ",",
                             "\r\n",
                             "\t",
                             "\u00e9",
                             "\u20ac",
                             "\U0001F600",
                             "/",
                             "\x01",
                             DeviceText::fromBytes("\xff\xfe")};
    for (quint32 seed = 1; seed <= 30; ++seed) {
        QRandomGenerator rng(seed);
        const auto text = [&] {
            QString t;
            for (int n = int(rng.bounded(5)); n > 0; --n)
                t += pieces[int(rng.bounded(int(pieces.size())))];
            return t;
        };
        NumbersModel m;
        QList<QStringList> expected(NumbersModel::Rows);
        expected[0] = QStringList{"Serial"};
        for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
            if (rng.bounded(3) == 0) continue;
            const QStringList cells{text(), text(), text(), text(), text(), rng.bounded(2) ? "yes" : "no",
                                    "yes"};
            fillRow(m, r, cells);
            if (!cells[0].isEmpty())
                expected[r] = QStringList{QString::number(r)} + cells.first(6) + QStringList{"no"};
        }
        QString error;
        QCOMPARE(NumbersJson::cells(NumbersJson::bytes(m), &error), expected);
        QCOMPARE(error, QString());
    }
}

void TestNumbers::jsonRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not JSON") << QByteArray("row,number\r\n") << "not valid JSON at byte";
    QTest::newRow("cut short") << QByteArray("{\"rows\": [") << "not valid JSON at byte";
    QTest::newRow("a list, not an object") << QByteArray("[]") << "the JSON is no object";
    QTest::newRow("UTF-16") << QByteArray("\xff\xfe{\0}\0", 6) << "the file is UTF-16 text";
    QTest::newRow("another kind")
        << QByteArray("{\"format\": \"zarvento-cli/settings\", \"version\": 1}")
        << "the JSON is a \"zarvento-cli/settings\" document, not \"zarvento-cli/numbers\"";
    QTest::newRow("a later version") << QByteArray("{\"format\": \"zarvento-cli/numbers\", \"version\": 2}")
                                     << "the JSON has version 2; this program reads version 1";
    QTest::newRow("no rows") << QByteArray("{\"rows\": {}}") << "the JSON has no \"rows\" list";
    QTest::newRow("row 0") << QByteArray("{\"rows\": [{\"row\": 0}]}")
                           << "every entry of \"rows\" needs a \"row\" number from 1 to 1000";
    QTest::newRow("row as text") << QByteArray("{\"rows\": [{\"row\": \"5\"}]}")
                                 << "every entry of \"rows\" needs a \"row\" number from 1 to 1000";
    QTest::newRow("row twice") << QByteArray("{\"rows\": [{\"row\": 5}, {\"row\": 5}]}")
                               << "row 5 is given twice";
    QTest::newRow("number as a number") << QByteArray("{\"rows\": [{\"row\": 9, \"number\": 555}]}")
                                        << "row 9: number, dates and times must be texts";
    QTest::newRow("always as text") << QByteArray("{\"rows\": [{\"row\": 9, \"always\": \"yes\"}]}")
                                    << "row 9: \"always\" must be true or false";
}

void TestNumbers::jsonRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(NumbersJson::cells(bytes, &error).isEmpty());
    QVERIFY2(error.startsWith(reason), qPrintable(error));
}

void TestNumbers::roundTripProperty()
{
    // Random lists the editor can produce: a table saved and read back shows what the unit keeps.
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator rng(seed);
        const auto pick = [&rng](int n) { return int(rng.bounded(n)); };
        NumbersModel saved, read;
        QList<QStringList> expected(NumbersModel::Rows);
        for (int r = 1; r <= NumbersModel::LastEntry; ++r) {
            QString number;
            for (int n = pick(4) == 0 ? 0 : 1 + pick(22); n > 0; --n)
                number += QChar(u"+0123456789"[pick(11)]);
            const bool always = pick(5) == 0, deleted = pick(10) == 0;
            QStringList cells{number, "", "", "", "", always ? "yes" : "no", deleted ? "yes" : "no"};
            QStringList shown{number, "", "00:00", "", "00:00", "no"};
            for (int c : {1, 3}) {
                if (pick(6) == 0) continue;
                const int y = pick(100), mo = 1 + pick(12),
                          d = 1 + pick(QDate(2000 + y, mo, 1).daysInMonth());
                const char sep = pick(2) ? '/' : '-';
                cells[c] = QString::asprintf("20%02d%c%02d%c%02d", y, sep, mo, sep, d);
                shown[c] = QString::asprintf("20%02d-%02d-%02d", y, mo, d);
            }
            for (int c : {2, 4}) {
                if (pick(6) == 0) continue;
                const int h = pick(24), mi = pick(60);
                cells[c] =
                    pick(2) ? QString::asprintf("%02d:%02d", h, mi) : QString::asprintf("%d:%d", h, mi);
                shown[c] = QString::asprintf("%02d:%02d", h, mi);
            }
            // A whole window never ends before it starts.
            if (!cells[1].isEmpty() && !cells[2].isEmpty() && !cells[3].isEmpty() && !cells[4].isEmpty() &&
                shown[3] + shown[4] < shown[1] + shown[2]) {
                std::swap(cells[1], cells[3]);
                std::swap(cells[2], cells[4]);
                std::swap(shown[1], shown[3]);
                std::swap(shown[2], shown[4]);
            }
            if (deleted || (!always && number.isEmpty()))
                shown = QStringList{"", "", "", "", "", "no"};
            else if (always)
                shown = QStringList{number, "", "", "", "", "yes"};
            fillRow(saved, r, cells);
            fillRow(read, r, kStale);
            expected[r] = shown;
        }
        QVERIFY(NumberCheck::saveRefusal(saved).isEmpty());
        for (int p = 1; p <= kNumberPages; ++p) {
            const auto e = NumbersCodec::encodePage(p, saved);
            QVERIFY2(e.ok, qPrintable(e.error));
            QVERIFY(NumbersCodec::decodePage(p, e.page, read));
        }
        for (int r = 1; r <= NumbersModel::LastEntry; ++r)
            if (readBack(read, r) != expected[r]) {
                qWarning("seed %u row %d", seed, r);
                QCOMPARE(readBack(read, r), expected[r]);
            }
    }
}

void TestNumbers::saveCheck()
{
    NumbersModel m;
    fillRow(m, 3, {"555", "2024/5/6", "08:00", "2024/06/30", "7.30"});
    fillRow(m, 9, {"+49 30", "", "", "", "", "yes"});
    fillRow(m, 11, {"ab", "garbage", "x", "", "", "no", "yes"}); // deleted: nothing is read
    for (int r = 20; r <= 31; ++r)
        fillRow(m, r, {"1234567890123456789012345", "", "", "", "", "yes"});
    const QString msg = NumberCheck::saveRefusal(m);
    QVERIFY2(
        msg.startsWith("The Authorized number list was not saved: 14 rows cannot be sent as they stand.\n"
                       "Row 3: Start Date \"2024/5/6\": not a date like 2024/05/06; End Time \"7.30\": not a "
                       "time like 07:30\n"
                       "Row 9: Authorized number \"+49 30\": a number holds only \"+\" and digits\n"
                       "Row 20: the number has 25 characters, an entry holds 22\n"),
        qPrintable(msg));
    QVERIFY(msg.endsWith("\n... and 4 more rows."));
    QVERIFY(!msg.contains("Row 11"));
    // Should a cell change after the check, the page is refused, never sent cut or half-read.
    const auto page = NumbersCodec::encodePage(2, m);
    QVERIFY(!page.ok);
    QVERIFY(page.error.contains("Row 9:") && !page.error.contains("Row 3:"));
    QVERIFY(!NumbersCodec::encodeEntry(m.row(20)));
}

void TestNumbers::validate_data()
{
    QTest::addColumn<QList<int>>("wrong");
    QTest::newRow("valid") << QList<int>{};
    QTest::newRow("two") << QList<int>{5, 17};
    QTest::newRow("five") << QList<int>{1, 2, 3, 9, 10};
}

void TestNumbers::validate()
{
    QFETCH(QList<int>, wrong);
    NumbersModel m;
    fillRow(m, 20, {"1", "2024/05/06", "08:00", "", "", "no", "yes"}); // to be deleted
    fillRow(m, 21, {"1", "", "", "", "", "YES"});                      // not exactly "no"
    fillRow(m, 22, {"", "2024/05/06"});                                // no number
    fillRow(m, 23, {"1", "x", "y", "z", "w"});                         // content is not checked
    for (int r : wrong)
        fillRow(m, r, {"1", "2024/05/06", "08:00", "", "18:00"});
    QCOMPARE(wrongRows(m), wrong);
}

void TestNumbers::csv()
{
    NumbersModel m;
    fillRow(m, 12, {"5550987", "2024/05/06", "08:00", "2024/06/30", "18:30"});
    fillRow(m, 13, {"1,2\"3"});
    const QList<QByteArray> lines = NumbersCsv::exportBytes(m).split('\n');
    QCOMPARE(lines.size(), 1002); // 1001 lines, each ended by CR LF
    QCOMPARE(lines[0], QByteArray("1,,,,,,no,no,,\r"));
    QCOMPARE(lines[11], QByteArray("12,5550987,2024/05/06,08:00,2024/06/30,18:30,no,no,,\r"));
    QCOMPARE(lines[12], QByteArray("13,\"1,2\"\"3\",,,,,no,no,,\r"));
    QCOMPARE(lines[1000], QByteArray(",,,,,,,,,\r"));

    // Read back, the file gives the cells it was written from, laid out as a list workbook.
    const QList<QStringList> cells = NumbersCsv::cells(NumbersCsv::exportBytes(m));
    QCOMPARE(cells.size(), NumbersModel::Rows);
    QCOMPARE(cells[0].value(0), QStringLiteral("Serial"));
    QCOMPARE(cells[12],
             (QStringList{"12", "5550987", "2024/05/06", "08:00", "2024/06/30", "18:30", "no", "no"}));
    QCOMPARE(cells[13].value(1), QStringLiteral("1,2\"3"));
}

// Files that hold the list as text: the window's own file, a spreadsheet program's CSV of the
// list workbook, a few rows by number, and files that are not such a list.
void TestNumbers::csvFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error"); // part of the reason; "" = read, row 12 holds 5550987
    const QByteArray row12 = "12,5550987,2024/05/06,08:00,2024/06/30,18:30,no,no";
    QTest::newRow("a UTF-8 byte-order mark") << "\xEF\xBB\xBF" + row12 + ",,\r\n,,,,,,,,,\r\n"
                                             << "";
    QTest::newRow("a spreadsheet's CSV with its header row")
        << "Serial,Authorized number,Start Date,Start Time ,End Date,End Time,Always(V),Delete(V)\n1,,,,,,no,"
           "no\n" +
               row12 + "\n"
        << "";
    QTest::newRow("one row, fewer fields") << QByteArray("3,+49,,,,,yes\r\n") + row12 << "";
    QTest::newRow("a row twice") << row12 + "\n" + row12 << "line 2 gives row 12 again (first on line 1)";
    QTest::newRow("a row past 1000") << QByteArray("1001,555,,,,,yes,no\n")
                                     << "line 1 holds row 1001, past the list's last row 1000";
    QTest::newRow("a line without its row")
        << QByteArray("Serial,x\nNumber,555\n") << "line 2 starts with \"Number\", not with a row number";
    QTest::newRow("too many fields") << row12 + ",,x"
                                     << "line 1 holds 10 fields";
    QTest::newRow("an open quote") << QByteArray("1,\"5550987,,\r\n") << "in line 1 is never closed";
    // A "Ä" saved in a Windows character set, and a file saved as UTF-16.
    QTest::newRow("not UTF-8") << "1,,,,,,no,no\n" + row12 + ",\xC4"
                               << "line 2 is not UTF-8 text";
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                          "1\0,\0",
                                          6)
                            << "the file is UTF-16 text";
    QTest::newRow("UTF-16 without a mark") << QByteArray("1\0,\0n\0o\0,\0", 10) << "the file is UTF-16 text";
}

void TestNumbers::csvFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QString why;
    const QList<QStringList> cells = NumbersCsv::cells(bytes, &why);
    if (!error.isEmpty()) {
        QVERIFY2(why.contains(error), qPrintable(why));
        QVERIFY(cells.isEmpty());
        return;
    }
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(cells.size(), NumbersModel::Rows);
    QCOMPARE(cells[12].value(Number), QStringLiteral("5550987"));
    QCOMPARE(cells[2], QStringList());
    QVERIFY(NumbersImport::check(cells).verdict == NumbersImport::Result::Verdict::Apply);
}

void TestNumbers::import_data()
{
    QTest::addColumn<QString>("a1");
    QTest::addColumn<QList<QStringList>>("rows"); // sheet rows, each starting with its serial
    QTest::addColumn<QString>("message");         // its first line; empty: accepted
    QTest::addColumn<QString>("reason");          // the line naming the first wrong row and why

    const QString head = "Wrong information on the profile,please correct it and then import again,error:";
    const QStringList good{"2024/05/06", "08:00", "2024/06/30", "18:30"};
    const auto row = [](int i, const QStringList &cells) { return QStringList{QString::number(i)} + cells; };
    QList<QStringList> five;
    for (int i : {3, 8, 9, 40, 41})
        five << row(i, {"555"});
    QTest::newRow("lower-case serial")
        << "serial" << QList<QStringList>{} << "Wrong format of the setting profile" << QString();
    QTest::newRow("7:30 end time") << "Serial"
                                   << QList<QStringList>{row(
                                          4, {"555", "2024/05/06", "08:00", "2024/06/30", "7:30"})}
                                   << head + "1\rSerial: 4"
                                   << "Row 4: End Time \"7:30\": not written like 07:30";
    QTest::newRow("four-character time")
        << "Serial" << QList<QStringList>{row(5, QStringList{"555"} + good.mid(0, 3) + QStringList{"1830"})}
        << head + "1\rSerial: 5"
        << "Row 5: End Time \"1830\": not a time like 07:30";
    QTest::newRow("a day that does not exist")
        << "Serial" << QList<QStringList>{row(6, {"555", "2025/02/29", "08:00", "2025/03/01", "18:00"})}
        << head + "1\rSerial: 6"
        << "Row 6: Start Date \"2025/02/29\": there is no such day";
    QTest::newRow("number-less row with words")
        << "Serial" << QList<QStringList>{row(7, {"", "??"})} << head + "1\rSerial: 7"
        << "Row 7: Start Date \"??\": not a date like 2024/05/06";
    QTest::newRow("five wrong rows") << "Serial" << five << head + "5\rSerial: 3,8,9,...."
                                     << "Row 3: Start Date is empty: tick Always or give the whole window; "
                                        "Start Time is empty: tick Always or give the whole window; End Date "
                                        "is empty: tick Always or give the whole window; End Time is empty: "
                                        "tick Always or give the whole window";
    QTest::newRow("accepted") << "Serial"
                              << QList<QStringList>{row(2, {"555", "garbage", "x", "", "", "yes", "no"}),
                                                    row(6, QStringList{"+1"} + good),
                                                    row(7, {"9", "??", "", "", "", "no", "yes"}),
                                                    row(8,
                                                        {"8", "2024/05/06", "08.30", "2024/06/30", "18.45"})}
                              << QString() << QString();
}

void TestNumbers::import()
{
    QFETCH(QString, a1);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    QList<QStringList> sheet{{a1, "Authorized number"}};
    for (int i = 1; i <= 1000; ++i)
        sheet << QStringList{QString::number(i)};
    for (const QStringList &r : rows)
        sheet[r[0].toInt()] = r;

    NumbersModel m;
    fillRow(m, 2, {"old", "", "", "", "", "no", "yes"});
    fillRow(m, 7, {"old"});
    const NumberRow before2 = m.row(2), before7 = m.row(7);
    const auto result = NumbersImport::check(sheet);
    NumbersImport::apply(result, m);
    QCOMPARE(result.message.section(u'\n', 0, 0), message);
    QCOMPARE(result.message.section(u'\n', 1, 1), reason);
    if (!message.isEmpty()) {
        QVERIFY(result.verdict != NumbersImport::Result::Verdict::Apply);
        QVERIFY(m.row(2) == before2 && m.row(7) == before7); // nothing partly imported
        return;
    }
    QCOMPARE(readBack(m, 2), (QStringList{"555", "garbage", "x", "", "", "yes"}));
    QCOMPARE(m.text(2, Delete), QStringLiteral("yes")); // Delete keeps what the table held
    QCOMPARE(readBack(m, 6), (QStringList{"+1", "2024/05/06", "08:00", "2024/06/30", "18:30", "no"}));
    QCOMPARE(readBack(m, 7), (QStringList{"9", "??", "", "", "", "no"}));
    QCOMPARE(m.text(7, Delete), QStringLiteral("no"));
    QCOMPARE(readBack(m, 8), (QStringList{"8", "2024/05/06", "08.30", "2024/06/30", "18.45", "no"}));
    QVERIFY(NumbersCodec::encodeEntry(m.row(8)).has_value()); // the save reads what the import let in
}

void TestNumbers::importCellKinds()
{
    // A number kept as a number cell is taken with a warning; a formula with no saved value
    // refuses its row.
    Sheet sheet;
    sheet.setText(1, 1, QStringLiteral("Serial"));
    sheet.setText(4, 2, QStringLiteral("7700900111"), CellKind::Number);
    sheet.setText(4, 7, QStringLiteral("yes"));
    NumbersImport::Result r = NumbersImport::check(NumbersSheet::cells(sheet), &sheet);
    QVERIFY(r.verdict == NumbersImport::Result::Verdict::Apply);
    QCOMPARE(r.warning,
             QStringLiteral("The workbook keeps the number of row 3 as a number, not as text: a leading "
                            "0 or \"+\" may have been lost. Check it before saving."));
    sheet.setText(6, 2, QString(), CellKind::Formula);
    sheet.setText(6, 7, QStringLiteral("yes"));
    r = NumbersImport::check(NumbersSheet::cells(sheet), &sheet);
    QVERIFY(r.verdict == NumbersImport::Result::Verdict::WrongRows);
    QCOMPARE(r.message.section(u'\n', 1),
             QStringLiteral("Row 5: Authorized number holds a formula with no saved value"));
    QCOMPARE(r.firstWrongRow, 5);
    // A number past the 15 digits a spreadsheet keeps is not what was typed: refused.
    sheet.setText(6, 2, QStringLiteral("491701234567889984"), CellKind::Number);
    r = NumbersImport::check(NumbersSheet::cells(sheet), &sheet);
    QVERIFY(r.verdict == NumbersImport::Result::Verdict::WrongRows);
    QVERIFY2(r.message.section(u'\n', 1).startsWith(
                 "Row 5: Authorized number: a number cell of more than 15 digits (491701234567889984)"),
             qPrintable(r.message));
    // An entry past row 1000 is refused, not left out.
    sheet.setText(6, 2, QString());
    sheet.setText(1003, 2, QStringLiteral("555"));
    r = NumbersImport::check(NumbersSheet::cells(sheet), &sheet);
    QVERIFY(r.verdict == NumbersImport::Result::Verdict::WrongFormat);
    QVERIFY2(r.message.contains("sheet row 1003 (entry 1002) is past the list's last row 1001"),
             qPrintable(r.message));
}

void TestNumbers::model()
{
    NumbersModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(m.text(1000, Serial), QStringLiteral("1000"));
    QVERIFY(m.flags(m.index(5, Number)) & Qt::ItemIsEditable);
    for (int c : {Serial, StartDate, EndTime, Always, Delete})
        QVERIFY(!(m.flags(m.index(5, c)) & Qt::ItemIsEditable));
    QVERIFY(!m.setData(m.index(5, StartDate), "2024/05/06"));
    QVERIFY(m.setData(m.index(5, Number), "+4930"));

    // Ticking clears the window; unticking restores nothing.
    fillRow(m, 5, {"+4930", "2024/05/06", "08:00", "2024/06/30", "18:30"});
    QVERIFY(m.toggleCheck(5, Always));
    QCOMPARE(readBack(m, 5), (QStringList{"+4930", "", "", "", "", "yes"}));
    QVERIFY(!m.toggleCheck(5, Always));
    QCOMPARE(readBack(m, 5), (QStringList{"+4930", "", "", "", "", "no"}));

    // The buttons follow their flags alone.
    for (int i = 0; i < 3; ++i)
        m.pressDeleteAll();
    QVERIFY(m.deleteAll());
    m.toggleCheck(6, Delete);
    QCOMPARE(m.text(6, Delete), QStringLiteral("no"));
    QCOMPARE(m.text(1000, Delete), QStringLiteral("yes"));
    QVERIFY(!m.pressDeleteAll());
    QCOMPARE(m.text(1000, Delete), QStringLiteral("no"));

    m.resetToDefaults();
    QVERIFY(!m.deleteAll() && m.text(5, Number).isEmpty());
}

void TestNumbers::doubtful_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("doubtful");
    QTest::newRow("month 13") << int(StartDate) << "2024/13/05" << true;
    QTest::newRow("last day of year") << int(EndDate) << "2024/12/31" << false;
    QTest::newRow("hour 24") << int(StartTime) << "24:00" << true;
    QTest::newRow("short time") << int(EndTime) << "8:5" << false;
    QTest::newRow("words") << int(StartDate) << "tomorrow" << true;
    QTest::newRow("letters in time") << int(StartTime) << "ab:cd" << true;
    QTest::newRow("empty") << int(StartTime) << "" << false;
}

void TestNumbers::doubtful()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, doubtful);
    NumbersModel m;
    m.setText(7, column, text);
    QCOMPARE(m.isDoubtful(7, column), doubtful);
    QVERIFY(!m.isDoubtful(0, column));
}

void TestNumbers::saveChecks_data()
{
    // Rows 5 and 9 hold the row under test and a copy of its number (when `twin`); the
    // save is checked at 2025-01-01 12:00.
    QTest::addColumn<QStringList>("cells"); // Number..Delete
    QTest::addColumn<QString>("refusal");   // what the refusal says of row 5; empty: none
    QTest::addColumn<bool>("twin");         // row 9 holds the same number
    QTest::addColumn<bool>("duplicate");    // the question names rows 5 and 9
    QTest::addColumn<bool>("ended");

    const QString n22 = QStringLiteral("+123456789012345678901");
    QTest::newRow("22 characters fit")
        << QStringList{n22, "", "", "", "", "yes", "no"} << QString() << false << false << false;
    QTest::newRow("23 characters refused")
        << QStringList{n22 + "2", "", "", "", "", "yes", "no"}
        << "Row 5: the number has 23 characters, an entry holds 22" << false << false << false;
    QTest::newRow("30 characters, marked for deletion")
        << QStringList{n22 + "12345678", "", "", "", "", "no", "yes"} << QString() << false << false << false;
    QTest::newRow("end a minute before start")
        << QStringList{"555", "2026/05/06", "08:00", "2026-05-06", "07:59", "no", "no"}
        << "Row 5: the window ends (2026-05-06 07:59) before it starts (2026/05/06 08:00)" << false << false
        << false;
    QTest::newRow("end a day before start, long and cut number")
        << QStringList{n22 + "99", "2026/05/06", "08:00", "2026/05/05", "23:00", "no", "no"}
        << "Row 5: the number has 24 characters, an entry holds 22; the window ends" << false << false
        << false;
    QTest::newRow("end equal to start")
        << QStringList{"555", "2026/05/06", "08:00", "2026/05/06", "8:00", "no", "no"} << QString() << false
        << false << false;
    QTest::newRow("reversed but always allowed")
        << QStringList{"555", "2026/05/06", "08:00", "2024/01/01", "00:00", "yes", "no"} << QString() << true
        << true << false;
    QTest::newRow("same number, one marked for deletion")
        << QStringList{"555", "", "", "", "", "yes", "yes"} << QString() << true << false << false;
    QTest::newRow("window ended") << QStringList{"555",   "2024/01/01", "00:00", "2024/12/31",
                                                 "23:59", "no",         "no"}
                                  << QString() << true << true << true;
    QTest::newRow("window ends later today")
        << QStringList{"555", "2024/01/01", "00:00", "2025-01-01", "12:01", "no", "no"} << QString() << false
        << false << false;
    QTest::newRow("unreadable end is refused, not called ended")
        << QStringList{"555", "2024/01/01", "00:00", "2024/13/01", "12:00", "no", "no"}
        << "Row 5: End Date \"2024/13/01\": there is no such day" << false << false << false;
    const auto refused = [&](const char *name, const QStringList &cells, const QString &why) {
        QTest::newRow(name) << cells << "Row 5: " + why << false << false << false;
    };
    const QStringList window{"2025/02/28", "08:00", "2025/03/01", "18:00"};
    refused("letter in a number", QStringList{"55x0123", "", "", "", "", "yes", "no"},
            "Authorized number \"55x0123\": a number holds only \"+\" and digits");
    refused("spreadsheet's quoted cell", QStringList{"\"5551234\"", "", "", "", "", "yes", "no"},
            "Authorized number \"\"5551234\"\": a number holds only \"+\" and digits");
    refused("February 30", QStringList{"555", "2025-02-30", "08:00", "2025/03/01", "18:00", "no", "no"},
            "Start Date \"2025-02-30\": there is no such day");
    refused("year 2100", QStringList{"555", "2099/12/31", "08:00", "2100/01/01", "18:00", "no", "no"},
            "End Date \"2100/01/01\": the unit keeps years 2000 to 2099");
    refused("25:61", QStringList{"555", window[0], "25:61", window[2], window[3], "no", "no"},
            "Start Time \"25:61\": a time runs from 00:00 to 23:59");
    refused("a date typed the other way",
            QStringList{"555", window[0], window[1], "31.12.2025", window[3], "no", "no"},
            "End Date \"31.12.2025\": not a date like 2024/05/06");
    refused("no number, words for a window", QStringList{"", "words", "here", "", "", "no", "no"},
            "Start Date \"words\": not a date like 2024/05/06; Start Time \"here\": not a time like 07:30");
}

void TestNumbers::saveChecks()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, refusal);
    QFETCH(bool, twin);
    QFETCH(bool, duplicate);
    QFETCH(bool, ended);
    NumbersModel m;
    fillRow(m, 5, cells);
    if (twin) fillRow(m, 9, {cells[0], "", "", "", "", "yes"});
    const QString message = NumberCheck::saveRefusal(m);
    if (refusal.isEmpty())
        QCOMPARE(message, QString());
    else
        QVERIFY2(message.section(u'\n', 1).startsWith(refusal), qPrintable(message));
    const QList<NumberSaveChecks::Duplicate> twice{{cells[0], {5, 9}}};
    QCOMPARE(NumberSaveChecks::duplicates(m), duplicate ? twice : QList<NumberSaveChecks::Duplicate>{});
    QCOMPARE(NumberSaveChecks::windowEnded(m.row(5), QDateTime(QDate(2025, 1, 1), QTime(12, 0))), ended);
}

void TestNumbers::diff_data()
{
    // Row 5 as the unit holds it and as the table would send it (Number..Delete).
    QTest::addColumn<QStringList>("unit");
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<QString>("line"); // "" when the save changes nothing there
    QTest::addColumn<int>("kind");
    const QStringList empty{"", "", "", "", "", "no", "no"};
    const QStringList always{"555", "", "", "", "", "yes", "no"};
    const auto kind = [](AreaDiff::Kind k) { return int(k); };
    QTest::newRow("same") << always << always << QString() << -1;
    QTest::newRow("added") << empty << always << "row 5: (empty) → 555 always" << kind(AreaDiff::Kind::Added);
    QTest::newRow("marked for deletion") << always << QStringList{"555", "", "", "", "", "yes", "yes"}
                                         << "row 5: 555 always → (empty)" << kind(AreaDiff::Kind::Removed);
    QTest::newRow("number cleared") << always << QStringList{"", "", "", "", "", "yes", "no"}
                                    << "row 5: 555 always → (empty)" << kind(AreaDiff::Kind::Removed);
    QTest::newRow("window instead of always")
        << always << QStringList{"555", "2031/12/09", "8:5", "2032/01/01", "23:59", "no", "no"}
        << "row 5: 555 always → 555 2031-12-09 08:05 – 2032-01-01 23:59" << kind(AreaDiff::Kind::Changed);
    QTest::newRow("nothing either way")
        << QStringList{"", "", "", "", "", "yes", "no"} << empty << QString() << -1;
}

void TestNumbers::diff()
{
    QFETCH(QStringList, unit);
    QFETCH(QStringList, table);
    QFETCH(QString, line);
    QFETCH(int, kind);
    NumbersModel before, after;
    fillRow(before, 5, unit);
    fillRow(after, 5, table);
    fillRow(before, 700, {"+4930", "", "", "", "", "yes"}); // the same far away: no line
    fillRow(after, 700, {"+4930", "", "", "", "", "yes"});
    const AreaDiff d = NumbersDiff::compare(NumbersDiff::tablePages(before), NumbersDiff::tablePages(after));
    QCOMPARE(diffLines(d), line.isEmpty() ? QStringList() : QStringList{line});
    if (line.isEmpty()) return;
    QCOMPARE(int(d.lines.first().kind), kind);
    QCOMPARE(d.lines.first().at, 5);
    QVERIFY(diffDetails(d).endsWith(QStringLiteral(" (1):\n") + line));
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
