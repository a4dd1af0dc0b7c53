// zarvento-cli against simulated units: every command's success path and exit code,
// provisioning several units at once, verification after a write, bad input files and
// units that fail.
#include "cli_rig.h"
#include "common/frames.h"
#include "common/wait.h"
#include "devsim/presets.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>

using namespace zc;
using namespace zc::test;

class TstCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
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
        write(path("n-half.csv"), list.split('\n').mid(0, 500).join('\n'));
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
        row("ports", demo, {"ports", "--json"}, 0, "[");
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
        // What the commands leave behind: the history is gone, the backup is restorable.
        if (args.contains("delete") && code == 0)
            QCOMPARE(units.area(0, Area::History), QByteArray(areaBytes(Area::History), char(0xFF)));
        if (args.first() == "backup") {
            const QStringList files = QDir(path("backup")).entryList(QDir::Files);
            QCOMPARE(files.size(), 3);
            Units fresh({preset(devsim::Preset::Factory)});
            const QStringList written = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
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
        QVERIFY2(
            r.err.contains(
                (units.port(1) + ": number list page 40 of 125 refused by the unit: rows 313–320").toUtf8()),
            r.err.constData());
        QVERIFY(!r.err.contains(units.port(0).toUtf8()) && !r.err.contains(units.port(2).toUtf8()));
        const QJsonArray report =
            QJsonDocument::fromJson(readAll(path("report.json"))).object().value("units").toArray();
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
        QVERIFY(units.area(1, Area::Numbers) != units.area(0, Area::Numbers));
    }

    // A unit that acknowledges a page but keeps it changed is caught by --verify.
    void verifyCatchesChangedPage()
    {
        devsim::Options corrupting = preset(devsim::Preset::Factory);
        corrupting.corruptStore = 1 + 4; // list page 4: rows 25..32
        Units units({corrupting});
        const CliRun r = runCli({"numbers", "write", path("n.csv"), "--port", units.port(0), "--verify"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains((units.port(0) + ": verify: number list row 25: sent ").toUtf8()),
                 r.err.constData());
        QVERIFY(r.err.contains("verification found 1 difference"));
        // Without --verify the acknowledged page counts as written.
        Units again({corrupting});
        QCOMPARE(runCli({"numbers", "write", path("n.csv"), "--port", again.port(0)}).code, 0);
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
        QTest::newRow("half a list file") << "--numbers"
                                          << "n-half.csv"
                                          << "the file ends after line 500";
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

    // Ctrl-C during a write ends it at once, exit 130, with an account of the pages the unit
    // holds that its memory bears out.
    void interruptedWriteTellsWhatTheUnitHolds()
    {
        QByteArray csv;
        for (int r = 1; r <= 1000; ++r)
            csv += QByteArray::number(r) + ",+49" + QByteArray::number(7000000 + r) + ",,,,,yes,no,,\r\n";
        write(path("n-all.csv"), csv + ",,,,,,,,,\r\n");
        devsim::Options o = preset(devsim::Preset::Demo);
        o.baud = 115200; // a list save takes about 3 s
        Units units({o});
        const QByteArray before = units.area(0, Area::Numbers);
        QProcess p;
        p.start(QStringLiteral(ZC_CLI_PROGRAM),
                {"numbers", "write", path("n-all.csv"), "--port", units.port(0)});
        QVERIFY(waitUntil([&] { return units.sims[0]->requestCount() > 20; }, 10000));
        QVERIFY(::kill(pid_t(p.processId()), SIGINT) == 0);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 130);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral(
                    "interrupted \\(Ctrl-C\\) while saving the number list: Pages 1 to (\\d+) of 125 saved, "
                    "page (\\d+) may or may not be saved, pages \\d+ to 125 not saved: save again."))
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
        const QStringList writeList{"numbers", "write", "{dir}/n.csv", "--port", "{port}"};
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
        QTest::newRow("history read -o") << limit.arg(4)
                                         << QStringList{"history", "read", "--port", "{port}", "-o", "{dir}/h.csv"}
                                         << "h.csv" << tooLarge;
        // The limit leaves room for the port's lock file.
        QTest::newRow("settings read -o") << limit.arg(1)
                                          << QStringList{"settings", "read", "--port", "{port}", "-o", "{dir}/r.json"}
                                          << "r.json" << tooLarge;
        QTest::newRow("provision --report") // eight units, so that the report passes 1 KB
            << limit.arg(1)
            << QStringList{"provision", "--port", "{port}", "--profile", "{dir}/s.json", "--report", "{dir}/rep.json"}
            << "rep.json" << tooLarge;
        QTest::newRow("backup") << limit.arg(16) << QStringList{"backup", "--port", "{port}", "-o", "{dir}/bk"}
                                << "" << tooLarge;
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
        QVERIFY2(r.code == 2, r.err.constData());
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        if (!file.isEmpty()) QCOMPARE(readAll(path(file)), QByteArray("older file\n"));
        // No temporary file is left beside it.
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
        if (args.first() == "backup") {
            // The files that fit were written whole; the failed one is named and absent.
            const QStringList written = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
            QVERIFY(!written.isEmpty() && written.size() < 3);
            QCOMPARE(QDir(path("bk")).entryList(QDir::Files).size(), written.size());
        }
    }

private:
    enum Fault { LatePage1, DropPage3, EmptyAck3, GluedAck, GluedRead, Trickle, TrickleLogin };
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
