// The audit's rules over one table of cases: each case starts from a clean unit, changes
// what its rule looks at, and names every finding it must give, none missed, none invented.
#include "audit/audit_rules.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"

#include <QTest>

using namespace zc;

namespace {

const QDateTime kNow(QDate(2025, 6, 15), QTime(12, 0, 30));

// "rule item N", "rule rows 1,2", "rule records 7" and the values after " = ".
QString describe(const Audit::Finding &f)
{
    const auto join = [](const QList<int> &list) {
        QStringList s;
        for (int v : list)
            s << QString::number(v);
        return s.join(u',');
    };
    QString text = f.rule;
    if (f.item) text += QStringLiteral(" item %1").arg(f.item);
    if (!f.rows.isEmpty()) text += QStringLiteral(" rows ") + join(f.rows);
    if (!f.records.isEmpty()) text += QStringLiteral(" records ") + join(f.records);
    if (!f.values.isEmpty() && f.rule != QLatin1String("log-nearly-full"))
        text += QStringLiteral(" = ") + f.values.join(u',');
    return text;
}

// One history record: "No|date|time|action|executant".
HistoryModel::Record record(const QString &fields)
{
    const QStringList p = fields.split(u'|');
    HistoryModel::Record r;
    r[0] = p.value(0);
    r[1] = p.value(1);
    r[2] = p.value(2);
    r[4] = p.value(3);
    r[5] = p.value(4);
    return r;
}

} // namespace

class TestAudit : public QObject
{
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
};

void TestAudit::rules_data()
{
    QTest::addColumn<QStringList>("settings"); // "item=content" or "9=pick"
    QTest::addColumn<QStringList>(
        "list");                          // rows from 1: "number|start date|time|end date|time|always|delete"
    QTest::addColumn<QStringList>("log"); // records; "full" adds 900 plain records
    QTest::addColumn<QString>("options"); // "within=N cc=CC"
    QTest::addColumn<QStringList>("expected");

    const QString always = QStringLiteral("+447700900100|||||yes|no");
    const QString opened = QStringLiteral("1|2025-06-10|08:00:00|Relay ON|+447700900100");
    QTest::newRow("clean unit") << QStringList{} << QStringList{always} << QStringList{opened} << QString()
                                << QStringList{};
    QTest::newRow("factory password")
        << QStringList{QStringLiteral("1=8530")} << QStringList{always} << QStringList{} << QString()
        << QStringList{QStringLiteral("factory-password item 1")};
    QTest::newRow("every caller, factory password")
        << QStringList{QStringLiteral("1=8530"), QStringLiteral("9=0")} << QStringList{} << QStringList{}
        << QString()
        << QStringList{QStringLiteral("factory-password item 1"), QStringLiteral("any-caller-opens item 9")};
    QTest::newRow("empty list") << QStringList{} << QStringList{} << QStringList{} << QString()
                                << QStringList{QStringLiteral("nobody-can-open item 9")};
    QTest::newRow("every window ended or not started")
        << QStringList{}
        << QStringList{QStringLiteral("+447700900101|2025/01/01|08:00|2025/06/15|11:59|no|no"),
                       QStringLiteral("+447700900102|2025/06/15|12:01|2025/12/31|18:00|no|no"),
                       QStringLiteral("+447700900103|||||yes|yes")}
        << QStringList{} << QString()
        << QStringList{QStringLiteral("nobody-can-open item 9"), QStringLiteral("window-ended rows 1")};
    QTest::newRow("a window open now, one ending this minute")
        << QStringList{}
        << QStringList{QStringLiteral("+447700900101|2025/01/01|08:00|2025/06/15|12:00|no|no")}
        << QStringList{} << QStringLiteral("within=0")
        << QStringList{QStringLiteral("window-ends-soon rows 1 = 2025/06/15 12:00")};
    QTest::newRow("ends within the days asked, not after")
        << QStringList{}
        << QStringList{always, QStringLiteral("+447700900101|2025/01/01|08:00|2025/06/29|12:00|no|no"),
                       QStringLiteral("+447700900102|2025/01/01|08:00|2025/06/29|12:01|no|no"),
                       QStringLiteral("+447700900103|2025/01/01|08:00|2025/06/20|07:00|no|no")}
        << QStringList{} << QString()
        << QStringList{QStringLiteral("window-ends-soon rows 2,4 = 2025/06/20 07:00")};
    QTest::newRow("the same subscriber as 00 and +")
        << QStringList{}
        << QStringList{always, QStringLiteral("00447700900100|||||yes|no"),
                       QStringLiteral("07700900100|||||yes|no"), QStringLiteral("+447700900100|||||yes|yes")}
        << QStringList{} << QString()
        << QStringList{QStringLiteral("duplicate-number rows 1,2 = +447700900100")};
    QTest::newRow("a national number with the country code")
        << QStringList{} << QStringList{always, QStringLiteral("07700900100|||||yes|no")} << QStringList{}
        << QStringLiteral("cc=+44")
        << QStringList{QStringLiteral("duplicate-number rows 1,2 = +447700900100")};
    QTest::newRow("no SIM number") << QStringList{QStringLiteral("2=")} << QStringList{always}
                                   << QStringList{} << QString()
                                   << QStringList{QStringLiteral("no-sim-number item 2")};
    QTest::newRow("899 records are not nearly full")
        << QStringList{} << QStringList{always} << QStringList{QStringLiteral("899")} << QString()
        << QStringList{};
    QTest::newRow("900 records are") << QStringList{} << QStringList{always}
                                     << QStringList{QStringLiteral("900")} << QString()
                                     << QStringList{QStringLiteral("log-nearly-full")};
    QTest::newRow("power failed last")
        << QStringList{} << QStringList{always}
        << QStringList{QStringLiteral("3|2025-06-01|10:00:00|Power recovery|"),
                       QStringLiteral("4|2025-06-02|10:00:00|Power failure|"),
                       QStringLiteral("2|2025-05-01|10:00:00|Power failure|")}
        << QString() << QStringList{QStringLiteral("power-not-recovered records 4 = 2025-06-02 10:00:00")};
    QTest::newRow("power came back in the same second")
        << QStringList{} << QStringList{always}
        << QStringList{QStringLiteral("5|2025-06-02|10:00:00|Power recovery|"),
                       QStringLiteral("4|2025-06-02|10:00:00|Power failure|")}
        << QString() << QStringList{};
    QTest::newRow("a record from more than a day ahead")
        << QStringList{} << QStringList{always}
        << QStringList{QStringLiteral("7|2025-06-16|12:00:30|Arm|"),
                       QStringLiteral("8|2025-06-16|12:00:31|Arm|"),
                       QStringLiteral("9|2079-01-01|00:00:00|Arm|")}
        << QString() << QStringList{QStringLiteral("clock-suspect records 8,9 = 2079-01-01 00:00:00")};
    QTest::newRow("relay by a number not on the list")
        << QStringList{} << QStringList{always}
        << QStringList{opened, QStringLiteral("2|2025-06-11|08:00:00|Relay ON|00447700900100"),
                       QStringLiteral("3|2025-06-11|09:00:00|Relay ON|+12025550100"),
                       QStringLiteral("4|2025-06-11|09:00:00|Relay OFF|+12025550199"),
                       QStringLiteral("5|2025-06-11|09:00:00|Relay ON|")}
        << QString() << QStringList{QStringLiteral("relay-by-unlisted-number records 3 = +12025550100")};
    QTest::newRow("ignored rules") << QStringList{QStringLiteral("1=8530"), QStringLiteral("2=")}
                                   << QStringList{always} << QStringList{}
                                   << QStringLiteral("ignore=no-sim-number")
                                   << QStringList{QStringLiteral("factory-password item 1")};
}

