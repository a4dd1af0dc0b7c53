// The simulated unit on a real pseudo-terminal, and the zarvento-devsim program.
#include "frame_helpers.h"
#include "pty_client.h"
#include "published.h"
#include "simulator.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace zc::devsim;
using namespace zc::devsim::test;

class TestDevsimPty : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughLink();
    void memoryIsSharedWithTheLine();
    void clientMayReopen();
    void answersWhileEventLoopRuns();
    void deliveryFaults_data();
    void deliveryFaults();
    void pacedReplyIsCompleteAndNotEarly();
    void vanishClosesTheLine();
    void stopIsPromptDuringLongDelay();
    void linkReplacesOldLinkOnly();
    void imageFollowsEveryChange();
    void wrongSizeImageStopsStart();
    void publishForPortList();
    void program();
    void programRejectsBadOptions_data();
    void programRejectsBadOptions();
};

void TestDevsimPty::roundTripThroughLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("unit");
    Simulator sim;
    QString error;
    QVERIFY2(sim.start(link, &error), qPrintable(error));
    QVERIFY(sim.ptyPath().startsWith("/dev/pts/"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.ptyPath());

    PtyClient client(link);
    QVERIFY(client.isOpen());
    QVERIFY(client.send(readRequest(0x0000)));
    QCOMPARE(client.readFrame().toHex(), frame(0x83, 0, presetSettings(Preset::Factory).left(256)).toHex());
    QCOMPARE(sim.requests(), QList<QByteArray>{readRequest(0x0000)});
    QCOMPARE(sim.requestCount(), 1);

    sim.stop();
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!sim.isRunning());
    sim.stop(); // twice is harmless
}

void TestDevsimPty::memoryIsSharedWithTheLine()
{
    Simulator sim;
    QVERIFY(sim.start());
    PtyClient client(sim.ptyPath());
    QVERIFY(client.send(writeRequest(0x1100, pattern(5))));
    QCOMPARE(client.readFrame().toHex(), QByteArray("23820000110000010193"));
    QCOMPARE(sim.memory(0x1100, 256), pattern(5));

    QVERIFY(sim.setMemory(0x10100, "record"));
    QVERIFY(!sim.setMemory(0x0200, "outside"));
    QVERIFY(client.send(readRequest(0x10100)));
    const QByteArray reply = client.readFrame();
    QCOMPARE(reply.mid(8, 6), QByteArray("record"));
}

void TestDevsimPty::clientMayReopen()
{
    Simulator sim;
    QVERIFY(sim.start());
    for (int round = 0; round < 3; ++round) {
        PtyClient client(sim.ptyPath());
        QVERIFY(client.isOpen());
        QVERIFY(client.send(readRequest(0x0100)));
        QCOMPARE(client.readFrame().size(), 265);
    }
    // A client that dies in the middle of a frame does not spoil the next one's request.
    {
        PtyClient client(sim.ptyPath());
        QVERIFY(client.send(writeRequest(0x1000, pattern(1)).left(40)));
    }
    QTest::qWait(1500);
    PtyClient client(sim.ptyPath());
    QVERIFY(client.send(readRequest(0x0000)));
    QCOMPARE(client.readFrame().left(8).toHex(), QByteArray("2383000000000100"));
    QCOMPARE(sim.memory(0x1000, 1), QByteArray(1, char(0xFF)));
}

void TestDevsimPty::answersWhileEventLoopRuns()
{
    Simulator sim;
    QVERIFY(sim.start());
    PtyClient client(sim.ptyPath());
    QByteArray received;
    QSocketNotifier notifier(client.fd(), QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, this, [&] { received += client.read(4096, 0); });
    QVERIFY(client.send(readRequest(0x0000) + readRequest(0x0100)));
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2 * 265, 5000);
    QCOMPARE(received.mid(265, 8).toHex(), QByteArray("2383000001000100"));
}

