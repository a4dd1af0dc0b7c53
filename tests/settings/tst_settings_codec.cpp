// Settings record encoding and decoding: golden pages, field edge cases, and a round-trip
// property over random images of the record, also through the JSON form.
#include "devsim/presets.h"
#include "link/device_text.h"
#include "settings/settings_check.h"
#include "settings/settings_codec.h"
#include "settings/settings_json.h"
#include "settings/settings_model.h"
#include "settings/settings_profile.h"
#include "sheets/sheet.h"

#include <QRandomGenerator>
#include <QTest>

#include <array>

using namespace zc;
using Page = std::array<std::uint8_t, 256>;

namespace {

Page pageFromHex(const char *hex)
{
    const QByteArray b = QByteArray::fromHex(hex);
    Page p;
    p.fill(0xFF);
    std::copy(b.cbegin(), b.cbegin() + qMin<qsizetype>(b.size(), 256), p.begin());
    return p;
}

Page allFF()
{
    Page p;
    p.fill(0xFF);
    return p;
}

QByteArray bytes(const Page &p, int offset, int count)
{
    return QByteArray(reinterpret_cast<const char *>(p.data()) + offset, count);
}

void put(Page &p, int offset, const QByteArray &b)
{
    std::copy(b.cbegin(), b.cend(), p.begin() + offset);
}

// Factory-default page 1 as the unit receives it.
const char *const kDefaultPage1 = "38 35 33 30 FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF 01 01 55 6E 61 75"
                                  "74 68 6F 72 69 7A 65 64 20 64 6F 6F 72 20 6F 70"
                                  "65 6E 65 64 00 FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF 44 49 4E 32 20 41 6C 61 72 6D 00 FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF 0A 00 01 00"
                                  "00 00 00 00 03 03 52 65 6C 61 79 20 4F 4E 00 FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF 52 65"
                                  "6C 61 79 20 4F 46 46 00 FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF 0F 27 E7 03 00 00 FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF";
// Page 2 holds only the GPRS user name and password, both empty by default.
const char *const kDefaultPage2 = "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"
                                  "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF";

const int kPickItems[] = {3, 4, 8, 9, 11, 12};

// Every item's content and selection, for comparing whole tables.
QStringList snapshot(const SettingsModel &m)
{
    QStringList out;
    for (int item = 1; item <= 22; ++item)
        out << m.content(item) << QString::number(m.pickSelection(item));
    return out;
}

// Fills every item with a value unlike anything a test page decodes to, so a decode that
// skips an item is noticed.
void scribble(SettingsModel &m)
{
    for (int item = 1; item <= 22; ++item)
        m.setContent(item, QStringLiteral("stale"));
    for (int item : kPickItems)
        m.setPickSelection(item, 0);
}

} // namespace

class TestSettingsCodec : public QObject
{
    Q_OBJECT

private slots:
    void factoryDefaultsEncode();
    void simulatedUnitLeavesTheFactoryWithTheGridDefaults();
    void factoryDefaultsDecode();
    void neverConfiguredUnit();
    void encodeField_data();
    void encodeField();
    void encodeRefused_data();
    void encodeRefused();
    void pickCells_data();
    void pickCells();
    void decodeField_data();
    void decodeField();
    void decodeProgressAndOrder();
    void devicePassword_data();
    void devicePassword();
    void roundTripProperty();
    void jsonRoundTripProperty();
    void overlongTextsAreNamed();
};

void TestSettingsCodec::factoryDefaultsEncode()
{
    SettingsModel model;
    const auto p1 = SettingsCodec::encodePage(1, model);
    const auto p2 = SettingsCodec::encodePage(2, model);
    QVERIFY(p1.ok && p2.ok);
    QCOMPARE(bytes(p1.page, 0, 256).toHex(' '), bytes(pageFromHex(kDefaultPage1), 0, 256).toHex(' '));
    QCOMPARE(bytes(p2.page, 0, 256).toHex(' '), bytes(pageFromHex(kDefaultPage2), 0, 256).toHex(' '));
}

