// zarvento-cli audit against simulated units seeded with each rule's case, side by side,
// and against a backup folder of one of them.
#include "cli_rig.h"

#include "audit/audit_rules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace zc;
using namespace zc::test;

namespace {

devsim::Options seeded(const QStringList &rules)
{
    devsim::Options o = preset(devsim::Preset::Clean);
    o.seeds = rules;
    return o;
}

// Each unit's findings from the JSON document, by port: "rule item 1", "rule rows 4", ...
QMap<QString, QStringList> findingsByPort(const QByteArray &json)
{
    QMap<QString, QStringList> out;
    const QJsonObject top = QJsonDocument::fromJson(json).object();
    if (top.value(QStringLiteral("format")).toString() != QLatin1String("zarvento-cli/audit")) return out;
    for (const QJsonValue &unit : top.value(QStringLiteral("units")).toArray()) {
        QStringList found;
        for (const QJsonValue &v : unit[QStringLiteral("findings")].toArray())
            found << v[QStringLiteral("rule")].toString();
        out[unit[QStringLiteral("port")].toString()] = found;
    }
    return out;
}

QJsonArray findingsOf(const QByteArray &json)
{
    return QJsonDocument::fromJson(json)
        .object()[QStringLiteral("units")][0][QStringLiteral("findings")]
        .toArray();
}

// Every request a unit received was a read block.
bool onlyReads(const devsim::Simulator &sim)
{
    for (const QByteArray &frame : sim.requests())
        if (frame.size() < 2 || quint8(frame[1]) != 0x83) return false;
    return !sim.requests().isEmpty();
}

} // namespace

class TestAuditCli : public QObject
{
    Q_OBJECT
private slots:
    void fleetFindsEachSeededRule();
    void backupFolderFindsTheSame();
    void linesAndExitCodes();
    void namesFileNamesRowsAndRecords();
};

void TestAuditCli::fleetFindsEachSeededRule()
{
    const QStringList rules = devsim::seedNames();
    QCOMPARE(rules.size(), qsizetype(std::size(Audit::kRules)));
    QList<devsim::Options> options;
    for (const QString &rule : rules)
        options << seeded({rule});
    options << seeded({});
    Units units(options);
    // The unit on the factory password logs in with it; the others with their own.
    QTemporaryDir dir;
    const QString factory = dir.filePath(QStringLiteral("factory"));
    QFile file(factory);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("8530\n") == 5);
    file.close();
    QStringList args{QStringLiteral("audit"), QStringLiteral("--history"), QStringLiteral("--json"),
                     QStringLiteral("--password"), QStringLiteral("2580")};
    for (int i = 0; i < int(options.size()); ++i)
        args << QStringLiteral("--port") << units.port(i);
    args << QStringLiteral("--password-for")
         << units.port(int(rules.indexOf(QStringLiteral("factory-password")))) + u'=' + factory;
    const CliRun r = runCli(args, 120000);
    QVERIFY2(r.code == 1, r.err.constData());
    const auto found = findingsByPort(r.out);
    QCOMPARE(found.size(), options.size());
    for (int i = 0; i < int(rules.size()); ++i)
        QCOMPARE(found.value(units.port(i)), QStringList{rules[i]});
    QCOMPARE(found.value(units.port(int(rules.size()))), QStringList{});
    for (const auto &sim : units.sims)
        QVERIFY(onlyReads(*sim));
}

void TestAuditCli::backupFolderFindsTheSame()
{
    Units units({seeded({QStringLiteral("factory-password"), QStringLiteral("window-ended"),
                         QStringLiteral("duplicate-number"), QStringLiteral("power-not-recovered"),
                         QStringLiteral("relay-by-unlisted-number")})});
    const QStringList unit{QStringLiteral("--port"), units.port(0)};
    const CliRun online = runCli(
        QStringList{QStringLiteral("audit"), QStringLiteral("--history"), QStringLiteral("--json")} + unit);
    QCOMPARE(online.code, 1);
    QCOMPARE(findingsOf(online.out).size(), 5);
    QTemporaryDir dir;
    QCOMPARE(runCli(QStringList{QStringLiteral("backup"), QStringLiteral("-o"), dir.path()} + unit).code, 0);
    const QStringList made = QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(made.size(), 1);
    const CliRun offline =
        runCli({QStringLiteral("audit"), QStringLiteral("--json"), QDir(dir.path()).filePath(made[0])});
    QCOMPARE(offline.code, 1);
    QCOMPARE(findingsOf(offline.out), findingsOf(online.out));
}