void TestDevsimPty::deliveryFaults_data()
{
    QTest::addColumn<bool>("split");
    QTest::addColumn<bool>("noise");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("baud");
    QTest::newRow("split") << true << false << 0 << 0;
    QTest::newRow("noise") << false << true << 0 << 0;
    QTest::newRow("delay") << false << false << 30 << 0;
    QTest::newRow("split, noise, delay and 115200 baud") << true << true << 10 << 115200;
}

void TestDevsimPty::deliveryFaults()
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
        QCOMPARE(client.readFrame(5000, &skipped).toHex(), frame(0x83, address, sim.memory(address, 256)).toHex());
        QCOMPARE(skipped.isEmpty(), !noise);
    }
    QVERIFY(client.send(writeRequest(0x1000, pattern(2))));
    QCOMPARE(client.readFrame().toHex(), QByteArray("23820000100000010192"));
}

void TestDevsimPty::pacedReplyIsCompleteAndNotEarly()
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
    const QByteArray reply = client.readFrame(10000);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(reply.toHex(), frame(0x83, 0, presetSettings(Preset::Factory).left(256)).toHex());
    QVERIFY2(elapsed >= 280, qPrintable(QString::number(elapsed)));
}

void TestDevsimPty::vanishClosesTheLine()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("unit");
    Options options;
    options.vanishAfter = 2;
    Simulator sim(options);
    QVERIFY(sim.start(link));
    PtyClient client(link);
    QVERIFY(client.send(readRequest(0x0000)));
    QCOMPARE(client.readFrame().size(), 265);
    QVERIFY(client.send(readRequest(0x0100)));
    QCOMPARE(client.readFrame().size(), 265); // request 2 is still answered
    QVERIFY(client.waitHangup());
    QTRY_VERIFY(!sim.isRunning());
    QVERIFY(!QFileInfo(link).isSymLink());
    QCOMPARE(sim.requestCount(), 2);
    sim.stop();
}

void TestDevsimPty::stopIsPromptDuringLongDelay()
{
    Options options;
    options.delayMs = 600000;
    Simulator sim(options);
    QVERIFY(sim.start());
    PtyClient client(sim.ptyPath());
    QVERIFY(client.send(readRequest(0x0000)));
    QTRY_COMPARE(sim.requestCount(), 1);
    QElapsedTimer timer;
    timer.start();
    sim.stop();
    QVERIFY2(timer.elapsed() < 10000, "stop() waited for the reply delay"); // a hang, not a speed limit
}

