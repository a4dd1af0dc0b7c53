// Presets and image files of the simulated unit.
#include "device_memory.h"

#include <QDate>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace zc::devsim;

namespace {

constexpr int kImageSize = 160512;

quint8 at(const QByteArray &b, int i)
{
    return quint8(b[i]);
}

bool isPhoneChar(quint8 c)
{
    return c == '+' || (c >= '0' && c <= '9');
}

// A field holding a phone number: '+' and digits, then only 0x00 up to the field's end.
bool isPhoneField(const QByteArray &field, bool mayBeEmpty)
{
    int n = 0;
    while (n < field.size() && isPhoneChar(at(field, n)))
        ++n;
    for (int i = n; i < field.size(); ++i) {
        if (field[i] != '\0')
            return false;
    }
    return mayBeEmpty || n >= 8;
}

} // namespace

class TestDevsimMemory : public QObject
{
    Q_OBJECT

private slots:
    void factorySettings();
    void blankAndEmptyRegions_data();
    void blankAndEmptyRegions();
    void demoNumbers();
    void demoHistory();
    void presetNames();
    void addressMap_data();
    void addressMap();
    void imageRoundTrip();
    void imageLayout();
    void missingImageKeepsPreset();
    void wrongSizeImageRefused_data();
    void wrongSizeImageRefused();
    void unwritableImageReported();
};

void TestDevsimMemory::factorySettings()
{
    // The bytes the tool's settings grid defaults encode to, written out field by field.
    QByteArray expected(512, char(0xFF));
    auto put = [&](int offset, const QByteArray &bytes) { expected.replace(offset, bytes.size(), bytes); };
    put(0, "8530");
    put(26, QByteArray::fromHex("0101"));
    put(28, QByteArray("Unauthorized door opened") + '\0');
    put(68, QByteArray("DIN2 Alarm") + '\0');
    put(108, QByteArray::fromHex("0a00"));
    put(110, QByteArray::fromHex("0100"));
    put(112, QByteArray::fromHex("00000000"));
    put(116, QByteArray::fromHex("0303"));
    put(118, QByteArray("Relay ON") + '\0');
    put(158, QByteArray("Relay OFF") + '\0');
    put(198, QByteArray::fromHex("0f27e7030000"));

    const DeviceMemory memory(Preset::Factory);
    QCOMPARE(memory.read(0x0000, 256).toHex(), expected.left(256).toHex());
    QCOMPARE(memory.read(0x0100, 256).toHex(), expected.mid(256).toHex());
    QCOMPARE(DeviceMemory(Preset::Demo).read(0, 512), expected);
}

void TestDevsimMemory::blankAndEmptyRegions_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("size");
    QTest::newRow("blank settings") << int(Preset::Blank) << 0x0u << 512;
    QTest::newRow("blank list") << int(Preset::Blank) << 0x1000u << 32000;
    QTest::newRow("blank log") << int(Preset::Blank) << 0x10000u << 128000;
    QTest::newRow("factory list") << int(Preset::Factory) << 0x1000u << 32000;
    QTest::newRow("factory log") << int(Preset::Factory) << 0x10000u << 128000;
}

void TestDevsimMemory::blankAndEmptyRegions()
{
    QFETCH(int, preset);
    QFETCH(quint32, address);
    QFETCH(int, size);
    QCOMPARE(DeviceMemory(Preset(preset)).read(address, size), QByteArray(size, char(0xFF)));
}

