// The unit's answers, byte for byte, and the request assembler's robustness.
#include "devsim/device_core.h"
#include "common/frames.h"

#include <QTest>

using namespace zc::devsim;
using namespace zc::test;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Feeds a stream and returns everything that would go on the wire, noise included.
QByteArray wire(DeviceCore &core, const QByteArray &bytes)
{
    QByteArray out;
    for (const DeviceCore::Reply &r : core.receive(bytes).replies)
        out += r.noise + r.frame;
    return out;
}

const QByteArray kErasedPage(256, char(0xFF));

} // namespace

class TestDevsimCore : public QObject
{
    Q_OBJECT

private slots:
    void goldenReplies_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("read outside map 0x0200") << hex("238300000200000081") << hex("238300000200000081");
        QTest::newRow("read between list and log") << hex("238300008D0000000E") << hex("238300008D0000000E");
        QTest::newRow("read past the log") << readRequest(0x2F400) << hex("23830002F400000075");
        QTest::newRow("read not on a page") << readRequest(0x0010) << hex("238300000010000093");
        QTest::newRow("write settings page 1")
            << writeRequest(0x0000, pattern(1)) << hex("23820000000000010182");
        QTest::newRow("write settings page 2")
            << writeRequest(0x0100, pattern(2)) << hex("23820000010000010183");
        QTest::newRow("write list page 1") << writeRequest(0x1000, pattern(3)) << hex("23820000100000010192");
        QTest::newRow("write list page 125")
            << writeRequest(0x8C00, pattern(4)) << hex("238200008C000001010E");
        QTest::newRow("write outside map") << writeRequest(0x0200, pattern(5)) << hex("23820000020000010081");
        QTest::newRow("write 255 bytes")
            << frame(0x82, 0x1000, pattern(6).left(255)) << hex("23820000100000010093");
        QTest::newRow("write no bytes") << frame(0x82, 0x1000, {}) << hex("23820000100000010093");
        QTest::newRow("delete history") << hex("238500000000000085") << hex("23850000000000010185");
        QTest::newRow("unknown command") << frame(0x84, 0, {}) << QByteArray();
    }
    void goldenReplies()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        DeviceCore core;
        QCOMPARE(wire(core, request).toHex(), reply.toHex());
        QCOMPARE(core.requestCount(), 1);
    }

    void readReturnsPage_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<QByteArray>("page");
        const QByteArray settings = presetSettings(Preset::Demo);
        const QByteArray numbers = presetNumbers(Preset::Demo);
        const QByteArray history = presetHistory(Preset::Demo);
        QTest::newRow("settings page 2") << 0x0100u << settings.mid(256, 256);
        QTest::newRow("list page 2") << 0x1100u << numbers.mid(256, 256);
        QTest::newRow("list page 125") << 0x8C00u << numbers.mid(124 * 256, 256);
        QTest::newRow("log page 100") << 0x16300u << history.mid(99 * 256, 256);
        QTest::newRow("log page 500") << 0x2F300u << history.mid(499 * 256, 256);
    }
    void readReturnsPage()
    {
        QFETCH(quint32, address);
        QFETCH(QByteArray, page);
        Options options;
        options.preset = Preset::Demo;
        DeviceCore core(options);
        QCOMPARE(wire(core, readRequest(address)).toHex(), frame(0x83, address, page).toHex());
    }

    void deleteErasesOnlyTheLog()
    {
        Options options;
        options.preset = Preset::Demo;
        DeviceCore core(options);
        const QByteArray before = core.memory().image();
        QVERIFY(core.receive(hex("238500000000000085")).memoryChanged);
        QCOMPARE(core.memory().image().left(32512), before.left(32512));
        QCOMPARE(core.memory().image().mid(32512), QByteArray(128000, char(0xFF)));
    }

    void assemblerChunking_data()
    {
        QTest::addColumn<int>("chunk");
        for (int chunk : {1, 2, 3, 8, 9, 64, 265, 100000})
            QTest::addRow("chunks of %d", chunk) << chunk;
    }
    void assemblerChunking()
    {
        QFETCH(int, chunk);
        // Garbage between frames, a page of start bytes, addresses holding 0x23.
        const QByteArray hashes(256, char(0x23));
        const QByteArray stream = hex("00ff4142") + writeRequest(0x1000, hashes) + hex("55") +
                                  readRequest(0x1000) + hex("fe") + readRequest(0x2300) +
                                  writeRequest(0x12300, pattern(4)) + readRequest(0x12300);
        DeviceCore core;
        QByteArray out;
        for (qsizetype i = 0; i < stream.size(); i += chunk)
            out += wire(core, stream.mid(i, chunk));
        const QByteArray expected = hex("23820000100000010192") + frame(0x83, 0x1000, hashes) +
                                    frame(0x83, 0x2300, kErasedPage) + hex("238200012300000101A0") +
                                    frame(0x83, 0x12300, pattern(4));
        QCOMPARE(core.requestCount(), 5);
        QCOMPARE(out.toHex(), expected.toHex());
    }

    void assemblerDropsBadFrames_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QByteArray wrongSum = writeRequest(0x1000, pattern(1));
        wrongSum.back() = char(wrongSum.back() ^ 0x80);
        QTest::newRow("bad checksum") << wrongSum;
        QTest::newRow("length 257") << hex("2382000010000101");
        QTest::newRow("length 0xFFFF") << hex("238300000000ffff");
    }
    void assemblerDropsBadFrames()
    {
        QFETCH(QByteArray, bad);
        DeviceCore core;
        const QByteArray before = core.memory().image();
        QCOMPARE(wire(core, bad + readRequest(0x8C00)), frame(0x83, 0x8C00, kErasedPage));
        QCOMPARE(core.requestCount(), 1);
        QCOMPARE(core.memory().image(), before);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("request"); // request 2, the one the fault is set for
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("changed"); // whether request 2 changed the memory
        const QByteArray write = writeRequest(0x0000, pattern(7));
        const QByteArray del = hex("238500000000000085");
        const QByteArray listRead = frame(0x83, 0x1000, presetNumbers(Preset::Demo).left(256));
        QByteArray corruptRead = listRead;
        corruptRead.back() = char(~corruptRead.back());
        QTest::newRow("refuse write") << "refuse" << write << hex("23820000000000010083") << false;
        QTest::newRow("refuse delete") << "refuse" << del << hex("23850000000000010084") << false;
        QTest::newRow("refuse leaves reads alone") << "refuse" << readRequest(0x1000) << listRead << false;
        QTest::newRow("drop write reply") << "drop" << write << QByteArray() << true;
        QTest::newRow("drop delete reply") << "drop" << del << QByteArray() << true;
        QTest::newRow("corrupt write reply") << "corrupt" << write << hex("2382000000000001017d") << true;
        QTest::newRow("corrupt read reply") << "corrupt" << readRequest(0x1000) << corruptRead << false;
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QFETCH(bool, changed);
        Options options;
        options.preset = Preset::Demo;
        (fault == "refuse" ? options.refuseWrite
         : fault == "drop" ? options.dropReply
                           : options.corruptReply) = 2;
        DeviceCore core(options);
        const QByteArray before = core.memory().image();
        const QByteArray settingsRead = frame(0x83, 0x100, presetSettings(Preset::Demo).mid(256));
        QCOMPARE(wire(core, readRequest(0x100)), settingsRead);
        QCOMPARE(wire(core, request).toHex(), reply.toHex());
        QCOMPARE(core.memory().image() != before, changed);
        // Only request 2 is affected: the same request again is treated normally.
        if (request[1] != char(0x85)) QCOMPARE(wire(core, request).size(), request.size() == 265 ? 10 : 265);
        QCOMPARE(wire(core, readRequest(0x100)), settingsRead);
    }

    void noiseNeverHidesTheFrame()
    {
        Options options;
        options.noise = true;
        DeviceCore core(options);
        for (int i = 0; i < 50; ++i) {
            const DeviceCore::Reply r = core.receive(readRequest(0x0100)).replies.value(0);
            QVERIFY2(!r.noise.isEmpty() && r.noise.size() <= 8 && !r.noise.contains(char(0x23)),
                     qPrintable(r.noise.toHex()));
            QCOMPARE(r.frame, frame(0x83, 0x100, kErasedPage));
        }
    }

    void vanishStopsAnswering()
    {
        Options options;
        options.vanishAfter = 2;
        options.dropReply = 2;
        DeviceCore core(options);
        const auto replies = core.receive(readRequest(0) + readRequest(0x100) + readRequest(0x1000)).replies;
        QCOMPARE(replies.size(), 2);
        QVERIFY(!replies[0].vanish);
        QVERIFY(replies[1].vanish && replies[1].frame.isEmpty()); // vanishes even when its reply is dropped
        QVERIFY(core.receive(readRequest(0)).replies.isEmpty());
        QCOMPARE(core.requestCount(), 2);
        core.resume(); // a new line: answered again, the fault does not repeat
        QCOMPARE(wire(core, readRequest(0x1000)), frame(0x83, 0x1000, kErasedPage));
    }

    void requestsAreRecorded()
    {
        DeviceCore core;
        QByteArray bad = readRequest(0);
        bad.back() = 0;
        const QByteArray w = writeRequest(0x1000, pattern(3));
        core.receive(hex("aa") + readRequest(0) + bad + w.left(100));
        core.receive(w.mid(100) + hex("238400000000000084"));
        QCOMPARE(core.requests(), (QList<QByteArray>{readRequest(0), w, hex("238400000000000084")}));
        core.receive(w.left(5));
        core.abandonPartialFrame(); // what a long silence does
        QCOMPARE(wire(core, readRequest(0x1000)), frame(0x83, 0x1000, pattern(3)));
    }
};

QTEST_GUILESS_MAIN(TestDevsimCore)
#include "tst_devsim_core.moc"
