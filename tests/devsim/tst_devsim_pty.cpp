// The simulated unit on a real pseudo-terminal, and the zarvento-devsim program.
#include "common/frames.h"
#include "common/wait.h"
#include "devsim/pty_client.h"
#include "devsim/simulator.h"
#include "link/port_discovery.h"
#include "link/published_devices.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace zc;
using namespace zc::devsim;
using namespace zc::devsim::test;
using namespace zc::test;

namespace {

const QByteArray kFactoryPage1 = frame(0x83, 0, presetSettings(Preset::Factory).left(256));

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDevsimPty : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughLink()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("unit");
        Simulator sim;
        QString error;
        QVERIFY2(sim.start(link, &error), qPrintable(error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.ptyPath());

        PtyClient client(link);
        QVERIFY(client.send(readRequest(0x0000)));
        QCOMPARE(client.readFrame().toHex(), kFactoryPage1.toHex());
        QVERIFY(client.send(writeRequest(0x1100, pattern(5))));
        QCOMPARE(client.readFrame().toHex(), QByteArray("23820000110000010193"));
        QCOMPARE(sim.memory(0x1100, 256), pattern(5));
        QCOMPARE(sim.requests(), (QList<QByteArray>{readRequest(0), writeRequest(0x1100, pattern(5))}));

        QVERIFY(sim.setMemory(0x10100, "record"));
        QVERIFY(!sim.setMemory(0x0200, "outside"));
        QVERIFY(client.send(readRequest(0x10100)));
        QCOMPARE(client.readFrame().mid(8, 6), QByteArray("record"));

        sim.stop();
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(client.waitHangup());
        sim.stop(); // twice is harmless
    }

    void clientMayReopen()
    {
        Simulator sim;
        QVERIFY(sim.start());
        for (int round = 0; round < 3; ++round) {
            PtyClient client(sim.ptyPath());
            QVERIFY(client.send(readRequest(0x0000)));
            QCOMPARE(client.readFrame(), kFactoryPage1);
        }
        // A client that dies in the middle of a frame does not spoil the next one's request.
        PtyClient(sim.ptyPath()).send(writeRequest(0x1000, pattern(1)).left(40));
        QTest::qWait(1500);
        PtyClient client(sim.ptyPath());
        QVERIFY(client.send(readRequest(0x0000)));
        QCOMPARE(client.readFrame(), kFactoryPage1);
    }

    void answersWhileEventLoopRuns()
    {
        Simulator sim;
        QVERIFY(sim.start());
        PtyClient client(sim.ptyPath());
        QByteArray received;
        QSocketNotifier notifier(client.fd(), QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [&] { received += client.read(4096, 0); });
        QVERIFY(client.send(readRequest(0x0000) + readRequest(0x0000)));
        ZC_TRY_COMPARE_WITH_TIMEOUT(received, kFactoryPage1 + kFactoryPage1, 5000);
    }

    void deliveryFaults_data()
    {
        QTest::addColumn<bool>("split");
        QTest::addColumn<bool>("noise");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("baud");
        QTest::newRow("split") << true << false << 0 << 0;
        QTest::newRow("noise") << false << true << 0 << 0;
        QTest::newRow("delay") << false << false << 30 << 0;
        QTest::newRow("all of them at 115200 baud") << true << true << 10 << 115200;
    }
    void deliveryFaults()
    {
        QFETCH(bool, split);
        QFETCH(bool, noise);
        QFETCH(int, delayMs);
        QFETCH(int, baud);
        Options options;
        options.preset = Preset::Demo;
        options.split = split;
        options.noise = noise;
        options.delayMs = delayMs;
        options.baud = baud;
        Simulator sim(options);
        QVERIFY(sim.start());
        PtyClient client(sim.ptyPath());
        for (quint32 address : {0x0000u, 0x1000u, 0x10000u, 0x0200u}) {
            QVERIFY(client.send(readRequest(address)));
            QByteArray skipped;
            QCOMPARE(client.readFrame(5000, &skipped), frame(0x83, address, sim.memory(address, 256)));
            QCOMPARE(skipped.isEmpty(), !options.noise);
        }
    }