void TestSettingsCodec::factoryDefaultsDecode()
{
    SettingsModel reference;
    reference.setContent(19, QStringLiteral("65535")); // an empty number is sent as 0xFFFF
    SettingsModel model;
    scribble(model);
    // Start-up pick-list rows show no text; a decode leaves those cells alone.
    for (int item : kPickItems)
        model.setContent(item, QString());
    const Page p1 = pageFromHex(kDefaultPage1), p2 = pageFromHex(kDefaultPage2);
    SettingsCodec::decodePage(1, p1.data(), model);
    SettingsCodec::decodePage(2, p2.data(), model);
    QCOMPARE(snapshot(model), snapshot(reference));
}

void TestSettingsCodec::neverConfiguredUnit()
{
    SettingsModel model;
    const Page ff = allFF();
    SettingsCodec::decodePage(1, ff.data(), model);
    SettingsCodec::decodePage(2, ff.data(), model);

    for (int item : {1, 2, 18, 20, 21, 22})
        QVERIFY2(model.content(item).isEmpty(), qPrintable(QString::number(item)));
    // 0xFF does not end a long text: all 40 bytes are read and kept as raw characters.
    for (int item : {5, 6, 13, 14}) {
        QCOMPARE(model.content(item).size(), 40);
        QCOMPARE(DeviceText::toBytes(model.content(item)), QByteArray(40, char(0xFF)));
    }
    for (int item : {7, 10, 15, 16, 17, 19})
        QCOMPARE(model.content(item), QStringLiteral("65535"));
    for (int item : kPickItems)
        QCOMPARE(model.pickSelection(item), -1);

    // Saving that state back gives the same all-0xFF pages.
    const auto p1 = SettingsCodec::encodePage(1, model);
    const auto p2 = SettingsCodec::encodePage(2, model);
    QVERIFY(p1.ok && p2.ok);
    QCOMPARE(bytes(p1.page, 0, 256), QByteArray(256, char(0xFF)));
    QCOMPARE(bytes(p2.page, 0, 256), QByteArray(256, char(0xFF)));
}

void TestSettingsCodec::encodeField_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected"); // hex of the bytes from offset on

    const QString ascii39(39, u'a');
    const QByteArray hex39 = QByteArray(39, 'a').toHex();

    QTest::newRow("password 2 digits") << 1 << "12" << 1 << 0 << QByteArray("313200ff");
    QTest::newRow("password 4 digits") << 1 << "1234" << 1 << 0 << QByteArray("31323334ff");
    QTest::newRow("password empty") << 1 << "" << 1 << 0 << QByteArray("ffffffff");
    QTest::newRow("phone 22 digits") << 2 << "1234567890123456789012" << 1 << 4
                                     << (QByteArray("1234567890123456789012").toHex() + "01");
    QTest::newRow("phone with country code") << 2 << "+4930" << 1 << 4 << QByteArray("2b34393330 00 ff");
    QTest::newRow("long text 39 bytes") << 5 << ascii39 << 1 << 28 << (hex39 + "00 44");
    QTest::newRow("long text 40 bytes") << 6 << ascii39 + "b" << 1 << 68 << (hex39 + "62 0a");
    QTest::newRow("long text cut at 40") << 13 << ascii39 + "bcdef" << 1 << 118 << (hex39 + "62 52");
    QTest::newRow("long text never splits a character")
        << 5 << ascii39 + QString::fromUtf8("é") << 1 << 28 << (hex39 + "00 44");
    QTest::newRow("long text two-byte character fits")
        << 14 << QString(38, u'a') + QString::fromUtf8("é") << 1 << 158
        << (QByteArray(38, 'a').toHex() + "c3a9 0f27");
    QTest::newRow("long text empty") << 14 << "" << 1 << 158 << QByteArray("00ffffff");
    QTest::newRow("number empty") << 7 << "" << 1 << 108 << QByteArray("ffff 01");
    QTest::newRow("item 10 written twice") << 10 << "300" << 1 << 112 << QByteArray("2c01 2c01 03");
    QTest::newRow("port 65535") << 19 << "65535" << 1 << 236 << QByteArray("ffff");
    QTest::newRow("port 80") << 19 << "80" << 1 << 236 << QByteArray("5000");
    QTest::newRow("65535 stays not set") << 7 << "65535" << 1 << 108 << QByteArray("ffff 01");
    QTest::newRow("port with plus sign") << 19 << "+80" << 1 << 236 << QByteArray("5000");
    QTest::newRow("server address 32 bytes")
        << 18 << "192.168.100.200.example.org:8080" << 1 << 204
        << (QByteArray("192.168.100.200.example.org:8080").toHex() + "ffff");
    QTest::newRow("APN cut at 16 bytes, no terminator")
        << 20 << "internet.provider.com" << 1 << 238 << (QByteArray("internet.provide").toHex() + "ffff");
    QTest::newRow("APN never splits a character") << 20 << QString(15, u'x') + QString::fromUtf8("é") << 1
                                                  << 238 << (QByteArray(15, 'x').toHex() + "ff ffff");
    QTest::newRow("GPRS user name") << 21 << "user" << 2 << 0 << QByteArray("75736572 ffffffff");
    QTest::newRow("GPRS password at 17")
        << 22 << "abc" << 2 << 16 << QByteArray("ff 616263 ffffffffffffffffffffffffff ff");
    QTest::newRow("raw bytes written back") << 18 << DeviceText::fromBytes(QByteArray::fromHex("41fe80c3"))
                                            << 1 << 204 << QByteArray("41fe80c3 ff");
}