void TestAuditCli::linesAndExitCodes()
{
    Units units({seeded({QStringLiteral("no-sim-number"), QStringLiteral("window-ends-soon")})});
    const QString port = units.port(0);
    // Information alone exits 0; the line names the port, the severity, the rule and the item.
    CliRun r = runCli({QStringLiteral("audit"), QStringLiteral("--password"), QStringLiteral("2580"),
                       QStringLiteral("--port"), port});
    QCOMPARE(r.code, 0);
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    // The first end is five days after the unit started (its minute may have turned since).
    QVERIFY2(
        lines[0].startsWith(port +
                            QStringLiteral(": info window-ends-soon: 1 row's window ends within 14 "
                                           "days (the first ") +
                            QDateTime::currentDateTime().addDays(5).toString(QStringLiteral("yyyy/MM/dd"))),
        qPrintable(lines[0]));
    QVERIFY(lines[0].endsWith(QStringLiteral(") (row 4)")));
    QVERIFY(lines[1].startsWith(port + QStringLiteral(": info no-sim-number: ")));
    QVERIFY(lines[1].endsWith(QStringLiteral(" (item 2)")));
    // --within 3 leaves the window out; --ignore leaves the rule out.
    r = runCli({QStringLiteral("audit"), QStringLiteral("--password"), QStringLiteral("2580"),
                QStringLiteral("--within"), QStringLiteral("3"), QStringLiteral("--ignore"),
                QStringLiteral("no-sim-number"), QStringLiteral("--port"), port});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QByteArray());
    // A wrong password is the unit's refusal; an unknown rule and a unit with files are usage errors.
    QCOMPARE(runCli({QStringLiteral("audit"), QStringLiteral("--password"), QStringLiteral("1111"),
                     QStringLiteral("--port"), port})
                 .code,
             1);
    QCOMPARE(runCli({QStringLiteral("audit"), QStringLiteral("--ignore"), QStringLiteral("no-such-rule"),
                     QStringLiteral("--port"), port})
                 .code,
             2);
    QCOMPARE(runCli({QStringLiteral("audit"), QStringLiteral("--port"), port, QStringLiteral("--profile"),
                     QStringLiteral("x.xlsx")})
                 .code,
             2);
    QCOMPARE(
        runCli({QStringLiteral("audit"), QStringLiteral("--port"), QStringLiteral("/dev/no-such-port")}).code,
        3);
    QVERIFY(onlyReads(*units.sims[0]));
}

void TestAuditCli::namesFileNamesRowsAndRecords()
{
    Units units({seeded({QStringLiteral("window-ended"), QStringLiteral("relay-by-unlisted-number")})});
    const QStringList unit{QStringLiteral("--password"), QStringLiteral("2580"), QStringLiteral("--port"),
                           units.port(0)};
    QTemporaryDir dir;
    const auto namesFile = [&](const QString &name, const QByteArray &text) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? f.fileName() : QString();
    };
    // A number given twice (once as 00...) is refused before the unit is reached.
    const QString twice =
        namesFile(QStringLiteral("twice.csv"), "+447700900201,Anna Berg\n00447700900201,Bo\n");
    CliRun r = runCli(QStringList{QStringLiteral("audit"), QStringLiteral("--names"), twice} + unit);
    QCOMPARE(r.code, 2);
    QVERIFY(units.sims[0]->requests().isEmpty());

    // The ended row is named by its number, the relay record by its executant.
    const QString names = namesFile(QStringLiteral("names.csv"),
                                    "number,name\n00447700900201,Anna Berg\n+12025550199,Courier\n");
    const QStringList args =
        QStringList{QStringLiteral("audit"), QStringLiteral("--history"), QStringLiteral("--names"), names} +
        unit;
    r = runCli(args + QStringList{QStringLiteral("--json")});
    QCOMPARE(r.code, 1);
    int endedRow = 0;
    for (const QJsonValue &f : findingsOf(r.out)) {
        const QString rule = f[QStringLiteral("rule")].toString();
        const QJsonArray listed = f[QStringLiteral("names")].toArray();
        if (rule == QLatin1String("window-ended")) {
            QCOMPARE(listed, QJsonArray{QStringLiteral("Anna Berg")});
            endedRow = f[QStringLiteral("rows")][0].toInt();
        } else if (rule == QLatin1String("relay-by-unlisted-number")) {
            QCOMPARE(listed, QJsonArray{QStringLiteral("Courier")});
        }
    }
    QVERIFY2(endedRow > 0, r.out.constData());
    r = runCli(args);
    QCOMPARE(r.code, 1);
    const QString lines = QString::fromUtf8(r.out);
    QVERIFY2(lines.contains(QStringLiteral(" (row %1 (Anna Berg))\n").arg(endedRow)), qPrintable(lines));
    QVERIFY2(lines.contains(QStringLiteral(" (Courier))\n")), qPrintable(lines));
    QVERIFY(onlyReads(*units.sims[0]));
}

QTEST_GUILESS_MAIN(TestAuditCli)
#include "tst_audit_cli.moc"