void TestDevsimPty::linkReplacesOldLinkOnly()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("unit");
    QVERIFY(QFile::link("/nonexistent/old-pty", link));
    Simulator sim;
    QVERIFY(sim.start(link));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.ptyPath());

    // A second unit takes over the name; stopping the first must not remove the second's link.
    Simulator other;
    QVERIFY(other.start(link));
    sim.stop();
    QCOMPARE(QFileInfo(link).symLinkTarget(), other.ptyPath());
    other.stop();
    QVERIFY(!QFileInfo(link).isSymLink());

    // A real file is never overwritten.
    const QString file = dir.filePath("notes.txt");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep me");
    f.close();
    Simulator third;
    QString error;
    QVERIFY(!third.start(file, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
    QVERIFY(third.start()); // the failed start left nothing half open
}

void TestDevsimPty::imageFollowsEveryChange()
{
    QTemporaryDir dir;
    Options options;
    options.preset = Preset::Demo;
    options.imagePath = dir.filePath("unit.img");
    {
        Simulator sim(options);
        QVERIFY(sim.start());
        QVERIFY(!QFile::exists(options.imagePath)); // nothing changed yet
        PtyClient client(sim.ptyPath());
        QVERIFY(client.send(writeRequest(0x0100, pattern(8))));
        QCOMPARE(client.readFrame().toHex(), QByteArray("23820000010000010183"));
        QFile file(options.imagePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().mid(256, 256), pattern(8));
        file.close();

        QVERIFY(client.send(QByteArray::fromHex("238500000000000085")));
        QCOMPARE(client.readFrame().toHex(), QByteArray("23850000000000010185"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().mid(32512), QByteArray(128000, char(0xFF)));
    }
    // The next start, whatever its preset, continues from the image.
    options.preset = Preset::Blank;
    Simulator again(options);
    QVERIFY(again.start());
    QCOMPARE(again.memory(0x0100, 256), pattern(8));
    QCOMPARE(again.memory(0x1000, 32), presetNumbers(Preset::Demo).left(32));
}

void TestDevsimPty::wrongSizeImageStopsStart()
{
    QTemporaryDir dir;
    Options options;
    options.imagePath = dir.filePath("short.img");
    QFile file(options.imagePath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(512, '\0'));
    file.close();
    Simulator sim(options);
    QString error;
    QVERIFY(!sim.start(dir.filePath("unit"), &error));
    QVERIFY(error.contains("512"));
    QVERIFY(!QFileInfo(dir.filePath("unit")).isSymLink());
    QCOMPARE(QFileInfo(options.imagePath).size(), qint64(512));
}

void TestDevsimPty::publishForPortList()
{
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", saved); });
    QCOMPARE(publishDir(), runtime.path() + "/zarvento-devsim");

    Simulator sim;
    QString error;
    QVERIFY(!sim.publish("early", &error)); // not running yet
    QVERIFY(sim.start());
    for (const char *bad : {"", "a/b", "..", ".hidden"})
        QVERIFY2(!sim.publish(bad, &error), bad);
    QVERIFY2(sim.publish("unit-b", &error), qPrintable(error));
    QVERIFY(QFile::link("/nonexistent/pts", publishDir() + "/dangling"));
    Simulator second;
    QVERIFY(second.start());
    QVERIFY(second.publish("unit-a"));

    const QList<PublishedDevice> devices = publishedDevices();
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices[0].name, QString("unit-a"));
    QCOMPARE(devices[1].name, QString("unit-b"));
    QCOMPARE(QFileInfo(devices[1].path).symLinkTarget(), sim.ptyPath());
    PtyClient client(devices[1].path);
    QVERIFY(client.send(readRequest(0)));
    QCOMPARE(client.readFrame().size(), 265);

    sim.stop();
    second.stop();
    QVERIFY(publishedDevices().isEmpty());

    // Without a runtime folder the per-user folder in /tmp is used.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.filePath("missing")));
    QCOMPARE(publishDir(), QString("/tmp/zarvento-devsim-%1").arg(getuid()));
}

void TestDevsimPty::program()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("unit");
    QProcess proc;
    proc.start(ZC_DEVSIM_PROGRAM, {"--link", link, "--preset", "demo", "--split", "--noise"});
    QVERIFY(proc.waitForStarted());
    QVERIFY(proc.waitForReadyRead(20000));
    QTRY_VERIFY_WITH_TIMEOUT(proc.canReadLine(), 5000);
    const QString path = QString::fromLocal8Bit(proc.readLine()).trimmed();
    QVERIFY2(path.startsWith("/dev/pts/"), qPrintable(path));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    PtyClient client(link);
    QVERIFY(client.send(readRequest(0x1000)));
    QCOMPARE(client.readFrame(), frame(0x83, 0x1000, presetNumbers(Preset::Demo).left(256)));

    ::kill(pid_t(proc.processId()), SIGTERM);
    QVERIFY(proc.waitForFinished(20000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(client.waitHangup());
}

void TestDevsimPty::programRejectsBadOptions_data()
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

void TestDevsimPty::programRejectsBadOptions()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QProcess proc;
    proc.setWorkingDirectory(dir.path());
    proc.start(ZC_DEVSIM_PROGRAM, arguments);
    QVERIFY(proc.waitForFinished(20000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 2);
    QVERIFY(proc.readAllStandardError().contains("usage: zarvento-devsim"));
    QVERIFY(proc.readAllStandardOutput().isEmpty());
    QVERIFY(!QFileInfo(dir.filePath("x")).exists());
}

QTEST_GUILESS_MAIN(TestDevsimPty)
#include "tst_devsim_pty.moc"