void TestSettingsCodec::encodeField()
{
    QFETCH(int, item);
    QFETCH(QString, content);
    QFETCH(int, page);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    SettingsModel model;
    model.setContent(item, content);
    // Long texts are cut only where the user agreed to it.
    const auto r = SettingsCodec::encodePage(page, model, SettingsCheck::Cut::Allow);
    QVERIFY2(r.ok, qPrintable(r.error));
    const QByteArray want = QByteArray::fromHex(expected);
    QCOMPARE(bytes(r.page, offset, int(want.size())).toHex(' '), want.toHex(' '));
}

void TestSettingsCodec::encodeRefused_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("message");

    QTest::newRow("letters") << 19 << "abc"
                             << "'abc' is not a valid integer value";
    QTest::newRow("trailing letter") << 7 << "12a"
                                     << "'12a' is not a valid integer value";
    QTest::newRow("blank") << 17 << " 80"
                           << "' 80' is not a valid integer value";
    QTest::newRow("sign only") << 19 << "-"
                               << "'-' is not a valid integer value";
    QTest::newRow("decimal point") << 15 << "1.5"
                                   << "'1.5' is not a valid integer value";
    QTest::newRow("above 16 bits") << 19 << "70000"
                                   << "19.Server Port(0-65535): 70000 is out of range (0 to 65535)";
    QTest::newRow("negative")
        << 10 << "-1"
        << "10.Relay swtich ON timer(0~999, Unit:Second): -1 is out of range (0 to 999)";
    // Nothing is cut or guessed: what does not fit is refused, naming the item and what it keeps.
    QTest::newRow("password of 5 digits")
        << 1 << "12345"
        << "1.Password: \"12345\" has 5 characters; the unit keeps at most 4";
    QTest::newRow("letter inside the password") << 1 << "12a4"
                                                << "1.Password: \"12a4\" holds more than digits";
    QTest::newRow("SIM number with a dash")
        << 2 << "555-1234"
        << "2.SIM Card Phone No: \"555-1234\" holds more than a leading \"+\" and digits";
    QTest::newRow("SIM number with a plus inside")
        << 2 << "49+1234"
        << "2.SIM Card Phone No: \"49+1234\" holds more than a leading \"+\" and digits";
    QTest::newRow("SIM number of 23 digits")
        << 2 << "12345678901234567890123"
        << "2.SIM Card Phone No: \"12345678901234567890123\" has 23 characters; the unit keeps at most 22";
    QTest::newRow("above the item's range")
        << 7 << "1500"
        << "7.Auto Arm after authorized number call-in(0~999): 1500 is out of range (0 to 999)";
    QTest::newRow("long text not cut without consent")
        << 13 << QString(41, u'a')
        << "13.SMS content when relay ON: \"" + QString(40, u'a') +
               "...\" takes 41 bytes; the unit keeps at most 40";
    QTest::newRow("control character in a text")
        << 5 << "Gate\x1b"
        << "5.DIN1 Alarm Content: \"Gate\\x1b\" holds the control character 0x1b, which the unit cannot show";
    QTest::newRow("NUL in a plain text") << 18 << QString("10.0.0.1") + QChar(0)
                                         << "18.Server IP Address: \"10.0.0.1\\x00\" holds the control "
                                            "character 0x00, which the unit cannot show";
    QTest::newRow("far too many digits") << 16 << "123456789012345678901234"
                                         << "16.Self-Check Report Interval(0-999,Unit:Hour): "
                                            "123456789012345678901234 is out of range (0 to 999)";
}

