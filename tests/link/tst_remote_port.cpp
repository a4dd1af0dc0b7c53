// The network port's pure parts: how a port as written is read, and the RFC 2217 telnet
// layer byte for byte.
#include "link/port_address.h"
#include "link/telnet_codec.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zc;

Q_DECLARE_METATYPE(PortAddress::Kind)

class TstRemotePort : public QObject
{
    Q_OBJECT
private slots:
    void portForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<PortAddress::Kind>("kind");
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("plainAcross"); // a plain connection that leaves this machine
        QTest::addColumn<bool>("error");
        using K = PortAddress::Kind;
        const auto row = [](const char *text, K kind, bool tls, const char *host, int port, bool across,
                            bool error = false) {
            QTest::newRow(text) << QString::fromUtf8(text) << kind << tls << QString::fromUtf8(host) << port
                                << across << error;
        };
        row("/dev/ttyUSB0", K::Serial, false, "", 0, false);
        row("ttyUSB0", K::Serial, false, "", 0, false);
        row("serial:0001", K::Serial, false, "", 0, false);
        row("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", K::Serial, false, "", 0, false);
        row("socket://127.0.0.1:3001", K::Socket, false, "127.0.0.1", 3001, false);
        row("socket://localhost:3001/", K::Socket, false, "localhost", 3001, false);
        row("rfc2217://127.0.0.2:7", K::Rfc2217, false, "127.0.0.2", 7, false);
        row("rfc2217://[::1]:3001", K::Rfc2217, false, "::1", 3001, false);
        row("RFC2217://gate-7.example.net:3001", K::Rfc2217, false, "gate-7.example.net", 3001, true);
        row("socket://192.0.2.7:3001", K::Socket, false, "192.0.2.7", 3001, true);
        row("socket+tls://gate-7.example.net:3001", K::Socket, true, "gate-7.example.net", 3001, false);
        row("rfc2217+tls://[2001:db8::7]:3001", K::Rfc2217, true, "2001:db8::7", 3001, false);
        row("socket://gate-7", K::Serial, false, "", 0, false, true);
        row("socket://gate-7:0", K::Serial, false, "", 0, false, true);
        row("socket://gate-7:65536", K::Serial, false, "", 0, false, true);
        row("socket://:3001", K::Serial, false, "", 0, false, true);
        row("rfc2217://::1:3001", K::Serial, false, "", 0, false, true);
        row("rfc2217://gate-7:3001/ttyS0", K::Serial, false, "", 0, false, true);
        row("socket://user@gate-7:3001", K::Serial, false, "", 0, false, true);
    }
    void portForms()
    {
        QFETCH(QString, text);
        QFETCH(PortAddress::Kind, kind);
        QFETCH(bool, tls);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, plainAcross);
        QFETCH(bool, error);
        QString why;
        const PortAddress a = PortAddress::parse(text, &why);
        QCOMPARE(a.kind, kind);
        QCOMPARE(a.tls, tls);
        QCOMPARE(a.host, host);
        QCOMPARE(int(a.port), port);
        QCOMPARE(a.plaintextAcrossNetwork(), plainAcross);
        QCOMPARE(!why.isEmpty(), error);
        QCOMPARE(a.given, text);
        QCOMPARE(PortAddress::looksRemote(text), kind != PortAddress::Kind::Serial || error);
    }

    // Received bytes: data out, commands and subnegotiations taken out, and the answers.
    void telnetGolden_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("reply");
        const auto row = [](const char *name, const char *in, const char *data, const char *reply) {
            QTest::newRow(name) << QByteArray::fromHex(in) << QByteArray::fromHex(data)
                                << QByteArray::fromHex(reply);
        };
        row("plain data", "2383000000000100", "2383000000000100", "");
        row("doubled 0xFF is one data byte", "01ffff02ffffff", "01ff02ff", "");
        row("a lone IAC at the end waits for its pair", "01ff", "01", "");
        // Agreement to what the opening asked for needs no answer; the COM-port option brings
        // the line settings: 115200 baud, 8 bits, no parity, one stop bit, no flow control.
        row("server agrees to binary", "fffd00fffb00", "", "");
        row("server agrees to the COM-port option", "fffd2c", "",
            "fffa2c010001c200fff0"
            "fffa2c0208fff0"
            "fffa2c0301fff0"
            "fffa2c0401fff0"
            "fffa2c0501fff0");
        row("settings go once", "fffd2cfffd2c", "",
            "fffa2c010001c200fff0fffa2c0208fff0fffa2c0301fff0fffa2c0401fff0fffa2c0501fff0");
        row("echo is refused once", "fffb01fffb01", "", "fffe01");
        row("suppress go-ahead is taken", "fffb03", "", "fffd03");
        row("terminal type is refused once", "fffd18fffd18", "", "fffc18");
        row("binary withdrawn both ways", "fffe00fffc00", "", "fffc00fffe00");
        row("subnegotiation with 0xFF inside is dropped", "41fffa2c6b0001c2ffff00fff042", "4142", "");
        row("modem state notice", "fffa2c6bb0fff0ffff", "ff", "");
        row("NOP and go-ahead carry nothing", "61fff162fff963", "616263", "");
    }
    void telnetGolden()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, reply);
        TelnetCodec codec;
        QCOMPARE(codec.opening(), QByteArray::fromHex("fffb00fffd00fffb2c"));
        QByteArray answered;
        QCOMPARE(codec.decode(in, answered).toHex(), data.toHex());
        QCOMPARE(answered.toHex(), reply.toHex());
    }

    // Property: any data, 0xFF doubled on the way out, comes back whole however the stream
    // is cut, with negotiation and subnegotiations from the server between the pieces.
    void telnetRoundTrip()
    {
        QRandomGenerator rng(37);
        const QList<QByteArray> commands = {QByteArray::fromHex("fffd00"), QByteArray::fromHex("fffb01"),
                                            QByteArray::fromHex("fffa2c6bb0fff0"),
                                            QByteArray::fromHex("fffa2c65ffff00fff0"),
                                            QByteArray::fromHex("fff1")};
        for (int round = 0; round < 500; ++round) {
            QByteArray data(int(rng.bounded(600)), Qt::Uninitialized);
            for (char &c : data)
                c = char(rng.bounded(4) == 0 ? 0xFF : rng.bounded(256)); // many 0xFF, as in pages
            const QByteArray encoded = TelnetCodec::encode(data);
            QCOMPARE(encoded.size(), data.size() + data.count(char(0xFF)));
            QByteArray stream;
            for (qsizetype at = 0; at < encoded.size();) {
                // Commands only between whole data bytes: never inside a doubled 0xFF.
                qsizetype n = qMin<qsizetype>(encoded.size() - at, 1 + rng.bounded(40));
                if (encoded.at(at + n - 1) == char(0xFF) && (encoded.mid(at, n).count(char(0xFF)) % 2)) ++n;
                stream += encoded.mid(at, n);
                at += n;
                if (rng.bounded(3) == 0) stream += commands[int(rng.bounded(commands.size()))];
            }
            TelnetCodec codec;
            QByteArray out, reply;
            for (qsizetype at = 0; at < stream.size();) {
                const qsizetype n = qMin<qsizetype>(stream.size() - at, 1 + rng.bounded(70));
                out += codec.decode(stream.mid(at, n), reply);
                at += n;
            }
            QCOMPARE(out.toHex(), data.toHex());
        }
    }
};

QTEST_GUILESS_MAIN(TstRemotePort)
#include "tst_remote_port.moc"
