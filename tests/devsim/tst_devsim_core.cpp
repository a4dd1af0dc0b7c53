// The unit's answers, byte for byte, and the request assembler's robustness.
#include "device_core.h"
#include "frame_helpers.h"

#include <QTest>

using namespace zc::devsim;
using namespace zc::devsim::test;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Feeds a stream and returns every frame that would go on the wire (noise included).
QByteArray wire(DeviceCore &core, const QByteArray &bytes)
{
    QByteArray out;
    for (const DeviceCore::Reply &r : core.receive(bytes).replies)
        out += r.noise + r.frame;
    return out;
}

} // namespace

class TestDevsimCore : public QObject
{
    Q_OBJECT

private slots:
    void goldenReplies_data();
    void goldenReplies();
    void readReturnsPage_data();
    void readReturnsPage();
    void writeStoresOnlyItsPage();
    void deleteErasesOnlyTheLog();
    void assemblerChunking_data();
    void assemblerChunking();
    void assemblerDropsBadFrames_data();
    void assemblerDropsBadFrames();
    void faults_data();
    void faults();
    void noiseNeverHidesTheFrame();
    void vanishStopsAnswering();
    void requestsAreRecorded();
};

void TestDevsimCore::goldenReplies_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("read outside map 0x0200") << hex("238300000200000081") << hex("238300000200000081");
    QTest::newRow("read between list and log 0x8D00")
        << hex("23830000" "8D00" "0000" "0E") << hex("23830000" "8D00" "0000" "0E");
    QTest::newRow("read past the log 0x2F400") << readRequest(0x2F400) << hex("23830002F400000075");
    QTest::newRow("read not on a page 0x0010") << readRequest(0x0010) << hex("238300000010000093");
    QTest::newRow("write settings page 1") << writeRequest(0x0000, pattern(1)) << hex("23820000000000010182");
    QTest::newRow("write settings page 2") << writeRequest(0x0100, pattern(2)) << hex("23820000010000010183");
    QTest::newRow("write list page 1") << writeRequest(0x1000, pattern(3)) << hex("23820000100000010192");
    QTest::newRow("write list page 125") << writeRequest(0x8C00, pattern(4)) << hex("2382000" "08C000001010E");
    QTest::newRow("write outside map") << writeRequest(0x0200, pattern(5)) << hex("23820000020000010081");
    QTest::newRow("write short page") << frame(0x82, 0x1000, pattern(6).left(255))
                                      << hex("23820000100000010093");
    QTest::newRow("write without data") << frame(0x82, 0x1000, {}) << hex("23820000100000010093");
    QTest::newRow("delete history") << hex("238500000000000085") << hex("23850000000000010185");
    QTest::newRow("unknown command") << frame(0x84, 0, {}) << QByteArray();
    QTest::newRow("reply-like 0x01 command") << frame(0x01, 0, {}) << QByteArray();
}

void TestDevsimCore::goldenReplies()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    DeviceCore core;
    QCOMPARE(wire(core, request).toHex(), reply.toHex());
    QCOMPARE(core.requestCount(), 1);
}

void TestDevsimCore::readReturnsPage_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QByteArray>("page");

    const QByteArray settings = presetSettings(Preset::Factory);
    const QByteArray numbers = presetNumbers(Preset::Demo);
    const QByteArray history = presetHistory(Preset::Demo);
    QTest::newRow("settings page 1") << int(Preset::Factory) << 0x0000u << settings.left(256);
    QTest::newRow("settings page 2") << int(Preset::Factory) << 0x0100u << settings.mid(256, 256);
    QTest::newRow("list page 1") << int(Preset::Demo) << 0x1000u << numbers.left(256);
    QTest::newRow("list page 2") << int(Preset::Demo) << 0x1100u << numbers.mid(256, 256);
    QTest::newRow("list page 125") << int(Preset::Demo) << 0x8C00u << numbers.mid(124 * 256, 256);
    QTest::newRow("log page 1") << int(Preset::Demo) << 0x10000u << history.left(256);
    QTest::newRow("log page 100") << int(Preset::Demo) << 0x16300u << history.mid(99 * 256, 256);
    QTest::newRow("log page 500") << int(Preset::Demo) << 0x2F300u << history.mid(499 * 256, 256);
}

void TestDevsimCore::readReturnsPage()
{
    QFETCH(int, preset);
    QFETCH(quint32, address);
    QFETCH(QByteArray, page);
    QCOMPARE(page.size(), 256);
    Options options;
    options.preset = Preset(preset);
    DeviceCore core(options);
    QCOMPARE(wire(core, readRequest(address)).toHex(), frame(0x83, address, page).toHex());
}