void TestDevsimMemory::demoNumbers()
{
    const QByteArray list = DeviceMemory(Preset::Demo).read(0x1000, 32000);
    QCOMPARE(list.size(), 32000);
    int used = 0;
    while (used < 1000 && at(list, used * 32 + 22) != 0xFF)
        ++used;
    QVERIFY2(used >= 30 && used <= 50, qPrintable(QString::number(used)));
    QCOMPARE(list.mid(used * 32), QByteArray((1000 - used) * 32, char(0xFF)));

    int always = 0, windowed = 0;
    for (int i = 0; i < used; ++i) {
        const QByteArray e = list.mid(i * 32, 32);
        QVERIFY2(isPhoneField(e.left(22), false), qPrintable(e.toHex()));
        if (e.mid(22, 8) == QByteArray(8, char(0x63))) {
            QCOMPARE(at(e, 30), quint8(0x00));
            QCOMPARE(at(e, 31), quint8(0x63));
            ++always;
            continue;
        }
        ++windowed;
        const QDateTime start(QDate(2000 + at(e, 30), at(e, 22), at(e, 23)), QTime(at(e, 24), at(e, 25)), Qt::UTC);
        const QDateTime end(QDate(2000 + at(e, 31), at(e, 26), at(e, 27)), QTime(at(e, 28), at(e, 29)), Qt::UTC);
        QVERIFY2(start.isValid() && end.isValid(), qPrintable(e.toHex()));
        QVERIFY2(start < end, qPrintable(e.toHex()));
    }
    QVERIFY(always >= 5);
    QVERIFY(windowed >= 5);
}

void TestDevsimMemory::demoHistory()
{
    const QByteArray log = DeviceMemory(Preset::Demo).read(0x10000, 128000);
    QCOMPARE(log, DeviceMemory(Preset::Demo).read(0x10000, 128000)); // the same on every run
    int used = 0;
    while (used < 1000 && at(log, used * 128 + 4) != 0xFF)
        ++used;
    QVERIFY2(used >= 250 && used <= 350, qPrintable(QString::number(used)));
    QCOMPARE(log.mid(used * 128), QByteArray((1000 - used) * 128, char(0xFF)));

    qint64 lastNumber = 0;
    QDateTime lastTime;
    QSet<int> years, actions, sources;
    for (int i = 0; i < used; ++i) {
        const QByteArray r = log.mid(i * 128, 128);
        const qint64 number = at(r, 0) | at(r, 1) << 8 | at(r, 2) << 16 | qint64(at(r, 3)) << 24;
        QVERIFY2(number > lastNumber, qPrintable(r.toHex()));
        lastNumber = number;
        const QDateTime when(QDate(2000 + at(r, 4), at(r, 5), at(r, 6)), QTime(at(r, 7), at(r, 8), at(r, 9)), Qt::UTC);
        QVERIFY2(when.isValid(), qPrintable(r.toHex()));
        QVERIFY2(!lastTime.isValid() || when >= lastTime, qPrintable(r.toHex()));
        lastTime = when;
        QVERIFY(when.date().year() >= 2015 && when.date().year() <= 2026);
        years.insert(when.date().year());
        QVERIFY(at(r, 10) <= 3);
        QVERIFY(at(r, 11) <= 9);
        sources.insert(at(r, 10));
        actions.insert(at(r, 11));
        QVERIFY2(isPhoneField(r.mid(12, 22), true), qPrintable(r.toHex()));
        const QByteArray content = r.mid(34, 41);
        QVERIFY2(content.indexOf('\0') > 0, qPrintable(r.toHex()));
    }
    QVERIFY(years.size() >= 10);
    QCOMPARE(actions.size(), 10);
    QCOMPARE(sources.size(), 4);
}

void TestDevsimMemory::presetNames()
{
    QCOMPARE(presetFromName("factory"), Preset::Factory);
    QCOMPARE(presetFromName("Demo"), Preset::Demo);
    QCOMPARE(presetFromName("BLANK"), Preset::Blank);
    QVERIFY(!presetFromName("empty"));
    QVERIFY(!presetFromName(""));
}

void TestDevsimMemory::addressMap_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<bool>("page");
    QTest::newRow("settings 1") << 0x0000u << qint64(0) << true;
    QTest::newRow("settings 2") << 0x0100u << qint64(256) << true;
    QTest::newRow("settings end") << 0x01FFu << qint64(511) << false;
    QTest::newRow("gap 0x0200") << 0x0200u << qint64(-1) << false;
    QTest::newRow("gap 0x0FFF") << 0x0FFFu << qint64(-1) << false;
    QTest::newRow("list 1") << 0x1000u << qint64(512) << true;
    QTest::newRow("list 125") << 0x8C00u << qint64(512 + 124 * 256) << true;
    QTest::newRow("gap 0x8D00") << 0x8D00u << qint64(-1) << false;
    QTest::newRow("gap 0xFF00") << 0xFF00u << qint64(-1) << false;
    QTest::newRow("log 1") << 0x10000u << qint64(32512) << true;
    QTest::newRow("log 500") << 0x2F300u << qint64(32512 + 499 * 256) << true;
    QTest::newRow("past the log") << 0x2F400u << qint64(-1) << false;
    QTest::newRow("top of the range") << 0xFFFFFF00u << qint64(-1) << false;
}

