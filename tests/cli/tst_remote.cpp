// Units behind a real ser2net on loopback, reached by zarvento-cli through socket://,
// rfc2217:// and both over TLS: what arrives is checked in the simulated unit's memory.
#include "cli_rig.h"
#include "common/delay_proxy.h"
#include "common/ser2net_rig.h"
#include "link/comm.h"
#include "words/port_words.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

using namespace zc;
using namespace zc::test;

class TstRemote : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    static QByteArray readAll(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A port's open as the window waits for it (OpenPort) and as the command line hears it on
    // the event loop (BeginOpenPort): the two must agree.
    static void verdictBothWays(const QString &port, OpenResult result, const QString &because)
    {
        for (const bool wait : {true, false}) {
            TComm comm;
            comm.SetCommName(port);
            OpenVerdict verdict{OpenResult::Open, QStringLiteral("no verdict"), {}};
            if (wait) {
                try {
                    comm.OpenPort();
                } catch (const ECommsError &e) {
                    verdict = {e.result(), e.message(), e.problem()};
                }
            } else {
                QEventLoop loop;
                QObject::connect(&comm, &TComm::OnOpenEnded, &loop, [&](const OpenVerdict &v) {
                    verdict = v;
                    loop.quit();
                });
                comm.BeginOpenPort();
                QTimer::singleShot(10000, &loop, &QEventLoop::quit);
                loop.exec();
            }
            QCOMPARE(int(verdict.result), int(result));
            QVERIFY2(portAdvice(verdict.problem).contains(because), qPrintable(portAdvice(verdict.problem)));
            QVERIFY(!comm.PortOpen());
        }
    }

private slots:
    // The demo unit's settings and list, read over its pseudo-terminal.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkdir("runtime"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("runtime")));
        Units demo({preset(devsim::Preset::Demo)});
        QCOMPARE(runCli({"settings", "read", "--port", demo.port(0), "-o", path("s.json")}).code, 0);
        QCOMPARE(runCli({"numbers", "read", "--port", demo.port(0), "-o", path("n.csv")}).code, 0);
    }

    // A list written through RFC 2217 and read back through raw TCP, and settings pages full
    // of 0xFF (which telnet doubles) written through RFC 2217: the unit holds what a unit on
    // a cable holds, and what comes back is what went out.
    void writeTelnetReadRaw()
    {
        Units units({preset(devsim::Preset::Factory), preset(devsim::Preset::Factory)});
        Ser2net gate(units.port(0));
        const QString telnet = gate.address(Ser2net::Telnet), raw = gate.address(Ser2net::Raw);
        for (const auto &[area, file] : {std::pair{"numbers", "n.csv"}, std::pair{"settings", "s.json"}}) {
            CliRun r = runCli({area, "write", path(file), "--port", telnet, "--verify"});
            QVERIFY2(r.code == 0, r.err.constData());
            QCOMPARE(r.err, QByteArray());
            r = runCli({area, "write", path(file), "--port", units.port(1)});
            QVERIFY2(r.code == 0, r.err.constData());
        }
        QCOMPARE(units.area(0, Area::Numbers), units.area(1, Area::Numbers));
        QCOMPARE(units.area(0, Area::Settings), units.area(1, Area::Settings));
        QVERIFY(units.area(0, Area::Settings).count(char(0xFF)) > 100);
        CliRun r = runCli({"numbers", "read", "--port", raw, "-o", path("back.csv")});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(readAll(path("back.csv")), readAll(path("n.csv")));
        r = runCli({"settings", "diff", path("s.json"), "--port", raw});
        QVERIFY2(r.code == 0, r.err.constData());
    }

    // TLS: read with the authority that signed the gate's certificate; refused, naming the
    // certificate, with another one or with the system's store alone.
    void tls()
    {
        SiteCertificates certs;
        Units units({preset(devsim::Preset::Demo)});
        Ser2net gate(units.port(0), &certs);
        const CliRun cable = runCli({"settings", "read", "--port", units.port(0)});
        QCOMPARE(cable.code, 0);
        for (const Ser2net::Layer layer : {Ser2net::TlsTelnet, Ser2net::TlsRaw}) {
            const QString port = gate.address(layer);
            CliRun r = runCli({"settings", "read", "--port", port, "--tls-ca", certs.ca});
            QVERIFY2(r.code == 0, r.err.constData());
            QCOMPARE(r.out, cable.out);
            r = runCli({"settings", "read", "--port", port, "--tls-ca", certs.otherCa});
            QCOMPARE(r.code, 3);
            QVERIFY2(r.err.contains("The certificate of 127.0.0.1 is not signed by other-ca.pem."),
                     r.err.constData());
            r = runCli({"settings", "read", "--port", port});
            QCOMPARE(r.code, 3);
            QVERIFY2(r.err.contains("not signed by any certificate authority this computer trusts"),
                     r.err.constData());
        }
        // The name is checked too: the certificate is made out to 127.0.0.1 only.
        const CliRun named = runCli(
            {"settings", "read", "--port", gate.address(Ser2net::TlsRaw, "localhost"), "--tls-ca", certs.ca});
        QCOMPARE(named.code, 3);
        QVERIFY2(
            named.err.contains("The certificate of localhost is made out to 127.0.0.1, not to localhost."),
            named.err.constData());
        QVERIFY(units.sims[0]->isRunning());
    }

    // What cannot be reached ends within five seconds with exit 3 and says why; a plain
    // connection to another machine is refused before anything is sent.
    void unreachable()
    {
        Units units({preset(devsim::Preset::Demo)});
        Ser2net gate(units.port(0));
        // Another client holds the unit: ser2net says so to the next one.
        QTcpSocket holder;
        holder.connectToHost(QHostAddress::LocalHost, gate.port(Ser2net::Raw));
        QVERIFY(holder.waitForConnected(2000));
        QThread::msleep(100);
        for (const Ser2net::Layer layer : {Ser2net::Raw, Ser2net::Telnet}) {
            const CliRun r = runCli({"identify", "--port", gate.address(layer)});
            QCOMPARE(r.code, 3);
            QVERIFY(r.ms < 5000);
            QVERIFY2(r.err.contains("is in use by another program"), r.err.constData());
        }
        verdictBothWays(gate.address(Ser2net::Telnet), OpenResult::InUse, "is in use by another program");
        holder.abort();
        // The gate host's unit is unplugged: ser2net cannot open its device.
        Ser2net unplugged({{path("no-such-unit"), Ser2net::Raw}});
        CliRun r = runCli({"identify", "--port", unplugged.address(0)});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains("cannot open its serial device"), r.err.constData());
        verdictBothWays(unplugged.address(0), OpenResult::Refused, "cannot open its serial device");
        const QString nobody = QStringLiteral("socket://127.0.0.1:%1").arg(freeLoopbackPort());
        r = runCli({"identify", "--port", nobody});
        QCOMPARE(r.code, 3);
        QVERIFY(r.ms < 5000);
        QVERIFY2(r.err.contains("Nothing listens at 127.0.0.1:"), r.err.constData());
        verdictBothWays(nobody, OpenResult::Unreachable, "Nothing listens at 127.0.0.1:");
        // Documentation addresses (never reached): refused before any connection.
        r = runCli({"identify", "--port", "rfc2217://192.0.2.7:3001"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("rfc2217+tls://192.0.2.7:3001"), r.err.constData());
        r = runCli({"identify", "--port", "socket://gate-7"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("has no port number"), r.err.constData());
    }

    // A port closed and opened again at once is not taken for one in use, though ser2net
    // lets its device go a moment after the client left.
    void reopenAtOnce()
    {
        Units units({preset(devsim::Preset::Demo)});
        Ser2net gate(units.port(0));
        TComm port;
        port.SetCommName(gate.address(Ser2net::Telnet));
        for (int i = 0; i < 3; ++i) {
            try {
                port.OpenPort();
            } catch (const ECommsError &e) {
                QFAIL(qPrintable(portAdvice(e)));
            }
            QVERIFY(port.PortRemote());
            port.ClosePort();
            QVERIFY(!port.PortOpen());
        }
    }

    // A connection lost in the middle of a save is a lost port: the job says what the unit
    // holds now, as it does for a pulled cable.
    void lostMidSave()
    {
        devsim::Options slow = preset(devsim::Preset::Factory);
        slow.delayMs = 10;
        Units units({slow});
        Ser2net gate(units.port(0));
        QProcess cli;
        // --yes: the save starts at once, without first reading the list for removals.
        cli.start(QStringLiteral(ZC_CLI_PROGRAM),
                  {"numbers", "write", path("n.csv"), "--yes", "--port", gate.address(Ser2net::Telnet)});
        QVERIFY(cli.waitForStarted());
        QElapsedTimer t;
        t.start();
        while (units.sims[0]->requestCount() < 20 && t.elapsed() < 20000)
            QThread::msleep(5);
        gate.stop();
        QVERIFY(cli.waitForFinished(10000));
        const QByteArray err = cli.readAllStandardError();
        QCOMPARE(cli.exitCode(), 4);
        QVERIFY2(err.contains("went away (its port closed) while saving number list page"), err.constData());
        // The pages it names as saved are in the unit, as a unit on a cable holds them.
        const QRegularExpressionMatch saved =
            QRegularExpression(QStringLiteral("Pages 1 to (\\d+) of 125 saved"))
                .match(QString::fromUtf8(err));
        QVERIFY2(saved.hasMatch(), err.constData());
        const int pages = saved.captured(1).toInt();
        Units twin({preset(devsim::Preset::Factory)});
        QCOMPARE(runCli({"numbers", "write", path("n.csv"), "--port", twin.port(0)}).code, 0);
        QVERIFY(pages >= 10);
        QCOMPARE(units.area(0, Area::Numbers).left(pages * 256),
                 twin.area(0, Area::Numbers).left(pages * 256));
    }

    // Behind a network, each reply may take the login's round trip longer than the reply
    // time allows on a cable: a page answered 1.2 s after its request, through a link with a
    // 0.6 s round trip, still counts with a 1 s reply time.
    void deadlineGrowsByRoundTrip()
    {
        devsim::Options late = preset(devsim::Preset::Demo);
        late.lateReply = 2; // the first settings page, after the login
        late.lateMs = 600;
        Units units({late});
        Ser2net gate(units.port(0));
        DelayProxy far(gate.port(Ser2net::Raw), 300);
        const CliRun r = runCli({"settings", "read", "--timeout-ms", "1000", "--port",
                                 QStringLiteral("socket://127.0.0.1:%1").arg(far.port())});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.ms > 600 + 1200);
    }

    // Several units behind their own servers at once, with their own passwords: the
    // report names each port as given.
    void provisionFleet()
    {
        Units units({preset(devsim::Preset::Factory), preset(devsim::Preset::Factory)});
        Ser2net a(units.port(0)), b(units.port(1));
        QFile pw(path("pw"));
        QVERIFY(pw.open(QIODevice::WriteOnly));
        pw.write("8530\n");
        pw.close();
        const QString pa = a.address(Ser2net::Raw, "localhost"), pb = b.address(Ser2net::Telnet);
        const CliRun r = runCli({"provision", "--port", pa, "--port", pb, "--password-for",
                                 pa + "=" + path("pw"), "--numbers", path("n.csv"), "--profile",
                                 path("s.json"), "--verify", "--report", path("report.json")});
        QVERIFY2(r.code == 0, r.err.constData());
        const QJsonArray report =
            QJsonDocument::fromJson(readAll(path("report.json"))).object().value("units").toArray();
        QCOMPARE(report.size(), 2);
        QCOMPARE(report[0]["port"].toString(), pa);
        QCOMPARE(report[1]["port"].toString(), pb);
        QCOMPARE(units.area(0, Area::Numbers), units.area(1, Area::Numbers));
        QCOMPARE(units.area(0, Area::Settings), units.area(1, Area::Settings));
    }

    // A fleet whose units open side by side, one of them held by another client: that one
    // ends "in use" with exit 3 and not one request of ours reaches it; the others are
    // written in full.
    void fleetWithOneHeld()
    {
        const devsim::Options factory = preset(devsim::Preset::Factory);
        Units units({factory, factory, factory, factory});
        Ser2net gate({{units.port(0), Ser2net::Raw},
                      {units.port(1), Ser2net::Telnet},
                      {units.port(2), Ser2net::Raw},
                      {units.port(3), Ser2net::Telnet}});
        QTcpSocket holder;
        holder.connectToHost(QHostAddress::LocalHost, gate.port(2));
        QVERIFY(holder.waitForConnected(2000));
        QThread::msleep(100);
        const QByteArray blank = units.area(2, Area::Numbers);
        QStringList args = {"provision", "--numbers", path("n.csv")};
        for (int i = 0; i < 4; ++i)
            args << "--port" << gate.address(i);
        const CliRun r = runCli(args);
        QCOMPARE(r.code, 3);
        const QString held = gate.address(2);
        const QString line = held + ": failed (exit 3): cannot open the port: " + held + " is in use";
        QVERIFY2(r.out.contains(line.toUtf8()), r.out.constData());
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(units.sims[2]->requestCount(), 0);
        QCOMPARE(units.area(2, Area::Numbers), blank);
        for (const int i : {0, 1, 3})
            QCOMPARE(units.area(i, Area::Numbers), units.area(0, Area::Numbers));
        QVERIFY(units.area(0, Area::Numbers) != blank);
    }
};

QTEST_GUILESS_MAIN(TstRemote)
#include "tst_remote.moc"