void TestDevsimCore::writeStoresOnlyItsPage()
{
    DeviceCore core;
    const QByteArray before = core.memory().image();
    wire(core, writeRequest(0x1800, pattern(9)));
    QCOMPARE(wire(core, readRequest(0x1800)), frame(0x83, 0x1800, pattern(9)));

    QByteArray expected = before;
    expected.replace(512 + 0x800, 256, pattern(9));
    QCOMPARE(core.memory().image(), expected);

    wire(core, writeRequest(0x0100, pattern(10)));
    QCOMPARE(core.memory().image().left(256), before.left(256));
    QCOMPARE(core.memory().image().mid(256, 256), pattern(10));
}

void TestDevsimCore::deleteErasesOnlyTheLog()
{
    Options options;
    options.preset = Preset::Demo;
    DeviceCore core(options);
    const QByteArray before = core.memory().image();
    const DeviceCore::Result result = core.receive(hex("238500000000000085"));
    QVERIFY(result.memoryChanged);
    const QByteArray after = core.memory().image();
    QCOMPARE(after.left(32512), before.left(32512));
    QCOMPARE(after.mid(32512), QByteArray(128000, char(0xFF)));
    QCOMPARE(wire(core, readRequest(0x10000)), frame(0x83, 0x10000, QByteArray(256, char(0xFF))));
}

void TestDevsimCore::assemblerChunking_data()
{
    QTest::addColumn<int>("chunk");
    for (int chunk : {1, 2, 3, 8, 9, 64, 265, 100000})
        QTest::newRow(qPrintable(QStringLiteral("chunks of %1").arg(chunk))) << chunk;
}

void TestDevsimCore::assemblerChunking()
{
    QFETCH(int, chunk);
    // A page full of start bytes, an address holding 0x23 and garbage between frames.
    const QByteArray hashes(256, char(0x23));
    const QByteArray stream = hex("00ff4142") + writeRequest(0x1000, hashes) + hex("55") + readRequest(0x1000)
                              + hex("fe") + readRequest(0x2300) + writeRequest(0x12300, pattern(4))
                              + readRequest(0x12300);
    DeviceCore core;
    QByteArray out;
    for (qsizetype i = 0; i < stream.size(); i += chunk)
        out += wire(core, stream.mid(i, chunk));

    QCOMPARE(core.requestCount(), 5);
    const QByteArray expected = hex("23820000100000010192") + frame(0x83, 0x1000, hashes)
                                + frame(0x83, 0x2300, QByteArray(256, char(0xFF))) + frame(0x82, 0x12300, QByteArray(1, '\x01'))
                                + frame(0x83, 0x12300, pattern(4));
    QCOMPARE(out.size(), expected.size());
    for (qsizetype i = 0; i < out.size(); i += 64)
        QCOMPARE(out.mid(i, 64).toHex(), expected.mid(i, 64).toHex());
}

void TestDevsimCore::assemblerDropsBadFrames_data()
{
    QTest::addColumn<QByteArray>("bad");

    QByteArray wrongSum = readRequest(0x0000);
    wrongSum.back() = char(wrongSum.back() ^ 0x01);
    QByteArray wrongWriteSum = writeRequest(0x1000, pattern(1));
    wrongWriteSum.back() = char(wrongWriteSum.back() ^ 0x80);
    QTest::newRow("bad checksum") << wrongSum;
    QTest::newRow("bad checksum on a write") << wrongWriteSum;
    QTest::newRow("length 257") << hex("2382000010000101");
    QTest::newRow("length 0xFFFF") << hex("238300000000ffff");
}

void TestDevsimCore::assemblerDropsBadFrames()
{
    QFETCH(QByteArray, bad);
    DeviceCore core;
    const QByteArray before = core.memory().image();
    const DeviceCore::Result result = core.receive(bad + readRequest(0x0100));
    QCOMPARE(result.replies.size(), 1);
    QCOMPARE(result.replies[0].frame.mid(0, 8).toHex(), QByteArray("2383000001000100"));
    QCOMPARE(core.requestCount(), 1);
    QCOMPARE(core.memory().image(), before);
}