void TestSettingsCodec::encodeRefused()
{
    QFETCH(int, item);
    QFETCH(QString, content);
    QFETCH(QString, message);

    SettingsModel model;
    model.setContent(item, content);
    const auto r = SettingsCodec::encodePage(1, model);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, message);
}

void TestSettingsCodec::pickCells_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("entry text") << 3 << "0:NC " << 0 << QString();
    QTest::newRow("entry text without its blank") << 3 << "0:NC" << 0 << QString();
    QTest::newRow("index alone") << 11 << "2" << 2 << QString();
    QTest::newRow("no entry of that index")
        << 3 << "7:weird" << -1 << "3.DIN1 Type: \"7:weird\" is none of its entries (0:NC, 1:NO)";
    QTest::newRow("index of no entry")
        << 8 << "2" << -1 << "8.Arm/Disarm after power on: \"2\" is none of its entries (0:Disarm, 1:Arm)";
    QTest::newRow("no digit first") << 12 << "none" << -1 << "'n' is not a valid integer value";
    QTest::newRow("empty: no selection") << 9 << "" << -1 << QString();
}

void TestSettingsCodec::pickCells()
{
    QFETCH(int, item);
    QFETCH(QString, cell);
    QFETCH(int, index);
    QFETCH(QString, refusal);
    const SettingsCheck::Pick pick = SettingsCheck::pickOf(item, cell);
    QCOMPARE(pick.index, index);
    QCOMPARE(pick.refusal, refusal);
}

void TestSettingsCodec::decodeField_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("hex"); // bytes placed at offset on an all-0xFF page
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("content"); // expected content, or the selection for pick items

    QTest::newRow("password stops at 0x00") << 1 << 0 << QByteArray("3132 00 33") << 1 << "12";
    QTest::newRow("phone stops at a letter") << 1 << 4 << QByteArray("2b3339 41 3435") << 2 << "+39";
    QTest::newRow("phone 22 digits") << 1 << 4 << (QByteArray("1234567890123456789012").toHex() + "00") << 2
                                     << "1234567890123456789012";
    QTest::newRow("long text 40 bytes") << 1 << 28 << QByteArray(40, 'x').toHex() << 5 << QString(40, u'x');
    QTest::newRow("long text stops at 0x00")
        << 1 << 68 << QByteArray("41ff42 00 43") << 6 << DeviceText::fromBytes(QByteArray::fromHex("41ff42"));
    QTest::newRow("long text keeps UTF-8")
        << 1 << 118 << QByteArray("52c3a9 00") << 13 << QString::fromUtf8("Ré");
    QTest::newRow("number little-endian") << 1 << 108 << QByteArray("e703") << 7 << "999";
    QTest::newRow("number 0xFFFF") << 1 << 236 << QByteArray("ffff") << 19 << "65535";
    QTest::newRow("number stored modulo") << 1 << 236 << QByteArray("7011") << 19 << "4464";
    QTest::newRow("item 10 shows second copy") << 1 << 112 << QByteArray("0500 0700") << 10 << "7";
    QTest::newRow("item 17 first of three") << 1 << 198 << QByteArray("0100 0200 0300") << 17 << "1";
    QTest::newRow("item 15 second of three") << 1 << 198 << QByteArray("0100 0200 0300") << 15 << "2";
    QTest::newRow("item 16 third of three") << 1 << 198 << QByteArray("0100 0200 0300") << 16 << "3";
    QTest::newRow("server address stops at 0xFF") << 1 << 204 << QByteArray("31 00 32 ff 33") << 18
                                                  << QString::fromUtf8("1\0"
                                                                       "2",
                                                                       3);
    QTest::newRow("APN 16 bytes") << 1 << 238 << QByteArray(16, 'a').toHex() << 20 << QString(16, u'a');
    QTest::newRow("user name") << 2 << 0 << QByteArray("75736572") << 21 << "user";
    QTest::newRow("user name ignores byte 16")
        << 2 << 0 << (QByteArray(16, 'u').toHex() + "41") << 21 << QString(16, u'u');
    QTest::newRow("GPRS password from 17") << 2 << 16 << QByteArray("5a 616263") << 22 << "abc";
    QTest::newRow("DIN1 type NC") << 1 << 26 << QByteArray("00") << 3 << "0";
    QTest::newRow("DIN2 type beyond entries") << 1 << 27 << QByteArray("02") << 4 << "-1";
    QTest::newRow("item 9 before item 8") << 1 << 110 << QByteArray("00 01") << 9 << "0";
    QTest::newRow("item 8 after item 9") << 1 << 110 << QByteArray("00 01") << 8 << "1";
    QTest::newRow("notify on") << 1 << 116 << QByteArray("02 01") << 11 << "2";
    QTest::newRow("notify off") << 1 << 116 << QByteArray("02 01") << 12 << "1";
}