void TestAudit::rules()
{
    QFETCH(QStringList, settings);
    QFETCH(QStringList, list);
    QFETCH(QStringList, log);
    QFETCH(QString, options);
    QFETCH(QStringList, expected);

    SettingsModel s;
    s.setContent(1, QStringLiteral("1234"));
    s.setContent(2, QStringLiteral("+447700900001"));
    s.setPickSelection(9, 1);
    for (const QString &change : settings) {
        const int item = change.section(u'=', 0, 0).toInt();
        const QString value = change.section(u'=', 1);
        if (SettingsModel::isPickItem(item))
            s.setPickSelection(item, value.toInt());
        else
            s.setContent(item, value);
    }
    NumbersModel n;
    QList<NumberRow> rows;
    for (const QString &fields : list) {
        NumberRow r;
        const QStringList cells = fields.split(u'|');
        for (int c = NumberColumn::Number; c <= NumberColumn::Delete; ++c)
            r[c] = cells.value(c - NumberColumn::Number);
        rows << r;
    }
    n.setRows(NumbersModel::FirstEntry, rows, NumberColumn::Number, NumberColumn::Delete);
    QList<HistoryModel::Record> records;
    for (const QString &fields : log) {
        bool count = false;
        const int plain = fields.toInt(&count);
        for (int i = 0; count && i < plain; ++i)
            records << record(QStringLiteral("%1|2025-01-01|00:00:00|Arm|").arg(100 + i));
        if (!count) records << record(fields);
    }

    Audit::Input in;
    in.settings = &s;
    in.numbers = &n;
    in.history = std::span<const HistoryModel::Record>(records);
    in.now = kNow;
    QStringList ignored;
    for (const QString &o : options.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = o.section(u'=', 0, 0), value = o.section(u'=', 1);
        if (key == QLatin1String("within")) in.withinDays = value.toInt();
        if (key == QLatin1String("cc")) in.countryCode = value;
        if (key == QLatin1String("ignore")) ignored << value;
    }
    QStringList found;
    for (const Audit::Finding &f : Audit::evaluate(in, ignored))
        found << describe(f);
    QCOMPARE(found, expected);

    // Without the log its rules stay silent; the others find the same.
    in.history.reset();
    QStringList withoutLog;
    for (const Audit::Finding &f : Audit::evaluate(in, ignored))
        if (!(Audit::findRule(f.rule)->needs & Audit::History)) withoutLog << describe(f);
    QStringList expectedWithoutLog;
    for (const QString &e : expected)
        if (!(Audit::findRule(e.section(u' ', 0, 0))->needs & Audit::History)) expectedWithoutLog << e;
    QCOMPARE(withoutLog, expectedWithoutLog);
}

QTEST_GUILESS_MAIN(TestAudit)
#include "tst_audit.moc"
