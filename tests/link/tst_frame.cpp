// Request frames byte for byte, the paged transfer step, and the device text codec.
#include "common/frames.h"
#include "link/device_text.h"
#include "link/frame.h"
#include "link/frame_assembler.h"
#include "link/paged_transfer.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zc;

namespace {
QByteArray bytesOf(const FrameBytes &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.bytes.data()), f.size);
}
} // namespace

class TstFrame : public QObject
{
    Q_OBJECT
private slots:
    // Property: replies surrounded by noise (with false headers among it) come out of the
    // assembler whole and in order, however the bytes are cut into chunks; a false header
    // that swallows a short reply gives it up once the reply is whole inside it.
    void assemblerFindsEveryReply()
    {
        QRandomGenerator rng(20261207);
        for (int round = 0; round < 300; ++round) {
            QByteArray stream;
            QList<QByteArray> sent;
            const int count = 1 + int(rng.bounded(6));
            for (int i = 0; i < count; ++i) {
                QByteArray noise;
                for (int n = int(rng.bounded(5)); n > 0; --n)
                    noise.append(char(rng.bounded(256) == 0x23 ? 0 : rng.bounded(256)));
                stream += noise.replace('\x23', '\x00');
                const bool page = rng.bounded(2) == 0;
                QByteArray data(page ? 256 : 1, Qt::Uninitialized);
                for (char &c : data)
                    c = char(rng.bounded(256));
                const QByteArray f = test::frame(page ? 0x83 : 0x82, quint32(rng.bounded(0x30000)), data);
                sent << f;
                stream += f;
            }
            std::vector<ReceivedFrame> whole, cut;
            FrameAssembler a, b;
            a.feed(reinterpret_cast<const std::uint8_t *>(stream.constData()), std::size_t(stream.size()),
                   whole);
            for (qsizetype at = 0; at < stream.size();) {
                const qsizetype n = qMin<qsizetype>(1 + rng.bounded(40), stream.size() - at);
                b.feed(reinterpret_cast<const std::uint8_t *>(stream.constData() + at), std::size_t(n), cut);
                at += n;
            }
            QCOMPARE(int(whole.size()), int(sent.size()));
            QCOMPARE(int(cut.size()), int(sent.size()));
            for (int i = 0; i < sent.size(); ++i) {
                QVERIFY(whole[std::size_t(i)].good && cut[std::size_t(i)].good);
                const ReceivedFrame &f = cut[std::size_t(i)];
                QCOMPARE(QByteArray(reinterpret_cast<const char *>(f.bytes.data()), f.size), sent[i]);
            }
        }
        // A false header announcing 200 bytes, then a 10-byte acknowledgement and silence.
        FrameAssembler a;
        std::vector<ReceivedFrame> out;
        const QByteArray ack = test::frame(0x82, 0x1000, QByteArray(1, '\x01'));
        const QByteArray stream = QByteArray::fromHex("23830000000000c8") + ack;
        a.feed(reinterpret_cast<const std::uint8_t *>(stream.constData()), std::size_t(stream.size()), out);
        QVERIFY(out.empty() && a.inFrame());
        ReceivedFrame inner;
        QVERIFY(a.innerFrame(inner));
        QCOMPARE(inner.address, 0x1000);
        a.dropFalseStart(out);
        QCOMPARE(int(out.size()), 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out[0].bytes.data()), out[0].size), ack);
    }

    void goldenRequests_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<uint>("address");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("read 0x0000") << 0x83 << 0x0000u << QByteArray::fromHex("238300000000000083");
        QTest::newRow("read 0x0100") << 0x83 << 0x0100u << QByteArray::fromHex("238300000100000082");
        QTest::newRow("read 0x1000") << 0x83 << 0x1000u << QByteArray::fromHex("238300001000000093");
        QTest::newRow("read 0x10000") << 0x83 << 0x10000u << QByteArray::fromHex("238300010000000082");
        QTest::newRow("delete history") << 0x85 << 0u << QByteArray::fromHex("238500000000000085");
        QTest::newRow("0x23 in address") << 0x83 << 0x23232323u << QByteArray::fromHex("238323232323000083");
        QTest::newRow("0x23 as checksum") << 0x83 << 0xA0u << QByteArray::fromHex("2383000000a0000023");
        QTest::newRow("last history page")
            << 0x83 << uint(historyPageAddress(500)) << QByteArray::fromHex("23830002f300000072");
    }
    void goldenRequests()
    {
        QFETCH(int, command);
        QFETCH(uint, address);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytesOf(buildRequest(std::uint8_t(command), address)).toHex(), expected.toHex());
    }

    void writeBlockIs265Bytes()
    {
        std::array<std::uint8_t, 256> page{};
        std::uint8_t x = 0;
        for (int i = 0; i < 256; ++i) {
            page[i] = std::uint8_t(i == 7 ? 0x23 : i);
            x ^= page[i];
        }
        const FrameBytes f = buildRequest(kCmdWriteBlock, 0x8C00, 256, page.data());
        QCOMPARE(f.size, 265);
        const QByteArray b = bytesOf(f);
        QCOMPARE(b.left(8).toHex(), QByteArray("2382"
                                               "00008c00"
                                               "0100"));
        QCOMPARE(quint8(b[8 + 7]), quint8(0x23)); // sent as is, no escaping
        QCOMPARE(quint8(b[264]), quint8(0x82 ^ 0x8C ^ 0x01 ^ x));
    }

    void hashAsLengthByte()
    {
        std::array<std::uint8_t, 256> data{};
        const FrameBytes f = buildRequest(kCmdWriteBlock, 0, 0x23, data.data());
        QCOMPARE(f.size, 0x23 + 9);
        QCOMPARE(bytesOf(f).left(8).toHex(), QByteArray("2382000000000023"));
        QCOMPARE(f.bytes[std::size_t(f.size - 1)], std::uint8_t(0x82 ^ 0x23));
    }

    void lengthAbove256IsRefused()
    {
        TDataPackage p;
        p.SetCommand(kCmdWriteBlock);
        p.SetDataLength(257);
        p.SetAddress(0);
        QVERIFY(!p.BuildFrame());
        QCOMPARE(p.frameLength, 0);
        p.SetDataLength(0xFFFF);
        QVERIFY(!p.BuildFrame());
        QCOMPARE(buildRequest(kCmdWriteBlock, 0, 300).size, 0);
        QCOMPARE(buildRequest(kCmdWriteBlock, 0, 0x10000 + 1).size, 0); // not taken modulo 65536
        // Only the low 16 bits are stored.
        p.SetDataLength(0x10000 + 4);
        QCOMPARE(p.length(), 4);
    }

    // The paged step of a real read of two pages, and its one outcome.
    void pagedStep()
    {
        Tsend_rec_command t(Area::Settings);
        QList<Outcome> outcomes;
        QObject::connect(&t, &Tsend_rec_command::done, [&](const Outcome &o) { outcomes << o; });
        QCOMPARE(t.step(), Tsend_rec_command::Step::Idle); // never started: no page 0 request
        t.Read();
        QCOMPARE(t.nextPage(), 2);
        QCOMPARE(t.step(), Tsend_rec_command::Step::SendPage);
        const std::array<std::uint8_t, kPageSize> page{};
        t.deliver(kCmdReadBlock, 0, page.data(), kPageSize);
        QCOMPARE(t.step(), Tsend_rec_command::Step::Complete); // page 2 is on its way
        t.deliver(kCmdReadBlock, 0x100, page.data(), kPageSize);
        QCOMPARE(t.step(), Tsend_rec_command::Step::Idle);
        t.deliver(kCmdReadBlock, 0x100, page.data(), kPageSize); // a duplicate ends nothing again
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(outcomes[0].kind, Outcome::Kind::Completed);
        QCOMPARE(outcomes[0].pagesDone, 2);
        QCOMPARE(settingsPageAddress(2), 0x100);
        QCOMPARE(numberPageAddress(125), 0x8C00);
        QCOMPARE(historyPageAddress(500), 0x2F300);
    }

    void deviceTextRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QByteArray("Relay ON");
        QTest::newRow("utf8") << QByteArray("T\xc3\xbcr offen \xe2\x82\xac");
        QTest::newRow("never configured") << QByteArray(40, '\xff');
        QTest::newRow("latin1 bytes") << QByteArray("T\xfcr");
        QTest::newRow("cut sequence") << QByteArray("ab\xe2\x82");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf");
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80");
        QTest::newRow("private use as utf8") << QByteArray("\xef\x9c\x80");
        QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x98\x80!");
    }
    void deviceTextRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(DeviceText::toBytes(DeviceText::fromBytes(bytes)), bytes);
        QCOMPARE(DeviceText::byteLength(DeviceText::fromBytes(bytes)), bytes.size());
    }

    void deviceTextShowsUtf8()
    {
        QCOMPARE(DeviceText::fromBytes("T\xc3\xbcr"), QStringLiteral("T\u00fcr"));
        QCOMPARE(DeviceText::fromBytes("\xff").at(0).unicode(), char16_t(0xF7FF));
    }

    void deviceTextCutKeepsCharactersWhole()
    {
        const QString t = QString(39, QLatin1Char('a')) + QStringLiteral("\u00e9"); // 41 bytes
        QCOMPARE(DeviceText::toBytesCut(t, 40), QByteArray(39, 'a'));
        QCOMPARE(DeviceText::cut(t, 40), QString(39, QLatin1Char('a')));
        QCOMPARE(DeviceText::cut(t, 41), t);
        const QString emoji = QStringLiteral("x\U0001F600");
        QCOMPARE(DeviceText::toBytesCut(emoji, 4), QByteArray("x"));
        QCOMPARE(DeviceText::cut(emoji, 4), QStringLiteral("x"));
        QCOMPARE(DeviceText::cut(emoji, 5), emoji);
    }
};

QTEST_GUILESS_MAIN(TstFrame)
#include "tst_frame.moc"