    void pacedReplyIsCompleteAndNotEarly()
    {
        // 274 bytes on the line (request and reply) at 9600 baud cannot take less than 285 ms.
        Options options;
        options.baud = 9600;
        Simulator sim(options);
        QVERIFY(sim.start());
        PtyClient client(sim.ptyPath());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(client.send(readRequest(0x0000)));
        QCOMPARE(client.readFrame(10000), kFactoryPage1);
        QVERIFY2(timer.elapsed() >= 280, qPrintable(QString::number(timer.elapsed())));
    }

    void vanishClosesTheLine()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("unit");
        Options options;
        options.vanishAfter = 2;
        Simulator sim(options);
        QVERIFY(sim.start(link));
        PtyClient client(link);
        QVERIFY(client.send(readRequest(0x0000)));
        QCOMPARE(client.readFrame(), kFactoryPage1);
        QVERIFY(client.send(readRequest(0x0000)));
        QCOMPARE(client.readFrame(), kFactoryPage1); // request 2 is still answered
        QVERIFY(client.waitHangup());
        ZC_TRY_VERIFY(!sim.isRunning());
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void stopIsPromptDuringLongDelay()
    {
        Options options;
        options.delayMs = 600000;
        Simulator sim(options);
        QVERIFY(sim.start());
        PtyClient client(sim.ptyPath());
        QVERIFY(client.send(readRequest(0x0000)));
        ZC_TRY_COMPARE(sim.requestCount(), 1);
        QElapsedTimer timer;
        timer.start();
        sim.stop();
        QVERIFY2(timer.elapsed() < 10000, "stop() waited for the reply delay"); // detects a hang only
    }