void TestSettingsCodec::decodeField()
{
    QFETCH(int, page);
    QFETCH(int, offset);
    QFETCH(QByteArray, hex);
    QFETCH(int, item);
    QFETCH(QString, content);

    SettingsModel model;
    scribble(model);
    Page p = allFF();
    put(p, offset, QByteArray::fromHex(hex));
    SettingsCodec::decodePage(page, p.data(), model);
    if (SettingsModel::isPickItem(item))
        QCOMPARE(QString::number(model.pickSelection(item)), content);
    else
        QCOMPARE(model.content(item), content);
}

void TestSettingsCodec::decodeProgressAndOrder()
{
    // At each progress step, record which items already hold decoded values.
    SettingsModel model;
    scribble(model);
    QList<int> steps;
    QStringList seen;
    const auto progress = [&](int percent) {
        steps << percent;
        seen << QStringLiteral("%1:%2/%3/%4")
                    .arg(percent)
                    .arg(model.content(1), model.content(10), model.content(13));
    };
    Page p = allFF();
    put(p, 0, "1111");
    put(p, 112, QByteArray::fromHex("0200 0300"));
    put(p, 118, QByteArray("on\0", 3));
    SettingsCodec::decodePage(1, p.data(), model, progress);
    QCOMPARE(steps, QList<int>({25, 40, 50}));
    QCOMPARE(seen, QStringList({"25:stale/stale/stale", "40:1111/3/stale", "50:1111/3/on"}));

    Page p2 = allFF();
    put(p2, 0, "u");
    put(p2, 17, "p");
    steps.clear();
    seen.clear();
    SettingsCodec::decodePage(2, p2.data(), model, [&](int percent) {
        steps << percent;
        seen << QStringLiteral("%1:%2/%3").arg(percent).arg(model.content(21), model.content(22));
    });
    QCOMPARE(steps, QList<int>({90, 100}));
    QCOMPARE(seen, QStringList({"90:u/stale", "100:u/p"}));

    // A page the record does not have decodes nothing.
    const QStringList before = snapshot(model);
    steps.clear();
    SettingsCodec::decodePage(3, allFF().data(), model, [&](int percent) { steps << percent; });
    QVERIFY(steps.isEmpty());
    QCOMPARE(snapshot(model), before);
}

void TestSettingsCodec::devicePassword_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("password");
    QTest::newRow("factory") << QByteArray("38353330 31") << "8530";
    // Filler bytes stay part of the compared text (0xFF shows as its private-use stand-in).
    QTest::newRow("two digits") << QByteArray("3132 00 ff") << QStringLiteral("12\u0000\uF7FF");
    QTest::newRow("never set") << QByteArray("ffffffff") << QStringLiteral("\uF7FF\uF7FF\uF7FF\uF7FF");
}