void TestDevsimMemory::addressMap()
{
    QFETCH(quint32, address);
    QFETCH(qint64, offset);
    QFETCH(bool, page);
    QCOMPARE(DeviceMemory::imageOffset(address), offset);

    DeviceMemory memory(Preset::Blank);
    QCOMPARE(memory.page(address).size(), page ? 256 : 0);
    QCOMPARE(memory.writePage(address, QByteArray(256, 'x')), page);
    if (page)
        QCOMPARE(memory.image().mid(offset, 256), QByteArray(256, 'x'));
    else
        QCOMPARE(memory.image(), QByteArray(kImageSize, char(0xFF)));
}

void TestDevsimMemory::imageRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("unit.img");
    DeviceMemory demo(Preset::Demo);
    QVERIFY(demo.write(0x1234, "changed"));
    QString error;
    QVERIFY2(demo.save(path, &error), qPrintable(error));
    QCOMPARE(QFileInfo(path).size(), qint64(kImageSize));

    DeviceMemory loaded(Preset::Blank);
    QVERIFY2(loaded.load(path, &error), qPrintable(error));
    QCOMPARE(loaded.image(), demo.image());
}

void TestDevsimMemory::imageLayout()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("unit.img");
    DeviceMemory memory(Preset::Blank);
    QVERIFY(memory.write(0x0100, "S"));
    QVERIFY(memory.write(0x1000, "N"));
    QVERIFY(memory.write(0x8CFF, "n"));
    QVERIFY(memory.write(0x10000, "H"));
    QVERIFY(memory.write(0x2F3FF, "h"));
    QVERIFY(memory.save(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), kImageSize);
    QCOMPARE(bytes[256], 'S');
    QCOMPARE(bytes[512], 'N');
    QCOMPARE(bytes[32511], 'n');
    QCOMPARE(bytes[32512], 'H');
    QCOMPARE(bytes[kImageSize - 1], 'h');
    QCOMPARE(bytes.count(char(0xFF)), kImageSize - 5);

    // Writes that would run past a region's end are refused whole, reads are cut there.
    QVERIFY(!memory.write(0x01FF, "xy"));
    QVERIFY(!memory.write(0x8CFF, "xy"));
    QCOMPARE(memory.read(0x01FE, 10).size(), 2);
    QCOMPARE(memory.read(0x2F3FF, 10), QByteArray("h"));
    QCOMPARE(memory.image(), bytes);
}

void TestDevsimMemory::missingImageKeepsPreset()
{
    QTemporaryDir dir;
    DeviceMemory memory(Preset::Demo);
    QString error;
    QVERIFY(memory.load(dir.filePath("absent.img"), &error));
    QCOMPARE(memory.image(), DeviceMemory(Preset::Demo).image());
    QVERIFY(!QFile::exists(dir.filePath("absent.img")));
}

void TestDevsimMemory::wrongSizeImageRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("settings only") << 512;
    QTest::newRow("one byte short") << kImageSize - 1;
    QTest::newRow("one byte long") << kImageSize + 1;
}

void TestDevsimMemory::wrongSizeImageRefused()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("odd.img");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'z'));
    file.close();

    DeviceMemory memory(Preset::Factory);
    QString error;
    QVERIFY(!memory.load(path, &error));
    QVERIFY(error.contains(QString::number(size)));
    QCOMPARE(memory.image(), DeviceMemory(Preset::Factory).image());
}

void TestDevsimMemory::unwritableImageReported()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!DeviceMemory().save(dir.filePath("no/such/folder/unit.img"), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestDevsimMemory)
#include "tst_devsim_memory.moc"
