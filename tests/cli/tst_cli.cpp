// zarvento-cli against simulated units: every command's success path and exit code,
// provisioning several units at once, verification after a write, bad input files and
// units that fail.
#include "../sheets/biff_book.h"
#include "cli_rig.h"
#include "common/frames.h"
#include "common/wait.h"
#include "devsim/presets.h"
#include "sheets/zip_parts.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <csignal>
#include <grp.h>
#include <sys/stat.h>

using namespace zc;
using namespace zc::test;

class TstCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    static QByteArray readAll(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList expand(QStringList args, const QString &port) const
    {
        for (QString &a : args)
            a.replace(QLatin1String("{port}"), port).replace(QLatin1String("{dir}"), m_dir.path());
        return args;
    }

private slots:
    // The input files: the demo unit's settings and list as the program itself writes them,
    // and variants with one change or one fault.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Simulated units publish their links here, for this run and the programs it starts.
        QVERIFY(QDir(m_dir.path()).mkdir("runtime"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("runtime")));
        write(path("pw-8530"), "8530\r\n");
        write(path("pw-4321"), "4321\n");
        write(path("pw-5"), "12345\n");
        Units demo({preset(devsim::Preset::Demo)});
        for (const char *file : {"s.json", "s.xlsx"})
            QCOMPARE(runCli({"settings", "read", "--port", demo.port(0), "-o", path(file)}).code, 0);
        for (const char *file : {"n.json", "n.xlsx", "n.csv"})
            QCOMPARE(runCli({"numbers", "read", "-o", path(file), "--port", demo.port(0)}).code, 0);
        const QByteArray settings = readAll(path("s.json"));
        QVERIFY(settings.contains("\"content\": \"10\""));
        write(path("s15.json"), QByteArray(settings).replace("\"content\": \"10\"", "\"content\": \"15\""));
        write(path("s-bad.json"), QByteArray(settings).replace("\"content\": \"10\"", "\"content\": \"1x\""));
        write(path("s-short.json"), "{\"items\": [{\"item\": 1, \"content\": \"8530\"}]}");
        const QByteArray list = readAll(path("n.csv"));
        // Row 2 loses its start time: the window's Save refuses such a list.
        QList<QByteArray> lines = list.split('\n');
        QList<QByteArray> fields = lines[1].split(',');
        QVERIFY(fields.size() >= 8 && !fields[1].isEmpty() && fields[6] == "no");
        fields[3].clear();
        lines[1] = fields.join(',');
        write(path("n-bad.csv"), lines.join('\n'));
        write(path("n-bad.json"), "{\"rows\": [{\"row\": 2000, \"number\": \"123\", \"always\": true}]}");
        // Values the unit cannot hold, files that are no list file, and inputs that are no file.
        write(path("s-pw.json"),
              QByteArray(settings).replace("\"content\": \"8530\"", "\"content\": \"12345\""));
        fields = list.split('\n')[1].split(',');
        fields[4] = "2001/01/01"; // ends long before it starts
        lines = list.split('\n');
        lines[1] = fields.join(',');
        write(path("n-rev.csv"), lines.join('\n'));
        write(path("n-1001.csv"), list + "1001,555,,,,,yes,no,,\r\n");
        // Files a technician has: the window's Export .CSV file (no suffix), the list workbook
        // saved as CSV by a spreadsheet program (a header row, eight fields, LF), a CSV named
        // .xlsx (read with --format csv).
        write(path("telinf_CSV2026-12-06_10-15-30"), list);
        QByteArray office =
            "Serial,Authorized number,Start Date,Start Time ,End Date,End Time,Always(V),Delete(V)\n";
        for (const QByteArray &line : list.split('\n').mid(0, 1000))
            office += line.chopped(3) + '\n'; // without ",,\r"
        write(path("n-office.csv"), office);
        write(path("csv-named.xlsx"), list);
        // A profile workbook whose password is a number cell (123, typed as 0123 perhaps).
        QByteArray records = BiffBook::label(1, 1, 0);
        QStringList texts{"Items"};
        for (const QJsonValue &v : QJsonDocument::fromJson(settings).object().value("items").toArray()) {
            const int row = v["item"].toInt() + 1;
            for (int c = 1; c <= 3; ++c) {
                const QString text = v[c == 1 ? "name" : c == 2 ? "content" : "description"].toString();
                if (row == 2 && c == 2) {
                    records += BiffBook::number(row, c, 123);
                } else if (!text.isEmpty()) {
                    records += BiffBook::label(row, c, int(texts.size()));
                    texts << text;
                }
            }
        }
        write(path("pw-number.xls"), BiffBook::book(records, texts));
        write(path("n-none.json"), "{\"rows\": []}");
        QVERIFY(::mkfifo(QFile::encodeName(path("fifo.csv")).constData(), 0600) == 0);
        QVERIFY(QFile::link(path("loop-a.csv"), path("loop-b.csv")) &&
                QFile::link(path("loop-b.csv"), path("loop-a.csv")));
    }

    void commands_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("output");
        const int demo = int(devsim::Preset::Demo), factory = int(devsim::Preset::Factory);
        auto row = [](const char *name, int unit, const QStringList &args, int code,
                      const QString &out = {}) { QTest::newRow(name) << unit << args << code << out; };
        row("ports", demo, {"ports", "--json"}, 0, "\"format\": \"zarvento-cli/ports\"");
        row("settings read", demo, {"settings", "read", "--port", "{port}"}, 0, "\"1.Password\"");
        row("settings read xlsx", demo, {"settings", "read", "--port", "{port}", "-o", "{dir}/r.xlsx"}, 0);
        row("settings write xlsx", factory,
            {"settings", "write", "{dir}/s.xlsx", "--port", "{port}", "--verify"}, 0);
        row("settings write json", factory,
            {"settings", "write", "--verify", "{dir}/s15.json", "--port", "{port}"}, 0);
        row("settings diff same", demo, {"settings", "diff", "{dir}/s.json", "--port", "{port}"}, 0, "");
        row("settings diff changed", demo, {"settings", "diff", "{dir}/s15.json", "--port", "{port}"}, 1,
            "7.Auto Arm after authorized number call-in(0~999): 10 → 15\n");
        row("numbers read csv", demo, {"numbers", "read", "--port", "{port}", "-o", "{dir}/r.csv"}, 0);
        row("numbers write xlsx", factory,
            {"numbers", "write", "{dir}/n.xlsx", "--port", "{port}", "--verify"}, 0);
        row("numbers write csv", factory, {"numbers", "write", "{dir}/n.csv", "--port", "{port}", "--verify"},
            0);
        row("numbers write the window's CSV export", factory,
            {"numbers", "write", "{dir}/telinf_CSV2026-12-06_10-15-30", "--port", "{port}", "--verify"}, 0);
        row("numbers write a spreadsheet's CSV", factory,
            {"numbers", "write", "{dir}/n-office.csv", "--port", "{port}", "--verify"}, 0);
        row("numbers write --format csv", factory,
            {"numbers", "write", "{dir}/csv-named.xlsx", "--format", "csv", "--port", "{port}"}, 0);
        row("settings write a number-cell password", factory,
            {"settings", "write", "{dir}/pw-number.xls", "--accept-number-cells", "--port", "{port}"}, 0);
        row("numbers write json", factory,
            {"numbers", "write", "{dir}/n.json", "--port", "{port}", "--verify"}, 0);
        row("numbers diff same", demo, {"numbers", "diff", "{dir}/n.xlsx", "--port", "{port}"}, 0, "");
        row("numbers diff changed", factory, {"numbers", "diff", "{dir}/n.json", "--port", "{port}"}, 1,
            "row 1: (empty) → ");
        row("history read", demo, {"history", "read", "--port", "{port}"}, 0, "\"records\"");
        row("history read csv", demo, {"history", "read", "--port", "{port}", "-o", "{dir}/h.csv"}, 0);
        row("history delete unconfirmed", demo, {"history", "delete", "--port", "{port}"}, 2, "");
        row("history delete", demo, {"history", "delete", "--yes", "--port", "{port}"}, 0, "");
        row("backup", demo, {"backup", "--port", "{port}", "-o", "{dir}/backup"}, 0, "basicinf_R");
        row("wrong password", demo, {"settings", "read", "--port", "{port}", "--password", "1111"}, 1, "");
        row("unknown option", demo, {"settings", "read", "--port", "{port}", "--colour"}, 2, "");
        row("two ports", demo, {"settings", "read", "--port", "{port}", "--port", "{port}"}, 2, "");
    }
    void commands()
    {
        QFETCH(int, unit);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, output);
        Units units({preset(devsim::Preset(unit))});
        const CliRun r = runCli(expand(args, units.port(0)));
        QVERIFY2(r.code == code, r.err.constData());
        if (!output.isNull()) {
            if (output.isEmpty())
                QCOMPARE(r.out, QByteArray());
            else
                QVERIFY2(r.out.contains(output.toUtf8()), r.out.constData());
        }
        if (code == 0) QCOMPARE(r.err, QByteArray());
        // The number cell is written as the unit keeps a password: its digits, then 0.
        if (args.contains("--accept-number-cells"))
            QCOMPARE(units.area(0, Area::Settings).left(4), QByteArray("123\0", 4));
        // What the commands leave behind: the history is gone, the backup is restorable.
        if (args.contains("delete") && code == 0)
            QCOMPARE(units.area(0, Area::History), QByteArray(areaBytes(Area::History), char(0xFF)));
        if (args.first() == "backup") {
            const QStringList written = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
            QCOMPARE(QFileInfo(written[0]).dir().entryList(QDir::Files).size(), 4);
            QCOMPARE(written.size(), 4);
            Units fresh({preset(devsim::Preset::Factory)});
            const CliRun restore = runCli({"provision", "--port", fresh.port(0), "--profile", written[0],
                                           "--numbers", written[1], "--verify"});
            QVERIFY2(restore.code == 0, restore.err.constData());
            QCOMPARE(runCli({"numbers", "diff", written[1], "--port", units.port(0)}).code, 0);
        }
    }

    // Three units at once, one refusing list page 40: that one fails naming itself and the
    // page, the other two are written and verified, and the report says so per unit.
    void provisionThreeUnitsOneRefusing()
    {
        devsim::Options refusing = preset(devsim::Preset::Factory);
        refusing.refuseWrite = 1 + 40; // the login, then list pages 1..40
        Units units({preset(devsim::Preset::Factory), refusing, preset(devsim::Preset::Factory)});
        const CliRun r =
            runCli({"provision", "--port", units.port(0), "--port", units.port(1), "--port", units.port(2),
                    "--numbers", path("n.xlsx"), "--verify", "--report", path("report.json")});
        QCOMPARE(r.code, 1);
        // The failure is told once, in the unit's result line.
        QVERIFY2(
            r.out.contains((units.port(1) +
                            ": failed (exit 1): number list page 40 of 125 refused by the unit: rows 313–320")
                               .toUtf8()),
            r.out.constData());
        QCOMPARE((r.out + r.err).count("page 40 of 125 refused"), 1);
        QVERIFY(!r.err.contains(units.port(0).toUtf8()) && !r.err.contains(units.port(2).toUtf8()));
        const QJsonObject top = QJsonDocument::fromJson(readAll(path("report.json"))).object();
        QCOMPARE(top["failed"].toArray(), QJsonArray{units.port(1)});
        QCOMPARE(top["incomplete"].toArray(), QJsonArray{units.port(1)});
        const QJsonArray report = top.value("units").toArray();
        QCOMPARE(report.size(), 3);
        for (int i : {0, 2}) {
            QCOMPARE(report[i]["port"].toString(), units.port(i));
            QCOMPARE(report[i]["exit"].toInt(), 0);
            QCOMPARE(report[i]["verified"].toBool(), true);
            QCOMPARE(report[i]["written"].toArray(), QJsonArray{"number list"});
            QCOMPARE(units.area(i, Area::Numbers), units.area(0, Area::Numbers));
        }
        QCOMPARE(report[1]["exit"].toInt(), 1);
        QVERIFY(report[1]["error"].toString().contains("page 40 of 125"));
        // The list was written in part: the unit's entry says how far.
        QCOMPARE(report[1]["written"].toArray(), QJsonArray());
        QCOMPARE(report[1]["not_written"].toArray(), QJsonArray());
        const QJsonObject partly = report[1]["partly_written"].toArray()[0].toObject();
        QCOMPARE(partly["area"].toString(), "number list");
        QCOMPARE(partly["unit_holds"].toObject()["pages_saved"].toInt(), 39);
        QVERIFY(units.area(1, Area::Numbers) != units.area(0, Area::Numbers));
        // The refused save in numbers, and the steps after it skipped.
        const QJsonArray steps = report[1]["steps"].toArray();
        QCOMPARE(steps.size(), 4);
        QCOMPARE(steps[1]["step"].toString(), "save number list");
        QCOMPARE(steps[1]["outcome"].toString(), "refused");
        QCOMPARE(steps[1]["page"].toInt(), 40);
        const QJsonObject holds = steps[1]["unit_holds"].toObject();
        QCOMPARE(holds["pages_saved"].toInt(), 39);
        QCOMPARE(holds["pages_not_saved_from"].toInt(), 40);
        QVERIFY(holds["page_uncertain"].isNull());
        QCOMPARE(steps[2]["outcome"].toString(), "skipped");
        QCOMPARE(steps[3]["step"].toString(), "verify number list");
        QCOMPARE(steps[3]["outcome"].toString(), "skipped");
    }

    // A unit that acknowledges a page but keeps it changed is caught by --verify.
    void verifyCatchesChangedPage()
    {
        devsim::Options corrupting = preset(devsim::Preset::Factory);
        corrupting.corruptStore = 1 + 4; // list page 4: rows 25..32
        Units units({corrupting});
        const CliRun r =
            runCli({"numbers", "write", path("n.csv"), "--port", units.port(0), "--verify", "--yes"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains((units.port(0) + ": verify: number list row 25: sent ").toUtf8()),
                 r.err.constData());
        QVERIFY(r.err.contains("verification found 1 difference"));
        // Without --verify the acknowledged page counts as written.
        Units again({corrupting});
        QCOMPARE(runCli({"numbers", "write", path("n.csv"), "--port", again.port(0)}).code, 0);

        // A settings page kept changed stops the run before the list: the unit's line and
        // the report say that the list was not written.
        corrupting.corruptStore = 1 + 2 + 1; // the login, the settings read, then settings page 1
        Units both({corrupting});
        const CliRun p =
            runCli({"provision", "--port", both.port(0), "--profile", path("s15.json"), "--numbers",
                    path("n.csv"), "--verify", "--report", path("verify-report.json")});
        QCOMPARE(p.code, 1);
        QVERIFY2(p.out.contains("; the number list was not written"), p.out.constData());
        const QJsonObject unit = QJsonDocument::fromJson(readAll(path("verify-report.json")))
                                     .object()["units"]
                                     .toArray()[0]
                                     .toObject();
        QStringList outcomes;
        for (const QJsonValue &step : unit["steps"].toArray())
            outcomes << step["step"].toString() + ": " + step["outcome"].toString();
        QCOMPARE(outcomes, QStringList({"log in: completed", "read settings: completed",
                                        "save settings: completed", "read settings: completed",
                                        "verify settings: failed", "save number list: skipped",
                                        "read number list: skipped", "verify number list: skipped"}));
        QCOMPARE(unit["steps"].toArray()[4].toObject()["differences"].toInt(), 1);
        QCOMPARE(unit["not_written"].toArray(), QJsonArray{"number list"});
        QCOMPARE(both.area(0, Area::Numbers), devsim::presetNumbers(devsim::Preset::Factory));
    }

    // The conventions a script relies on: standard input and output by "-", the password
    // from a file or the environment, quiet and verbose runs, port names, unknown words.
    void scripting_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");     // contained in stdout; "" for none
        QTest::addColumn<QStringList>("err"); // each contained in stderr; none: stderr is empty
        auto row = [](const char *name, const QString &shell, const QStringList &args, int code,
                      const QString &out, const QStringList &err = {}) {
            QTest::newRow(name) << shell << args << code << out << err;
        };
        const QStringList read{"settings", "read", "--port", "{port}"};
        row("unknown command", {}, {"foo", "--port", "{port}"}, 2, "", {"unknown command 'foo'"});
        row("unknown subcommand", {}, {"settings", "frob"}, 2, "", {"unknown command 'settings frob'"});
        row("mistyped command", {}, {"provison", "--port", "{port}"}, 2, "",
            {"unknown command 'provison'; did you mean provision?"});
        row("mistyped subcommand", {}, {"numbers", "wirte"}, 2, "", {"did you mean write?"});
        row("time-out in the help", {}, {"numbers", "write", "--help"}, 0, "--timeout-ms");
        row("read JSON is versioned", {}, read, 0, "\"format\": \"zarvento-cli/settings\"");
        row("standard output needs a format", {}, read + QStringList{"-o", "-"}, 2, "",
            {"-o - (standard output) needs --format json|xlsx"});
        row("workbook to standard output", {},
            {"numbers", "read", "--port", "{port}", "-o", "-", "--format", "xlsx"}, 0, "PK\x03\x04");
        row("list CSV to standard output", {},
            {"numbers", "read", "--port", "{port}", "-o", "-", "--format", "csv"}, 0, "1,+");
        row("standard input", "exec < {dir}/s15.json",
            {"settings", "diff", "-", "--format", "json", "--port", "{port}"}, 1, "10 → 15");
        row("diff as JSON", {}, {"settings", "diff", "{dir}/s15.json", "--port", "{port}", "--json"}, 1,
            "\"file\": \"15\"");
        row("password file, CR LF", {}, read + QStringList{"--password-file", "{dir}/pw-8530"}, 0,
            "\"items\"");
        row("password file of 5 characters", {}, read + QStringList{"--password-file", "{dir}/pw-5"}, 2, "",
            {"the password from {dir}/pw-5 has 5 characters; the unit's password has exactly 4"});
        row("password from the environment", "export ZARVENTO_PASSWORD=4321", read, 1, "",
            {"the unit refused the password"});
        row("environment password of 3", "export ZARVENTO_PASSWORD=853", read, 2, "",
            {"the password from ZARVENTO_PASSWORD has 3 characters"});
        row("several ports where one is taken", {}, read + QStringList{"--port", "{port}"}, 2, "",
            {"this command takes one --port; provision, restore and backup take several"});
        row("no password for a command without a unit", "export ZARVENTO_PASSWORD=853",
            {"history", "query", "--archive", "{dir}/none.db"}, 2, "", {"{dir}/none.db: no such archive"});
        row("--password-for without =", {},
            {"provision", "--port", "{port}", "--profile", "{dir}/s.json", "--password-for", "{port}"}, 2, "",
            {"--password-for needs PORT=FILE"});
        row("--password-for another port", {},
            {"provision", "--port", "{port}", "--profile", "{dir}/s.json", "--password-for",
             "a:b={dir}/pw-8530"},
            2, "", {"--password-for names the port a:b, which no --port gives"});
        row("--password-for a port with :", "ln -sfn {port} {dir}/pci-0:1.0",
            {"provision", "--port", "{dir}/pci-0:1.0", "--profile", "{dir}/s.json", "--password-for",
             "{dir}/pci-0:1.0={dir}/pw-8530", "--quiet"},
            0, "");
        row("relative port path", "cd {dir} && mkdir -p run && ln -sfn {port} run/fast",
            {"identify", "--port", "run/fast"}, 0, "SIM number: not set");
        row("bare port name", {}, {"identify", "--port", "zc-absent"}, 3, "",
            {"zc-absent: cannot open the port: no such port /dev/zc-absent"});
        row("unknown USB serial", {}, {"identify", "--port", "serial:NONE"}, 3, "",
            {"serial:NONE: cannot open the port: no port has the USB serial number NONE"});
        row("quiet", {}, {"backup", "--port", "{port}", "-o", "{dir}/quiet", "--quiet"}, 0, "");
        row("verbose", {}, read + QStringList{"-o", "{dir}/verbose.json", "--verbose"}, 0, "",
            {"{port}: settings page 2 of 2 read", "{port}: read settings: completed",
             "{port}: sent 23 83 00 00 01 00 00 00 82", "{port}: reply 23 83 00 00 01 00 01 00"});
    }
    void scripting()
    {
        QFETCH(QString, shell);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QStringList, err);
        Units units({preset(devsim::Preset::Demo)});
        const CliRun r = runCli(expand(args, units.port(0)), 30000, expand({shell}, units.port(0)).first());
        QVERIFY2(r.code == code, r.err.constData());
        if (out.isEmpty())
            QCOMPARE(r.out, QByteArray());
        else
            QVERIFY2(r.out.contains(out.toUtf8()), r.out.left(2000).constData());
        if (err.isEmpty()) QCOMPARE(r.err, QByteArray());
        for (const QString &e : expand(err, units.port(0)))
            QVERIFY2(r.err.contains(e.toUtf8()), r.err.constData());
        // A usage error sends nothing.
        if (code == 2) QCOMPARE(units.sims[0]->requestCount(), 0);
    }

    // A file that fails a check is refused before any unit is opened.
    void badInputChangesNothing_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("list row without start time") << "--numbers"
                                                     << "n-bad.csv"
                                                     << "Wrong information on the profile";
        QTest::newRow("list row out of range") << "--numbers"
                                               << "n-bad.json"
                                               << "\"row\" number from 1 to 1000";
        QTest::newRow("settings number item") << "--profile"
                                              << "s-bad.json"
                                              << "'1x' is not a valid integer value";
        QTest::newRow("settings items missing") << "--profile"
                                                << "s-short.json"
                                                << "item 2 is missing";
        QTest::newRow("no such file") << "--profile"
                                      << "absent.xlsx"
                                      << "absent.xlsx";
        QTest::newRow("five-digit password") << "--profile"
                                             << "s-pw.json"
                                             << "has 5 characters; the unit keeps at most 4";
        QTest::newRow("window ends before it starts") << "--numbers"
                                                      << "n-rev.csv"
                                                      << "Row 2: the window ends";
        QTest::newRow("a list file past row 1000")
            << "--numbers"
            << "n-1001.csv"
            << "line 1002 holds row 1001, past the list's last row 1000";
        QTest::newRow("a profile for a list") << "--numbers"
                                              << "s.xlsx"
                                              << "cell A1 of a list workbook must hold \"Serial\"";
        QTest::newRow("a number-cell password") << "--profile"
                                                << "pw-number.xls"
                                                << "1.Password as a number, not as text";
        QTest::newRow("a list with no numbers") << "--numbers"
                                                << "n-none.json"
                                                << "holds no numbers";
        QTest::newRow("a FIFO") << "--numbers"
                                << "fifo.csv"
                                << "a FIFO (named pipe), not a file";
        QTest::newRow("a symlink loop") << "--profile"
                                        << "loop-a.csv"
                                        << "too many levels of symbolic links";
        QTest::newRow("report folder missing") << "--report"
                                               << "missing/r.json"
                                               << "does not exist";
        // A folder whose mode lets root write, in a file system that takes no file.
        QTest::newRow("report folder takes no file") << "--report"
                                                     << "/proc/zc-report.json"
                                                     << "the folder /proc cannot be written";
    }
    void badInputChangesNothing()
    {
        QFETCH(QString, option);
        QFETCH(QString, file);
        QFETCH(QString, message);
        Units units({preset(devsim::Preset::Demo), preset(devsim::Preset::Factory)});
        // The other file is good, so the bad one alone stops the run.
        const QStringList good = option == "--numbers" ? QStringList{"--profile", path("s.json")}
                                                       : QStringList{"--numbers", path("n.csv")};
        // The run is refused at once, before any unit is opened; nothing waits on a FIFO.
        const CliRun r = runCli(
            QStringList{"provision", "--port", units.port(0), "--port", units.port(1), option, path(file)} +
            good);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        for (const auto &sim : units.sims)
            QCOMPARE(sim->requestCount(), 0);
    }

    // Ctrl-C or SIGHUP during a write ends it at once, exit 128 + the signal's number, with
    // an account of the pages the unit holds that its memory bears out; provision still
    // writes its report.
    void interruptedWriteTellsWhatTheUnitHolds_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("Ctrl-C") << int(SIGINT) << "interrupted \\(Ctrl-C\\)"
                                << QStringList{"numbers", "write", "{dir}/n-all.csv", "--yes"};
        QTest::newRow("SIGHUP, numbers write") << int(SIGHUP) << "hung up \\(SIGHUP\\)"
                                               << QStringList{"numbers", "write", "{dir}/n-all.csv", "--yes"};
        QTest::newRow("SIGHUP, provision --report")
            << int(SIGHUP) << "hung up \\(SIGHUP\\)"
            << QStringList{"provision", "--numbers", "{dir}/n-all.csv", "--report", "{dir}/hup.json"};
    }
    void interruptedWriteTellsWhatTheUnitHolds()
    {
        QFETCH(int, signalNumber);
        QFETCH(QString, how);
        QFETCH(QStringList, args);
        QByteArray csv;
        for (int r = 1; r <= 1000; ++r)
            csv += QByteArray::number(r) + ",+49" + QByteArray::number(7000000 + r) + ",,,,,yes,no,,\r\n";
        write(path("n-all.csv"), csv + ",,,,,,,,,\r\n");
        QFile::remove(path("hup.json"));
        devsim::Options o = preset(devsim::Preset::Demo);
        o.baud = 115200; // a list save takes about 3 s
        Units units({o});
        const QByteArray before = units.area(0, Area::Numbers);
        QProcess p;
        p.start(QStringLiteral(ZC_CLI_PROGRAM), expand(args, units.port(0)) << "--port" << units.port(0));
        QVERIFY(waitUntil([&] { return units.sims[0]->requestCount() > 20; }, 10000));
        QVERIFY(::kill(pid_t(p.processId()), signalNumber) == 0);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 128 + signalNumber);
        // provision tells it in the unit's result line, on stdout.
        const QString err = QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral(
                    "%1 while saving the number list: Pages 1 to (\\d+) of 125 saved, "
                    "page (\\d+) may or may not be saved, pages \\d+ to 125 not saved: save again.")
                    .arg(how))
                .match(err);
        QVERIFY2(m.hasMatch(), qPrintable(err));
        const int saved = m.captured(1).toInt();
        QCOMPARE(m.captured(2).toInt(), saved + 1);
        const QByteArray after = units.area(0, Area::Numbers);
        for (int page = 1; page <= 125; ++page) {
            const QByteArray held = after.mid((page - 1) * 256, 256);
            if (page <= saved)
                QVERIFY2(held.startsWith("+49" + QByteArray::number(7000000 + (page - 1) * 8 + 1)),
                         qPrintable(QString::number(page)));
            else if (page > saved + 1)
                QCOMPARE(held, before.mid((page - 1) * 256, 256));
        }
        if (args.contains("--report")) {
            const QJsonObject unit = QJsonDocument::fromJson(readAll(path("hup.json")))
                                         .object()["units"]
                                         .toArray()
                                         .at(0)
                                         .toObject();
            // The report holds the same account of the pages.
            const QByteArray behind = m.captured(0).section(QStringLiteral(": "), 1).toUtf8();
            QVERIFY2(QJsonDocument(unit).toJson().contains(behind), readAll(path("hup.json")));
        }
    }

    // A workbook written under a locale with decimal commas is the one written under C but
    // for its time stamps: the file format takes decimal points only.
    void workbookSameUnderEveryLocale()
    {
        if (locale_t de = ::newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr))
            ::freelocale(de);
        else
            QSKIP("the de_DE.UTF-8 locale is not installed (scripts/deps.sh makes it)");
        Units units({preset(devsim::Preset::Demo)});
        const QStringList names{"[Content_Types].xml", "_rels/.rels",         "docProps/app.xml",
                                "docProps/core.xml",   "xl/workbook.xml",     "xl/_rels/workbook.xml.rels",
                                "xl/styles.xml",       "xl/theme/theme1.xml", "xl/worksheets/sheet1.xml",
                                "xl/sharedStrings.xml"};
        QStringList parts[2];
        for (int i : {0, 1}) {
            const QString file = path(QStringLiteral("locale-%1.xlsx").arg(i));
            const CliRun r = runCli({"numbers", "read", "--port", units.port(0), "-o", file}, 30000,
                                    i == 0 ? "export LC_ALL=C" : "export LC_ALL=de_DE.UTF-8");
            QVERIFY2(r.code == 0, r.err.constData());
            ZipParts zip;
            QCOMPARE(zip.open(readAll(file)), QString());
            for (const QString &name : names) {
                QString error;
                const QByteArray part = zip.contains(name) ? zip.read(name, &error) : QByteArray("absent");
                QVERIFY2(error.isEmpty(), qPrintable(error));
                parts[i] << QString::fromUtf8(part).replace(
                    QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ")), "TIME");
            }
        }
        QVERIFY(parts[0][names.indexOf("xl/worksheets/sheet1.xml")].contains("left=\"0.7\""));
        for (int k = 0; k < names.size(); ++k)
            QVERIFY2(parts[0][k] == parts[1][k], qPrintable(names[k]));
    }

    // A reader of the output that quits early (`| head`) takes nothing from the save: it
    // goes on to the end and verifies.
    void closedOutputKeepsTheSaveGoing()
    {
        QByteArray csv;
        for (int r = 1; r <= 1000; ++r)
            csv += QByteArray::number(r) + ",+49" + QByteArray::number(7100000 + r) + ",,,,,yes,no,,\r\n";
        write(path("n-head.csv"), csv + ",,,,,,,,,\r\n");
        devsim::Options o = preset(devsim::Preset::Demo);
        o.baud = 115200; // the reader is gone long before the save ends
        Units units({o});
        QProcess p;
        p.start(QStringLiteral("bash"),
                {"-c",
                 "\"$0\" numbers write \"$1\" --port \"$2\" --verify --verbose 2>&1 | head -5 >/dev/null; "
                 "exit ${PIPESTATUS[0]}",
                 QStringLiteral(ZC_CLI_PROGRAM), path("n-head.csv"), units.port(0)});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray held = units.area(0, Area::Numbers);
        for (int row = 1; row <= 1000; ++row)
            QVERIFY2(held.mid((row - 1) * 32).startsWith("+49" + QByteArray::number(7100000 + row)),
                     qPrintable(QString::number(row)));
    }

    // Four units chosen by their USB serial numbers, two with a password of their own: the
    // report on standard output is JSON that python's json.tool takes, and names each unit's
    // steps; the result lines go to stderr.
    void provisionFourUnitsBySerial()
    {
        QList<devsim::Options> options;
        for (int i = 1; i <= 4; ++i) {
            options << preset(devsim::Preset::Factory);
            options.last().usbSerial = QStringLiteral("ZV-%1").arg(i);
        }
        Units units(options);
        QStringList args{"provision",   "--profile", path("s.json"), "--numbers",
                         path("n.csv"), "--verify",  "--report",     "-"};
        for (int i = 0; i < 4; ++i) {
            units.publish(i, QStringLiteral("fleet-%1").arg(i + 1));
            args << "--port" << QStringLiteral("serial:ZV-%1").arg(i + 1);
        }
        for (int i : {2, 3}) {
            QVERIFY(units.sims[i]->setMemory(0, "4321"));
            args << "--password-for" << QStringLiteral("serial:ZV-%1=%2").arg(i + 1).arg(path("pw-4321"));
        }
        const CliRun ports = runCli({"ports"});
        QVERIFY2(ports.out.contains("Simulated unit (fleet-3)\t" + path("runtime").toUtf8() +
                                    "/zarvento-devsim/fleet-3\tZV-3\t-\t-\n"),
                 ports.out.constData());

        const CliRun r = runCli(args, 60000, "export ZARVENTO_PASSWORD=8530");
        QVERIFY2(r.code == 0, r.err.constData());
        QProcess tool;
        tool.start("python3", {"-m", "json.tool"});
        tool.write(r.out);
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(10000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        const QJsonObject report = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(report["format"].toString(), "zarvento-cli/report");
        QCOMPARE(report["version"].toInt(), 1);
        const QJsonArray list = report["units"].toArray();
        QCOMPARE(list.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const QJsonObject unit = list[i].toObject();
            QCOMPARE(unit["port"].toString(), QStringLiteral("serial:ZV-%1").arg(i + 1));
            QCOMPARE(unit["usb_serial"].toString(), QStringLiteral("ZV-%1").arg(i + 1));
            QStringList steps;
            for (const QJsonValue &step : unit["steps"].toArray())
                steps << step["step"].toString() + ": " + step["outcome"].toString();
            QCOMPARE(steps, QStringList({"log in: completed", "read settings: completed",
                                         "save settings: completed", "read settings: completed",
                                         "verify settings: completed", "save number list: completed",
                                         "read number list: completed", "verify number list: completed"}));
            QVERIFY(r.err.contains(QStringLiteral("serial:ZV-%1: ok").arg(i + 1).toUtf8()));
            QCOMPARE(units.area(i, Area::Numbers), units.area(0, Area::Numbers));
        }
        // Each unit kept its own password.
        QCOMPARE(runCli({"numbers", "diff", path("n.csv"), "--port", "fleet-4", "--password-file",
                         path("pw-4321")})
                     .code,
                 0);
        QCOMPARE(units.area(3, Area::Settings).left(4), QByteArray("4321"));

        // Two ports with one serial number: the unit is not guessed.
        units.publish(0, "fleet-1-again");
        const CliRun twice = runCli({"identify", "--port", "serial:ZV-1"});
        QCOMPARE(twice.code, 3);
        QVERIFY2(twice.err.contains("2 ports have the USB serial number ZV-1"), twice.err.constData());
    }

    // backup names its folder by the unit (SIM number, else USB serial, else port), keeps
    // the window's file names, and restore writes that folder back to another unit.
    void backupAndRestoreByIdentity_data()
    {
        QTest::addColumn<QString>("sim");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("folder"); // the start of the backup folder's name
        QTest::newRow("SIM number") << "+4917012345"
                                    << "ZV-7"
                                    << "+4917012345_ZV-7_";
        QTest::newRow("USB serial") << ""
                                    << "ZV-7"
                                    << "ZV-7_";
        QTest::newRow("port") << ""
                              << ""
                              << "site-unit_";
    }
    void backupAndRestoreByIdentity()
    {
        QFETCH(QString, sim);
        QFETCH(QString, serial);
        QFETCH(QString, folder);
        devsim::Options o = preset(devsim::Preset::Demo);
        o.usbSerial = serial;
        Units units({o, preset(devsim::Preset::Factory)});
        units.publish(0, "site-unit");
        if (!sim.isEmpty()) QVERIFY(units.sims[0]->setMemory(4, sim.toLatin1() + '\0'));
        const CliRun id = runCli({"identify", "--port", "site-unit"});
        QCOMPARE(id.code, 0);
        QCOMPARE(id.out, QStringLiteral("SIM number: %1\nUSB serial: %2\n")
                             .arg(sim.isEmpty() ? "not set (settings item 2 is empty)" : sim,
                                  serial.isEmpty()
                                      ? "none known for " + path("runtime") + "/zarvento-devsim/site-unit"
                                      : serial)
                             .toUtf8());

        const QString dir = path("fleet-" + folder);
        const CliRun backup = runCli({"backup", "--port", "site-unit", "-o", dir});
        QVERIFY2(backup.code == 0, backup.err.constData());
        const QStringList folders = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 1);
        QVERIFY2(folders[0].startsWith(folder), qPrintable(folders[0]));
        const QStringList files = QDir(QDir(dir).filePath(folders[0])).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 4);
        QVERIFY(files[0] == "backup.json" && files[1].startsWith("basicinf_R") &&
                files[2].startsWith("hisinf_CSV") && files[3].startsWith("telinf_R"));
        const QJsonObject record =
            QJsonDocument::fromJson(readAll(QDir(dir).filePath(folders[0] + "/backup.json"))).object();
        QCOMPARE(record["format"].toString(), "zarvento-cli/backup");
        QCOMPARE(record["sim_number"].toString(), sim);
        QCOMPARE(record["usb_serial"].toString(), serial);

        // Another unit's SIM number: the restore waits for --yes and writes nothing.
        const QStringList restoreArgs{"restore", QDir(dir).filePath(folders[0]), "--port", units.port(1),
                                      "--verify"};
        if (!sim.isEmpty()) {
            const CliRun refused = runCli(restoreArgs);
            QCOMPARE(refused.code, 2);
            QVERIFY2(refused.out.contains("its SIM number none is not the backup's " + sim.toUtf8() +
                                          "; add --yes to restore onto it"),
                     refused.out.constData());
            QCOMPARE(units.area(1, Area::Settings), devsim::presetSettings(devsim::Preset::Factory));
        }
        const CliRun restore = runCli(restoreArgs + QStringList{"--yes"});
        QVERIFY2(restore.code == 0, restore.err.constData());
        QVERIFY2(restore.out.contains(sim.isEmpty()
                                          ? ": ok: settings written (no item changed), settings verified, "
                                            "number list written, number list verified"
                                          : ": ok: settings written (item 2 changed), settings verified, "
                                            "number list written, number list verified"),
                 restore.out.constData());
        QCOMPARE(units.area(1, Area::Settings), units.area(0, Area::Settings));
        QCOMPARE(runCli({"numbers", "read", "--port", units.port(1)}).out,
                 runCli({"numbers", "read", "--port", units.port(0)}).out);
    }

    // A unit holding unset items (0xFF: a pick byte naming no entry, a number read as 65535):
    // its backup restored onto another unit, and its settings read as JSON and written to a
    // third, leave both with the first unit's settings pages byte for byte.
    void unsetItemsRestoreByteForByte()
    {
        Units units(
            {preset(devsim::Preset::Demo), preset(devsim::Preset::Clean), preset(devsim::Preset::Clean)});
        // Items 3 and 11 (picks) and 7 (a number); item 19 (the port) is unset already.
        for (const quint32 offset : {26, 116, 108, 109})
            QVERIFY(units.sims[0]->setMemory(offset, QByteArray(1, char(0xFF))));
        const QByteArray held = units.area(0, Area::Settings);
        QCOMPARE(held.mid(236, 2), QByteArray(2, char(0xFF)));

        const QString dir = path("unset");
        const CliRun backup = runCli({"backup", "--port", units.port(0), "-o", dir});
        QVERIFY2(backup.code == 0, backup.err.constData());
        const QString folder = QFileInfo(QString::fromUtf8(backup.out.split('\n').first())).path();
        const CliRun restore =
            runCli({"restore", folder, "--port", units.port(1), "--verify", "--yes", "--password", "2580"});
        QVERIFY2(restore.code == 0, restore.err.constData());
        QCOMPARE(units.area(1, Area::Settings).toHex(' '), held.toHex(' '));

        const QString json = path("unset.json");
        QCOMPARE(runCli({"settings", "read", "--port", units.port(0), "-o", json}).code, 0);
        const CliRun write =
            runCli({"settings", "write", json, "--port", units.port(2), "--verify", "--password", "2580"});
        QVERIFY2(write.code == 0, write.err.constData());
        QCOMPARE(units.area(2, Area::Settings).toHex(' '), held.toHex(' '));
    }

    // A technician's run: four units with passwords and SIM numbers of their own (two share
    // one SIM number) are provisioned from a profile exported from a fifth unit, backed up
    // all at once into one folder, and one is restored. Every unit keeps its own password
    // and SIM number; each backup has its own folder; the reports list every area written.
    void technicianFourUnits()
    {
        const QStringList sims{"+4917000001", "+4917000001", "+4917000003", "+4917000004"};
        const QStringList passwords{"1111", "2222", "3333", "4444"};
        QList<devsim::Options> options(5, preset(devsim::Preset::Demo));
        options[2].usbSerial = "ZV-3";
        options[3].usbSerial = "ZV-4";
        Units units(options);
        const QStringList ports{"tech-1", "tech-2", "serial:ZV-3", "serial:ZV-4"};
        QStringList portArgs, passwordArgs;
        for (int i = 0; i < 4; ++i) {
            units.publish(i, QStringLiteral("tech-%1").arg(i + 1));
            QVERIFY(units.sims[i]->setMemory(0, passwords[i].toLatin1()));
            QVERIFY(units.sims[i]->setMemory(4, sims[i].toLatin1() + '\0'));
            write(path("pw-" + passwords[i]), passwords[i].toLatin1() + "\n");
            portArgs << "--port" << ports[i];
            passwordArgs << "--password-for" << ports[i] + "=" + path("pw-" + passwords[i]);
        }
        // The fifth unit: the factory password, a SIM number of its own, item 7 changed.
        QCOMPARE(runCli({"settings", "write", path("s15.json"), "--port", units.port(4)}).code, 0);
        QVERIFY(units.sims[4]->setMemory(4, QByteArray("+4917099999") + '\0'));
        QCOMPARE(runCli({"settings", "read", "--port", units.port(4), "-o", path("site.xlsx")}).code, 0);

        const CliRun p = runCli(QStringList{"provision", "--profile", path("site.xlsx"), "--verify",
                                            "--report", path("provision.json")} +
                                portArgs + passwordArgs);
        QVERIFY2(p.code == 0, p.err.constData());
        for (const QString &port : ports)
            QVERIFY2(p.out.contains(
                         (port + ": ok: settings written (item 7 changed), settings verified\n").toUtf8()),
                     p.out.constData());
        const QJsonObject provisioned = QJsonDocument::fromJson(readAll(path("provision.json"))).object();
        QCOMPARE(provisioned["failed"].toArray(), QJsonArray());
        QCOMPARE(provisioned["incomplete"].toArray(), QJsonArray());
        for (const QJsonValue &unit : provisioned["units"].toArray()) {
            QCOMPARE(unit["written"].toArray(), QJsonArray{"settings"});
            QCOMPARE(unit["items_changed"].toArray(), QJsonArray{7});
        }

        const QString dir = path("technician");
        const CliRun b = runCli(QStringList{"backup", "-o", dir} + portArgs + passwordArgs);
        QVERIFY2(b.code == 0, b.err.constData());
        const QStringList folders = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        QCOMPARE(folders.size(), 4);
        // Each folder says whose it is; the two units of one SIM number have one each.
        QMap<QString, QString> folderOf;
        for (const QString &folder : folders) {
            const QJsonObject record =
                QJsonDocument::fromJson(readAll(dir + "/" + folder + "/backup.json")).object();
            folderOf[record["port"].toString()] = dir + "/" + folder;
            QCOMPARE(record["sim_number"].toString(), sims[ports.indexOf(record["port"].toString())]);
            QCOMPARE(QDir(dir + "/" + folder).entryList(QDir::Files).size(), 4);
        }
        QCOMPARE(folderOf.size(), 4);
        QVERIFY2(folderOf["tech-1"] != folderOf["tech-2"] && folderOf["tech-2"].endsWith("-2"),
                 qPrintable(folders.join(' ')));
        QVERIFY(QFileInfo(folderOf["serial:ZV-3"]).fileName().startsWith("+4917000003_ZV-3_"));

        // Another unit's backup is not restored without --yes; the folder after --port is
        // the folder, not a second port.
        const QByteArray before = units.area(2, Area::Settings);
        const CliRun wrong = runCli({"restore", "--port", "serial:ZV-3", folderOf["tech-1"], "--password-for",
                                     "serial:ZV-3=" + path("pw-3333")});
        QVERIFY2(wrong.code == 2, wrong.err.constData());
        QVERIFY2(
            wrong.out.contains("serial:ZV-3: failed (exit 2): this may be another unit than the backup's: "
                               "its SIM number +4917000003 is not the backup's +4917000001"),
            (wrong.out + wrong.err).constData());
        QCOMPARE(units.area(2, Area::Settings), before);

        const CliRun r =
            runCli({"restore", "--port", "serial:ZV-3", folderOf["serial:ZV-3"], "--password-for",
                    "serial:ZV-3=" + path("pw-3333"), "--verify", "--report", path("restore.json")});
        QVERIFY2(r.code == 0, r.err.constData());
        const QJsonObject restored = QJsonDocument::fromJson(readAll(path("restore.json"))).object();
        QCOMPARE(restored["failed"].toArray(), QJsonArray());
        QCOMPARE(restored["incomplete"].toArray(), QJsonArray());
        QCOMPARE(restored["units"].toArray()[0].toObject()["written"].toArray(),
                 (QJsonArray{"settings", "number list"}));

        // Every unit holds its own password and SIM number, and the site's item 7.
        const QByteArray site = units.area(4, Area::Settings);
        for (int i = 0; i < 4; ++i) {
            const QByteArray held = units.area(i, Area::Settings);
            QCOMPARE(held.left(4), passwords[i].toLatin1());
            QCOMPARE(held.mid(4, sims[i].size() + 1), sims[i].toLatin1() + '\0');
            QCOMPARE(held.mid(26, 256 - 26), site.mid(26, 256 - 26));
            QCOMPARE(held.mid(256), site.mid(256));
        }
    }

    // A list write that removes numbers the unit holds names their rows and waits for --yes;
    // --dry-run lists them.
    void numbersWriteAsksBeforeRemoving()
    {
        QJsonObject list = QJsonDocument::fromJson(readAll(path("n.json"))).object();
        QJsonArray rows;
        for (const QJsonValue &row : list["rows"].toArray())
            if (row["row"].toInt() != 3 && row["row"].toInt() != 4) rows.append(row);
        list["rows"] = rows;
        write(path("n-no3.json"), QJsonDocument(list).toJson());
        Units units({preset(devsim::Preset::Demo)});
        const QByteArray before = units.area(0, Area::Numbers);
        const QStringList args{"numbers", "write", path("n-no3.json"), "--port", units.port(0)};

        const CliRun refused = runCli(args);
        QCOMPARE(refused.code, 2);
        QVERIFY2(refused.err.contains("removes the numbers of rows 3 and 4 that the unit holds; add --yes"),
                 refused.err.constData());
        QCOMPARE(units.area(0, Area::Numbers), before);

        const CliRun dry = runCli(args + QStringList{"--dry-run"});
        QCOMPARE(dry.code, 0);
        QVERIFY2(dry.out.startsWith("row 3: ") && dry.out.contains("→ (empty)\nrow 4: "),
                 dry.out.constData());
        QCOMPARE(units.area(0, Area::Numbers), before);

        QCOMPARE(runCli(args + QStringList{"--yes"}).code, 0);
        const QByteArray after = units.area(0, Area::Numbers);
        QVERIFY(after.mid(64, 64) != before.mid(64, 64));
        QCOMPARE(runCli({"numbers", "diff", path("n-no3.json"), "--port", units.port(0)}).code, 0);
    }

    // A unit that goes away during its list save: the report calls the list partly written,
    // says what the unit holds, and lists the unit as failed and incomplete.
    void reportTellsPartlyWritten()
    {
        devsim::Options vanishing = preset(devsim::Preset::Factory);
        vanishing.vanishAfter = 1 + 2 + 2 + 10; // login, settings read and save, list pages 1..10
        Units units({vanishing, preset(devsim::Preset::Factory)});
        const CliRun r = runCli({"provision", "--port", units.port(0), "--port", units.port(1), "--profile",
                                 path("s15.json"), "--numbers", path("n.csv"), "--timeout-ms", "500",
                                 "--report", path("partly.json")});
        QCOMPARE(r.code, 4);
        const QJsonObject top = QJsonDocument::fromJson(readAll(path("partly.json"))).object();
        QCOMPARE(top["failed"].toArray(), QJsonArray{units.port(0)});
        QCOMPARE(top["incomplete"].toArray(), QJsonArray{units.port(0)});
        const QJsonObject unit = top["units"].toArray()[0].toObject();
        QCOMPARE(unit["written"].toArray(), QJsonArray{"settings"});
        QCOMPARE(unit["not_written"].toArray(), QJsonArray());
        const QJsonObject partly = unit["partly_written"].toArray()[0].toObject();
        QCOMPARE(partly["area"].toString(), "number list");
        const int saved = partly["unit_holds"].toObject()["pages_saved"].toInt();
        QVERIFY2(saved >= 9 && saved <= 10, qPrintable(QString::number(saved)));
        // The unit holds what the report says: the new list's first pages, the old rest.
        const QByteArray held = units.area(0, Area::Numbers);
        QCOMPARE(held.left(saved * 256), units.area(1, Area::Numbers).left(saved * 256));
        QCOMPARE(held.mid(11 * 256), devsim::presetNumbers(devsim::Preset::Factory).mid(11 * 256));
        QCOMPARE(top["units"].toArray()[1].toObject()["written"].toArray(),
                 (QJsonArray{"settings", "number list"}));
    }

    // On a terminal 40 columns wide the progress line of two units is cut to fit, so that
    // each redraw overwrites the last instead of wrapping onto a new line.
    void progressLineFitsTheTerminal()
    {
        devsim::Options paced = preset(devsim::Preset::Factory);
        paced.baud = 115200;
        Units units({paced, paced});
        QProcess p;
        p.start("script",
                {"-qfec",
                 QStringLiteral("stty cols 40; '%1' provision --numbers '%2' --port %3 --port %4")
                     .arg(QStringLiteral(ZC_CLI_PROGRAM), path("n.csv"), units.port(0), units.port(1)),
                 "/dev/null"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QString shown = QString::fromUtf8(p.readAllStandardOutput());
        int drawn = 0;
        for (const QString &piece : shown.split(QStringLiteral("\r\033[K"))) {
            const QString line = piece.section(u'\r', 0, 0).section(u'\n', 0, 0);
            if (!line.contains(u'%')) continue;
            ++drawn;
            QVERIFY2(line.size() < 40, qPrintable(line));
        }
        QVERIFY(drawn > 2);
    }

    // The bash completion offers serial:NUMBER and published names for --port (bash splits
    // a word at ":"), and the types each command's --format takes.
    void completion_data()
    {
        QTest::addColumn<QStringList>("words"); // the bash words after the program; the last is completed
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("serial number after the colon")
            << QStringList{"identify", "--port", "serial", ":", "ZV"} << QStringList{"ZV-1", "ZV-2"};
        QTest::newRow("serial: alone")
            << QStringList{"identify", "--port", "serial", ":"} << QStringList{"ZV-1", "ZV-2"};
        QTest::newRow("serial before the colon")
            << QStringList{"identify", "--port", "ser"} << QStringList{"serial:ZV-1", "serial:ZV-2"};
        QTest::newRow("published name")
            << QStringList{"identify", "--port", "comp"} << QStringList{"comp-1", "comp-2"};
        QTest::newRow("after a serial port")
            << QStringList{"restore", "--port", "serial", ":", "ZV-1", "--ver"}
            << QStringList{"--verify", "--verbose"};
        QTest::newRow("list formats") << QStringList{"numbers", "write", "--format", ""}
                                      << QStringList{"json", "csv", "xlsx", "ods", "xls"};
        QTest::newRow("settings read formats")
            << QStringList{"settings", "read", "--format", ""} << QStringList{"json", "xlsx"};
        QTest::newRow("command") << QStringList{"prov"} << QStringList{"provision"};
    }
    void completion()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        QList<devsim::Options> options(2, preset(devsim::Preset::Factory));
        options[0].usbSerial = "ZV-1";
        options[1].usbSerial = "ZV-2";
        Units units(options);
        units.publish(0, "comp-1");
        units.publish(1, "comp-2");
        QStringList quoted{QStringLiteral("'%1'").arg(QStringLiteral(ZC_CLI_PROGRAM))};
        for (const QString &w : words)
            quoted << "'" + w + "'";
        const QString script =
            QStringLiteral(". '%1'; COMP_WORDBREAKS=$' \\t\\n\"\\'><=;|&(:'; COMP_WORDS=(%2); "
                           "COMP_CWORD=%3; _zarvento_cli; printf '%s\\n' \"${COMPREPLY[@]}\"")
                .arg(QStringLiteral(ZC_COMPLETION_FILE), quoted.join(u' '))
                .arg(words.size());
        QProcess bash;
        bash.start("bash", {"--norc", "-c", script});
        QVERIFY(bash.waitForFinished(30000));
        QStringList got = QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        got.sort();
        offered.sort();
        QCOMPARE(got, offered);
    }

    // Installed, the .xls reader is a helper in libexec/zarvento beside the bin folder: the
    // program finds it there as well as beside itself.
    void xlsHelperFromLibexec()
    {
        const QString prefix = path("prefix");
        QVERIFY(QDir().mkpath(prefix + "/bin") && QDir().mkpath(prefix + "/libexec/zarvento"));
        const QString program = prefix + "/bin/zarvento-cli";
        QVERIFY(QFile::copy(QStringLiteral(ZC_CLI_PROGRAM), program));
        const QStringList args{"settings", "diff", QStringLiteral(ZC_FIXTURES "/xlwt.xls"), "--port",
                               "/dev/zc-none"};
        QProcess p;
        p.start(program, args);
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(p.readAllStandardError().contains("the .xls reader program " + prefix.toUtf8() +
                                                   "/bin/zarvento-xls-read is missing"),
                 "without the helper");
        QVERIFY(QFile::copy(QStringLiteral(ZC_XLS_HELPER), prefix + "/libexec/zarvento/zarvento-xls-read"));
        p.start(program, args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
        const QByteArray err = p.readAllStandardError();
        // The workbook was read: what it holds is no profile.
        QVERIFY2(!err.contains("is missing") && err.contains("xlwt.xls"), err.constData());
    }

    // A port the user may not open gets the advice that fits its owner and group. The
    // program runs as nobody, so this needs root to set it up.
    void permissionAdvice_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("advice");
        QTest::newRow("dialout")
            << "dialout" << 0660
            << "Add your user to the dialout group (sudo usermod -aG dialout $USER), then "
               "log out and log in again.";
        QTest::newRow("another group") << "uucp" << 0660 << "Add your user to the uucp group";
        QTest::newRow("root's alone")
            << "root" << 0600
            << "it belongs to root:root with mode 0600, so joining a group does not "
               "help. Let a udev rule give you access";
    }
    void permissionAdvice()
    {
        QFETCH(QString, group);
        QFETCH(int, mode);
        QFETCH(QString, advice);
        if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
            QSKIP("needs root and setpriv");
        const struct group *g = ::getgrnam(group.toLatin1().constData());
        if (!g) QSKIP("no such group here");
        Units units({preset(devsim::Preset::Demo)});
        const QByteArray pty = QFile::encodeName(units.port(0));
        QVERIFY(::chown(pty.constData(), 0, g->gr_gid) == 0 && ::chmod(pty.constData(), mode_t(mode)) == 0);
        const CliRun r = runCli({"settings", "read", "--port", units.port(0)}, 30000,
                                "exec setpriv --reuid=nobody --regid=nogroup --clear-groups \"$0\" \"$@\"");
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains(advice.toUtf8()), r.err.constData());
        QCOMPARE(units.sims[0]->requestCount(), 0);
    }

    // Ports that cannot be opened and units that stop answering end with their own codes
    // and never hang.
    void failingUnits_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("absent port") << 0 << QStringList{"settings", "read", "--port", "/dev/zc-absent"} << 3
                                     << "/dev/zc-absent: cannot open the port" << 1000;
        QTest::newRow("silent unit") << 1 << QStringList{"settings", "read",         "--port",
                                                         "{port}",   "--timeout-ms", "300"}
                                     << 4 << "no reply from the unit within 300 ms to the login" << 5000;
        QTest::newRow("unit vanishes")
            << 2 << QStringList{"numbers", "read", "--port", "{port}", "--timeout-ms", "300"} << 4
            << "number list page 10 of 125" << 5000;
    }
    void failingUnits()
    {
        QFETCH(int, fault);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(int, maxMs);
        devsim::Options o = preset(devsim::Preset::Demo);
        if (fault == 1) o.dropReply = 1;
        if (fault == 2) o.vanishAfter = 10; // the login and list pages 1..9 answered
        Units units({o});
        const CliRun r = runCli(expand(args, units.port(0)));
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY2(r.ms < maxMs, QByteArray::number(r.ms).constData());
        QCOMPARE(r.out, QByteArray());
    }

    // Faults of the line and of the unit: each ends as its message says, and the unit holds
    // what the message says it holds.
    void lineFaults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QStringList writeSettings{"settings", "write", "{dir}/s15.json", "--port", "{port}"};
        const QStringList writeList{"numbers", "write", "{dir}/n.csv", "--port", "{port}", "--yes"};
        const QStringList slow{"--timeout-ms", "1000"};
        QTest::newRow("page 1 acknowledged late")
            << int(LatePage1) << writeSettings << 4
            << "Page 1 of 2 may or may not be saved, page 2 not saved: save again.";
        QTest::newRow("list page 3 unanswered") << int(DropPage3) << writeList << 4
                                                << "Pages 1 to 2 of 125 saved, page 3 may or may not be "
                                                   "saved, pages 4 to 125 not saved: save again.";
        QTest::newRow("acknowledgement without data")
            << int(EmptyAck3) << writeList << 4 << "page 3 may or may not be saved";
        QTest::newRow("acknowledgement of page 4 glued behind page 3's")
            << int(GluedAck) << writeList << 1
            << "number list page 4 of 125 refused by the unit: rows 25–32 not saved. Pages 1 to 3 of 125 "
               "saved, "
               "pages 4 to 125 not saved: save again.";
        QTest::newRow("page 4 glued behind page 3")
            << int(GluedRead) << QStringList{"numbers", "read", "--port", "{port}", "-o", "{dir}/glued.json"}
            << 0 << "";
        QTest::newRow("stray bytes trickle: login")
            << int(TrickleLogin) << QStringList{"settings", "read", "--port", "{port}"} + slow << 4
            << "no reply from the unit within 1000 ms to the login";
        QTest::newRow("stray bytes trickle: list read")
            << int(Trickle) << QStringList{"numbers", "read", "--port", "{port}"} + slow << 4
            << "no reply from the unit within 1000 ms to number list page 1 of 125";
        QTest::newRow("stray bytes trickle: list save")
            << int(Trickle) << writeList + slow << 4
            << "Page 1 of 125 may or may not be saved, pages 2 to 125 not saved: save again.";
        QTest::newRow("stray bytes trickle: history delete")
            << int(Trickle) << QStringList{"history", "delete", "--yes", "--port", "{port}"} + slow << 4
            << "no reply from the unit within 1000 ms to the delete";
    }
    void lineFaults()
    {
        QFETCH(int, fault);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        devsim::Options o = preset(args[1] == "write" ? devsim::Preset::Factory : devsim::Preset::Demo);
        const QByteArray ack("\x01", 1);
        switch (Fault(fault)) {
        case LatePage1:
            o.lateReply = 2; // the login, then settings page 1
            o.lateMs = 4000;
            break;
        case DropPage3:
            o.dropReply = 1 + 3;
            break;
        case EmptyAck3:
            o.dropReply = o.injectAt = 1 + 3;
            o.inject = test::frame(0x82, 0x1200, {});
            break;
        case GluedAck:
            // In the same write as page 3's acknowledgement comes one for page 4, which the
            // unit then refuses.
            o.injectAt = 1 + 3;
            o.inject = test::frame(0x82, 0x1300, ack);
            o.injectOffset = 1 << 20;
            o.refuseWrite = 1 + 4;
            break;
        case GluedRead:
            o.injectAt = 1 + 3;
            o.inject = test::frame(0x83, 0x1300, QByteArray(256, char(0xFF)));
            o.injectOffset = 1 << 20;
            break;
        case Trickle:
            o.trickleFrom = 2;
            break;
        case TrickleLogin:
            o.trickleFrom = 1;
            break;
        }
        Units units({o});
        const QByteArray history = units.area(0, Area::History);
        const CliRun r = runCli(expand(args, units.port(0)));
        QVERIFY2(r.code == code, r.err.constData());
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());

        // What the unit holds afterwards.
        const QByteArray numbers = units.area(0, Area::Numbers);
        const QByteArray demo = devsim::presetNumbers(devsim::Preset::Demo);
        const QByteArray factory = devsim::presetNumbers(devsim::Preset::Factory);
        const auto pages = [](const QByteArray &a, int first, int last) {
            return a.mid((first - 1) * 256, (last - first + 1) * 256);
        };
        switch (Fault(fault)) {
        case LatePage1: {
            const QByteArray settings = units.area(0, Area::Settings);
            const QByteArray before = devsim::presetSettings(devsim::Preset::Factory);
            QVERIFY(settings.left(256) != before.left(256)); // page 1 was written
            QCOMPARE(settings.mid(256), before.mid(256));
            break;
        }
        case DropPage3:
        case EmptyAck3: // the unit wrote page 3; its reply said nothing of it
            QCOMPARE(pages(numbers, 1, 3), pages(demo, 1, 3));
            QCOMPARE(pages(numbers, 4, 125), pages(factory, 4, 125));
            break;
        case GluedAck:
            QCOMPARE(pages(numbers, 1, 3), pages(demo, 1, 3));
            QCOMPARE(pages(numbers, 4, 125), pages(factory, 4, 125));
            break;
        case GluedRead:
            QCOMPARE(numbers, demo);
            QCOMPARE(readAll(path("glued.json")), readAll(path("n.json")));
            break;
        case TrickleLogin:
            QCOMPARE(units.area(0, Area::Settings), devsim::presetSettings(devsim::Preset::Demo));
            break;
        case Trickle:
            // A save's first page goes out before the silence is noticed; a delete is done
            // by the unit even though it never says so.
            if (args[1] == "write")
                QCOMPARE(pages(numbers, 2, 125), pages(factory, 2, 125));
            else if (args[1] == "read")
                QCOMPARE(numbers, demo);
            else
                QCOMPARE(units.area(0, Area::History), QByteArray(history.size(), char(0xFF)));
            break;
        }
    }

    // A file is written whole or not at all (here the disk's room is cut by a file size
    // limit), an older file stays as it was, and the command fails saying why.
    void wholeFileOrNothing_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file"); // must not be left behind ("" = none)
        QTest::addColumn<QString>("message");
        const QString limit = QStringLiteral("trap '' XFSZ; ulimit -f %1");
        const QString tooLarge = QStringLiteral("the file would be larger than the system allows");
        QTest::newRow("history read -o")
            << limit.arg(4) << QStringList{"history", "read", "--port", "{port}", "-o", "{dir}/h.csv"}
            << "h.csv" << tooLarge;
        // The limit leaves room for the port's lock file.
        QTest::newRow("settings read -o")
            << limit.arg(1) << QStringList{"settings", "read", "--port", "{port}", "-o", "{dir}/r.json"}
            << "r.json" << tooLarge;
        QTest::newRow("provision --report") // eight units, so that the report passes 1 KB
            << limit.arg(1) << QStringList{"provision",    "--port",   "{port}",        "--profile",
                                           "{dir}/s.json", "--report", "{dir}/rep.json"}
            << "rep.json" << tooLarge;
        QTest::newRow("backup") << limit.arg(16)
                                << QStringList{"backup", "--port", "{port}", "-o", "{dir}/bk"} << ""
                                << tooLarge;
        QTest::newRow("standard output on a full disk")
            << "exec > /dev/full" << QStringList{"history", "read", "--port", "{port}"} << ""
            << "cannot write to standard output: the disk is full";
    }
    void wholeFileOrNothing()
    {
        QFETCH(QString, shell);
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(QString, message);
        if (!file.isEmpty()) write(path(file), "older file\n");
        const bool provision = args.first() == "provision";
        Units units(QList<devsim::Options>(provision ? 8 : 1, preset(devsim::Preset::Demo)));
        args = expand(args, units.port(0));
        for (std::size_t i = 1; i < units.sims.size(); ++i)
            args << "--port" << units.port(int(i));
        const CliRun r = runCli(args, 30000, shell);
        // The units got their profile before the report failed: a code of its own says so.
        QVERIFY2(r.code == (provision ? 5 : 2), r.err.constData());
        if (provision)
            QVERIFY2(r.err.contains("the units were written as their lines say"), r.err.constData());
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        if (!file.isEmpty()) QCOMPARE(readAll(path(file)), QByteArray("older file\n"));
        // No temporary file is left beside it.
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
        if (args.first() == "backup") {
            // The files that fit were written whole; the failed one is named and absent.
            const QStringList written = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
            QVERIFY(!written.isEmpty() && written.size() < 4);
            QCOMPARE(QFileInfo(written[0]).dir().entryList(QDir::Files).size(), written.size());
        }
    }

private:
    enum Fault { LatePage1, DropPage3, EmptyAck3, GluedAck, GluedRead, Trickle, TrickleLogin };
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