void TestSettingsCodec::devicePassword()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, password);
    Page p = allFF();
    put(p, 0, QByteArray::fromHex(hex));
    QCOMPARE(SettingsCodec::devicePassword(p.data()), password);
}

namespace {

// Random field contents shaped to be what a unit can hold, so that a read gives back
// a table that writes the same bytes.
class ImageMaker
{
public:
    explicit ImageMaker(quint32 seed) : m_rng(seed) {}

    int length(int width)
    {
        // Empty and full fields are where terminators change: give them extra weight.
        const int pick = int(m_rng.bounded(4));
        if (pick == 0) return 0;
        if (pick == 1) return width;
        return int(m_rng.bounded(width + 1));
    }

    // The password takes digits only; the SIM number may start with "+".
    void digits(Page &p, int offset, int width, bool plus)
    {
        const int n = length(width);
        for (int i = 0; i < n; ++i)
            p[offset + i] =
                plus && i == 0 ? "+0123456789"[m_rng.bounded(11)] : "0123456789"[m_rng.bounded(10)];
        if (n > 0 && n < width) p[offset + n] = 0x00;
    }

    // Any bytes but control characters: ASCII, valid UTF-8 characters, and stray bytes that
    // are not UTF-8.
    void longText(Page &p, int offset)
    {
        const QByteArray b = textBytes(length(40));
        put(p, offset, b);
        if (b.size() < 40) p[offset + b.size()] = 0x00;
    }

    void plainText(Page &p, int offset, int width) { put(p, offset, textBytes(length(width))); }

    // A value within the item's range, or 65535 (not set).
    void number(Page &p, int offset, int maximum)
    {
        const quint32 v = m_rng.bounded(8) == 0 ? 0xFFFF : m_rng.bounded(quint32(maximum) + 1);
        p[offset] = std::uint8_t(v & 0xFF);
        p[offset + 1] = std::uint8_t(v >> 8);
    }

    void pick(Page &p, int offset, int entries)
    {
        const int v = int(m_rng.bounded(entries + 1));
        p[offset] = v == entries ? 0xFF : std::uint8_t(v);
    }

private:
    QByteArray textBytes(int n)
    {
        static const char *const kChars[] = {"\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xef\x9c\x80"};
        QByteArray out;
        while (out.size() < n) {
            const int kind = int(m_rng.bounded(3));
            QByteArray piece;
            if (kind == 0)
                piece = QByteArray(1, char(0x20 + m_rng.bounded(0x5F)));
            else if (kind == 1)
                piece = kChars[m_rng.bounded(4)];
            else
                piece = QByteArray(1, char(0x80 + m_rng.bounded(0x7F))); // 0x80..0xFE
            if (out.size() + piece.size() <= n) out += piece;
        }
        return out;
    }

    QRandomGenerator m_rng;
};

// Random images of both settings pages that a unit may hold.
void randomPages(quint32 seed, Page &p1, Page &p2)
{
    ImageMaker make(seed);
    p1 = allFF();
    p2 = allFF();
    make.digits(p1, 0, 4, false);
    make.digits(p1, 4, 22, true);
    make.pick(p1, 26, 2);
    make.pick(p1, 27, 2);
    make.longText(p1, 28);
    make.longText(p1, 68);
    make.number(p1, 108, 999);
    make.pick(p1, 110, 2);
    make.pick(p1, 111, 2);
    make.number(p1, 112, 999);
    p1[114] = p1[112];
    p1[115] = p1[113];
    make.pick(p1, 116, 4);
    make.pick(p1, 117, 4);
    make.longText(p1, 118);
    make.longText(p1, 158);
    make.number(p1, 198, 9999);
    make.number(p1, 200, 999);
    make.number(p1, 202, 999);
    make.plainText(p1, 204, 32);
    make.number(p1, 236, 65535);
    make.plainText(p1, 238, 16);
    make.plainText(p2, 0, 16);
    make.plainText(p2, 17, 16);
}

} // namespace