    void linkReplacesOldLinkOnly()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("unit");
        QVERIFY(QFile::link("/nonexistent/old-pty", link));
        Simulator sim;
        QVERIFY(sim.start(link));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.ptyPath());

        // A second unit takes the name over; stopping the first leaves the second's link alone.
        Simulator other;
        QVERIFY(other.start(link));
        sim.stop();
        QCOMPARE(QFileInfo(link).symLinkTarget(), other.ptyPath());

        // A real file is never overwritten.
        const QString file = dir.filePath("notes.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep me") == 7);
        f.close();
        Simulator third;
        QString error;
        QVERIFY(!third.start(file, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(fileBytes(file), QByteArray("keep me"));
        QVERIFY(third.start()); // the failed start left nothing half open
    }

    void imageFollowsEveryChange()
    {
        QTemporaryDir dir;
        Options options;
        options.preset = Preset::Demo;
        options.imagePath = dir.filePath("unit.img");
        {
            Simulator sim(options);
            QVERIFY(sim.start());
            PtyClient client(sim.ptyPath());
            QVERIFY(client.send(writeRequest(0x0100, pattern(8))));
            QCOMPARE(client.readFrame().toHex(), QByteArray("23820000010000010183"));
            QCOMPARE(fileBytes(options.imagePath).mid(256, 256), pattern(8));
            QVERIFY(client.send(QByteArray::fromHex("238500000000000085")));
            QCOMPARE(client.readFrame().toHex(), QByteArray("23850000000000010185"));
            QCOMPARE(fileBytes(options.imagePath).mid(32512), QByteArray(128000, char(0xFF)));
        }
        // The next start continues from the image, whatever its preset.
        options.preset = Preset::Blank;
        Simulator again(options);
        QVERIFY(again.start());
        QCOMPARE(again.memory(0x0100, 256), pattern(8));
        QCOMPARE(again.memory(0x1000, 32), presetNumbers(Preset::Demo).left(32));
        again.stop();

        // An image of the wrong size stops the start and stays as it was.
        QFile file(options.imagePath);
        QVERIFY(file.resize(512));
        Simulator refused(options);
        QString error;
        QVERIFY(!refused.start(dir.filePath("unit"), &error));
        QVERIFY2(error.contains("512"), qPrintable(error));
        QVERIFY(!QFileInfo(dir.filePath("unit")).isSymLink());
        QCOMPARE(QFileInfo(options.imagePath).size(), qint64(512));
    }

    void publishForPortList()
    {
        QTemporaryDir runtime;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", saved); });
        QCOMPARE(publishDir(), runtime.path() + "/zarvento-devsim");

        Options withSerial;
        withSerial.usbSerial = QStringLiteral("ZV0042");
        Simulator sim, second(withSerial);
        QString error;
        QVERIFY(!sim.publish("early", &error)); // not running yet
        QVERIFY(sim.start() && second.start());
        for (const char *bad : {"", "a/b", "..", ".hidden"})
            QVERIFY2(!sim.publish(bad, &error), bad);
        QVERIFY2(sim.publish("unit-b", &error), qPrintable(error));
        QVERIFY(second.publish("unit-a"));
        QVERIFY(QFile::link("/nonexistent/pts", publishDir() + "/dangling"));

        const QList<PublishedDevice> devices = publishedDevices();
        QCOMPARE(devices.size(), 2);
        QCOMPARE(devices[0].name + devices[1].name, QString("unit-aunit-b"));
        // The serial number stays beside its link and is no port of its own.
        QCOMPARE(devices[0].usbSerial + "|" + devices[1].usbSerial, QString("ZV0042|"));
        // A port's stable by-id name is the link that leads to its device.
        QVERIFY(QDir(runtime.path()).mkdir("by-id"));
        QVERIFY(QFile::link(devices[0].path, runtime.filePath("by-id/usb-Zarvento_ZV0042-if00-port0")));
        QCOMPARE(byIdLink(second.ptyPath(), runtime.filePath("by-id")),
                 runtime.filePath("by-id/usb-Zarvento_ZV0042-if00-port0"));
        QCOMPARE(byIdLink(sim.ptyPath(), runtime.filePath("by-id")), QString());
        PtyClient client(devices[1].path);
        QVERIFY(client.send(readRequest(0)));
        QCOMPARE(client.readFrame(), kFactoryPage1);
        sim.stop();
        second.stop();
        QVERIFY(publishedDevices().isEmpty());
        QVERIFY(!QFile::exists(publishedSerialPath("unit-a")));

        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.filePath("missing")));
        QCOMPARE(publishDir(), QString("/tmp/zarvento-devsim-%1").arg(getuid()));
    }

    void program_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void program()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString link = dir.filePath("unit");
        const QString published = dir.filePath("zarvento-devsim/demo-unit");
        QProcess proc;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.path());
        proc.setProcessEnvironment(env);
        proc.start(ZC_DEVSIM_PROGRAM,
                   {"--link", link, "--publish", "demo-unit", "--preset", "demo", "--split"});
        ZC_TRY_VERIFY_WITH_TIMEOUT(proc.canReadLine(), 20000);
        const QString path = QString::fromLocal8Bit(proc.readLine()).trimmed();
        QVERIFY2(path.startsWith("/dev/pts/"), qPrintable(path));
        QCOMPARE(QFileInfo(link).symLinkTarget(), path);
        QCOMPARE(QFileInfo(published).symLinkTarget(), path);

        PtyClient client(link);
        QVERIFY(client.send(readRequest(0x1000)));
        QCOMPARE(client.readFrame(), frame(0x83, 0x1000, presetNumbers(Preset::Demo).left(256)));

        ::kill(pid_t(proc.processId()), signal);
        QVERIFY(proc.waitForFinished(20000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink() && !QFileInfo(published).isSymLink());
    }

    void programRejectsBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no link") << QStringList{"--preset", "demo"};
        QTest::newRow("unknown option") << QStringList{"--link", "x", "--bogus"};
        QTest::newRow("unknown preset") << QStringList{"--link", "x", "--preset", "new"};
        QTest::newRow("baud not a number") << QStringList{"--link", "x", "--baud", "fast"};
        QTest::newRow("negative delay") << QStringList{"--link", "x", "--delay", "-5"};
        QTest::newRow("request 0") << QStringList{"--link", "x", "--refuse-write", "0"};
        QTest::newRow("missing value") << QStringList{"--link", "x", "--drop-reply"};
        QTest::newRow("stray argument") << QStringList{"--link", "x", "extra"};
    }
    void programRejectsBadOptions()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QProcess proc;
        proc.setWorkingDirectory(dir.path());
        proc.start(ZC_DEVSIM_PROGRAM, arguments);
        QVERIFY(proc.waitForFinished(20000));
        QCOMPARE(proc.exitCode(), 2);
        QVERIFY(proc.readAllStandardError().contains("usage: zarvento-devsim"));
        QVERIFY(proc.readAllStandardOutput().isEmpty());
        QVERIFY(!QFileInfo(dir.filePath("x")).exists());
    }
};

QTEST_GUILESS_MAIN(TestDevsimPty)
#include "tst_devsim_pty.moc"