void TestDevsimCore::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("k");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");     // reply to request k
    QTest::addColumn<bool>("storedOrErased"); // whether request k changed the memory

    const QByteArray write = writeRequest(0x0000, pattern(7));
    const QByteArray del = hex("238500000000000085");
    const QByteArray listRead = frame(0x83, 0x1000, presetNumbers(Preset::Demo).left(256));
    QByteArray corruptRead = listRead;
    corruptRead.back() = char(~corruptRead.back());

    QTest::newRow("refuse write") << "refuse" << 2 << write << hex("23820000000000010083") << false;
    QTest::newRow("refuse delete") << "refuse" << 2 << del << hex("23850000000000010084") << false;
    QTest::newRow("refuse does not touch reads") << "refuse" << 2 << readRequest(0x1000) << listRead
                                                 << false;
    QTest::newRow("refuse only request k") << "refuse" << 3 << write << hex("23820000000000010182") << true;
    QTest::newRow("drop a write reply") << "drop" << 2 << write << QByteArray() << true;
    QTest::newRow("drop a delete reply") << "drop" << 2 << del << QByteArray() << true;
    QTest::newRow("corrupt a write reply") << "corrupt" << 2 << write << hex("2382000000000001017d") << true;
    QTest::newRow("corrupt a read reply") << "corrupt" << 2 << readRequest(0x1000) << corruptRead << false;
}

void TestDevsimCore::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, k);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(bool, storedOrErased);

    Options options;
    options.preset = Preset::Demo;
    (fault == "refuse" ? options.refuseWrite : fault == "drop" ? options.dropReply : options.corruptReply) = 2;
    DeviceCore core(options);
    const QByteArray before = core.memory().image();

    // Request 1 is always answered normally; request 2 carries the fault.
    QCOMPARE(wire(core, readRequest(0x0000)), frame(0x83, 0, presetSettings(Preset::Demo).left(256)));
    if (k == 3)
        wire(core, readRequest(0x0000));
    QCOMPARE(wire(core, request).toHex(), reply.toHex());
    QCOMPARE(core.memory().image() != before, storedOrErased);
    // And the next request is answered normally again.
    QCOMPARE(wire(core, readRequest(0x0100)), frame(0x83, 0x100, presetSettings(Preset::Demo).mid(256, 256)));
}

void TestDevsimCore::noiseNeverHidesTheFrame()
{
    Options options;
    options.noise = true;
    DeviceCore core(options);
    for (int i = 0; i < 50; ++i) {
        const DeviceCore::Result result = core.receive(readRequest(0x0100));
        QCOMPARE(result.replies.size(), 1);
        const DeviceCore::Reply &r = result.replies[0];
        QVERIFY2(r.noise.size() >= 1 && r.noise.size() <= 8, qPrintable(r.noise.toHex()));
        QVERIFY2(!r.noise.contains(char(0x23)), qPrintable(r.noise.toHex()));
        QCOMPARE(r.frame, frame(0x83, 0x100, QByteArray(256, char(0xFF))));
    }
}

void TestDevsimCore::vanishStopsAnswering()
{
    Options options;
    options.vanishAfter = 2;
    DeviceCore core(options);
    DeviceCore::Result result = core.receive(readRequest(0) + readRequest(0x100) + readRequest(0x1000));
    QCOMPARE(result.replies.size(), 2);
    QVERIFY(!result.replies[0].vanish);
    QVERIFY(result.replies[1].vanish);
    QCOMPARE(result.replies[1].frame.left(8).toHex(), QByteArray("2383000001000100"));
    QVERIFY(core.vanished());
    QVERIFY(core.receive(readRequest(0)).replies.isEmpty());
    QCOMPARE(core.requestCount(), 2);

    // Back on a new line: answered again, the fault does not repeat.
    core.resume();
    QCOMPARE(core.receive(readRequest(0)).replies.size(), 1);
    QCOMPARE(core.requestCount(), 3);

    // A dropped reply still vanishes after it.
    Options both;
    both.vanishAfter = 1;
    both.dropReply = 1;
    DeviceCore silent(both);
    result = silent.receive(readRequest(0));
    QCOMPARE(result.replies.size(), 1);
    QVERIFY(result.replies[0].frame.isEmpty());
    QVERIFY(result.replies[0].vanish);
}

void TestDevsimCore::requestsAreRecorded()
{
    DeviceCore core;
    QByteArray bad = readRequest(0);
    bad.back() = 0;
    const QByteArray w = writeRequest(0x1000, pattern(3));
    core.receive(hex("aa") + readRequest(0) + bad + w.left(100));
    core.receive(w.mid(100) + hex("238400000000000084"));
    QCOMPARE(core.requests(), (QList<QByteArray>{readRequest(0), w, hex("238400000000000084")}));
    QCOMPARE(core.requestCount(), 3);
    QCOMPARE(core.receive(w.left(5)).replies.size(), 0);
    QVERIFY(core.inFrame());
    core.abandonPartialFrame();
    QCOMPARE(wire(core, readRequest(0x100)).left(8).toHex(), QByteArray("2383000001000100"));
}

QTEST_GUILESS_MAIN(TestDevsimCore)
#include "tst_devsim_core.moc"