void TestSettingsCodec::roundTripProperty()
{
    for (quint32 seed = 1; seed <= 3000; ++seed) {
        Page p1, p2;
        randomPages(seed, p1, p2);

        SettingsModel model;
        SettingsCodec::decodePage(1, p1.data(), model);
        SettingsCodec::decodePage(2, p2.data(), model);
        const auto e1 = SettingsCodec::encodePage(1, model);
        const auto e2 = SettingsCodec::encodePage(2, model);
        QVERIFY2(e1.ok && e2.ok, qPrintable(e1.error + e2.error));
        if (e1.page != p1 || e2.page != p2) {
            qWarning("seed %u", seed);
            QCOMPARE(bytes(e1.page, 0, 256).toHex(' '), bytes(p1, 0, 256).toHex(' '));
            QCOMPARE(bytes(e2.page, 0, 256).toHex(' '), bytes(p2, 0, 256).toHex(' '));
        }
    }
}

void TestSettingsCodec::simulatedUnitLeavesTheFactoryWithTheGridDefaults()
{
    // The simulated unit's factory memory is exactly what saving the start-up grid writes.
    const SettingsModel model;
    const QByteArray factory = devsim::presetSettings(devsim::Preset::Factory);
    for (int page : {1, 2}) {
        const auto r = SettingsCodec::encodePage(page, model);
        QVERIFY(r.ok);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.page.data()), 256).toHex(),
                 factory.mid((page - 1) * 256, 256).toHex());
    }
}

void TestSettingsCodec::jsonRoundTripProperty()
{
    // Whatever a unit may hold (unset numbers and pick items included), exported as JSON and
    // as a profile sheet, imports again and saves to the pages the unit held.
    for (quint32 seed = 1; seed <= 600; ++seed) {
        Page p1, p2;
        randomPages(seed, p1, p2);
        SettingsModel model;
        SettingsCodec::decodePage(1, p1.data(), model);
        SettingsCodec::decodePage(2, p2.data(), model);
        Sheet fromJson;
        QCOMPARE(SettingsJson::toSheet(SettingsJson::bytes(model), fromJson), QString());
        for (const Sheet &sheet : {fromJson, SettingsProfile::toSheet(model)}) {
            SettingsModel back;
            QCOMPARE(SettingsProfile::fromSheet(sheet, back), QString());
            QCOMPARE(SettingsCodec::encodePage(1, back).page, p1);
            QCOMPARE(SettingsCodec::encodePage(2, back).page, p2);
        }
    }
}

void TestSettingsCodec::overlongTextsAreNamed()
{
    using SettingsCheck::Cut;
    using SettingsCheck::CutText;
    SettingsModel m;
    QCOMPARE(SettingsCodec::encodeRecord(m, Cut::Allow).cut, QList<CutText>{});
    m.setContent(5, QString(40, u'a'));                 // fills the field exactly
    m.setContent(13, QStringLiteral("é").repeated(20)); // 40 bytes in 20 characters
    QCOMPARE(SettingsCodec::encodeRecord(m, Cut::Allow).cut, QList<CutText>{});
    m.setContent(5, QString(40, u'a') + QString(13, u'b'));
    m.setContent(22, QStringLiteral("é").repeated(9)); // 18 bytes, 16 kept
    const SettingsCodec::Record allowed = SettingsCodec::encodeRecord(m, Cut::Allow);
    QCOMPARE(allowed.cut,
             (QList<CutText>{{5, 53, 40, QString(13, u'b')}, {22, 18, 16, QStringLiteral("é")}}));
    QVERIFY(allowed.ok());
    // Without consent nothing is cut: both items are refused, in item order.
    const SettingsCodec::Record refused = SettingsCodec::encodeRecord(m);
    QCOMPARE(refused.refused.size(), 2);
    QCOMPARE(refused.refused[0].first, 5);
    QCOMPARE(refused.refused[1].first, 22);
    QVERIFY(refused.cut.isEmpty());
}

QTEST_GUILESS_MAIN(TestSettingsCodec)
#include "tst_settings_codec.moc"
