// Presets and image files of the simulated unit.
#include "devsim/device_memory.h"

#include <QDateTime>
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

// A phone number field: '+' and digits, then nothing but 0x00.
bool isPhoneField(const QByteArray &field, int minDigits)
{
    int n = 0;
    while (n < field.size() && (field[n] == '+' || (field[n] >= '0' && field[n] <= '9')))
        ++n;
    return n >= minDigits && field.mid(n) == QByteArray(field.size() - n, '\0');
}

// Number of leading slots in use (a slot is free when the byte at probe is 0xFF); the rest must be erased.
int usedSlots(const QByteArray &region, int slotSize, int probe)
{
    int used = 0;
    while (used * slotSize < region.size() && at(region, used * slotSize + probe) != 0xFF)
        ++used;
    return region.mid(used * slotSize).count(char(0xFF)) == region.size() - used * slotSize ? used : -1;
}

QDateTime when(const QByteArray &b, int year, int month, int day, int hour, int minute, int second = -1)
{
    return QDateTime(QDate(2000 + at(b, year), at(b, month), at(b, day)),
                     QTime(at(b, hour), at(b, minute), second < 0 ? 0 : at(b, second)), Qt::UTC);
}

} // namespace

class TestDevsimMemory : public QObject
{
    Q_OBJECT

private slots:
    void factorySettings()
    {
        // The bytes the tool's settings grid defaults encode to, field by field.
        QByteArray expected(512, char(0xFF));
        auto put = [&](int offset, const QByteArray &bytes) {
            expected.replace(offset, bytes.size(), bytes);
        };
        put(0, "8530");
        put(26, QByteArray::fromHex("0101"));
        put(28, QByteArray("Unauthorized door opened") + '\0');
        put(68, QByteArray("DIN2 Alarm") + '\0');
        put(108, QByteArray::fromHex("0a00010000000000"));
        put(116, QByteArray::fromHex("0303"));
        put(118, QByteArray("Relay ON") + '\0');
        put(158, QByteArray("Relay OFF") + '\0');
        put(198, QByteArray::fromHex("0f27e7030000"));
        QCOMPARE(DeviceMemory(Preset::Factory).read(0, 512).toHex(), expected.toHex());
        QCOMPARE(DeviceMemory(Preset::Demo).read(0, 512), expected);

        const QByteArray factory = DeviceMemory(Preset::Factory).image();
        QCOMPARE(factory.mid(512).count(char(0xFF)), kImageSize - 512); // empty list, empty log
        QCOMPARE(DeviceMemory(Preset::Blank).image(), QByteArray(kImageSize, char(0xFF)));
    }

    void demoNumbers()
    {
        const QByteArray list = DeviceMemory(Preset::Demo).read(0x1000, 32000);
        const int used = usedSlots(list, 32, 22);
        QVERIFY2(used >= 30 && used <= 50, qPrintable(QString::number(used)));
        int always = 0;
        for (int i = 0; i < used; ++i) {
            const QByteArray e = list.mid(i * 32, 32);
            QVERIFY2(isPhoneField(e.left(22), 8), qPrintable(e.toHex()));
            if (e.mid(22) == QByteArray::fromHex("63636363636363630063")) {
                ++always;
                continue;
            }
            const QDateTime start = when(e, 30, 22, 23, 24, 25), end = when(e, 31, 26, 27, 28, 29);
            QVERIFY2(start.isValid() && end.isValid() && start < end, qPrintable(e.toHex()));
        }
        QVERIFY(always >= 5 && used - always >= 5);
    }

    void demoHistory()
    {
        const QByteArray log = DeviceMemory(Preset::Demo).read(0x10000, 128000);
        QCOMPARE(log, presetHistory(Preset::Demo)); // the same on every run
        const int used = usedSlots(log, 128, 4);
        QVERIFY2(used >= 250 && used <= 350, qPrintable(QString::number(used)));
        qint64 lastNumber = 0;
        QDateTime last;
        QSet<int> years, sources, actions;
        for (int i = 0; i < used; ++i) {
            const QByteArray r = log.mid(i * 128, 128);
            const qint64 number = at(r, 0) | at(r, 1) << 8 | at(r, 2) << 16 | qint64(at(r, 3)) << 24;
            const QDateTime t = when(r, 4, 5, 6, 7, 8, 9);
            QVERIFY2(number > lastNumber && t.isValid() && (i == 0 || t >= last), qPrintable(r.toHex()));
            QVERIFY2(isPhoneField(r.mid(12, 22), 0) && r.mid(34, 41).indexOf('\0') > 0,
                     qPrintable(r.toHex()));
            lastNumber = number;
            last = t;
            years.insert(t.date().year());
            sources.insert(at(r, 10));
            actions.insert(at(r, 11));
        }
        QVERIFY(*std::min_element(years.begin(), years.end()) == 2015);
        QVERIFY(*std::max_element(years.begin(), years.end()) == 2026);
        QVERIFY(years.size() >= 10);
        QCOMPARE(sources, (QSet<int>{0, 1, 2, 3}));
        QCOMPARE(actions, (QSet<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }

    void addressMap_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<qint64>("offset");
        QTest::newRow("settings 2") << 0x0100u << qint64(256);
        QTest::newRow("gap 0x0200") << 0x0200u << qint64(-1);
        QTest::newRow("list 1") << 0x1000u << qint64(512);
        QTest::newRow("list 125") << 0x8C00u << qint64(512 + 124 * 256);
        QTest::newRow("gap 0x8D00") << 0x8D00u << qint64(-1);
        QTest::newRow("log 1") << 0x10000u << qint64(32512);
        QTest::newRow("log 500") << 0x2F300u << qint64(32512 + 499 * 256);
        QTest::newRow("past the log") << 0x2F400u << qint64(-1);
        QTest::newRow("top of the range") << 0xFFFFFF00u << qint64(-1);
    }
    void addressMap()
    {
        QFETCH(quint32, address);
        QFETCH(qint64, offset);
        DeviceMemory memory(Preset::Blank);
        QCOMPARE(memory.writePage(address, QByteArray(256, 'x')), offset >= 0);
        QCOMPARE(memory.image().count('x'), offset >= 0 ? 256 : 0);
        QCOMPARE(memory.image().indexOf('x'), offset);
        QCOMPARE(memory.page(address), offset >= 0 ? QByteArray(256, 'x') : QByteArray());
    }

    void regionEdges()
    {
        // Writes running past the end of a region are refused whole; reads are cut there.
        DeviceMemory memory(Preset::Blank);
        for (quint32 last : {0x01FFu, 0x8CFFu, 0x2F3FFu}) {
            QVERIFY(!memory.write(last, "xy"));
            QVERIFY(memory.write(last, "x"));
            QCOMPARE(memory.read(last - 1, 10), QByteArray("\xffx"));
        }
        QCOMPARE(memory.page(0x0180), QByteArray()); // not on a page boundary
    }

    void imageFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("unit.img");
        DeviceMemory demo(Preset::Demo);
        QVERIFY(demo.load(path)); // missing: the preset stays
        QCOMPARE(demo.image(),
                 presetSettings(Preset::Demo) + presetNumbers(Preset::Demo) + presetHistory(Preset::Demo));
        QVERIFY(demo.write(0x0100, "S") && demo.write(0x8CFF, "n") && demo.write(0x2F3FF, "h"));
        QString error;
        QVERIFY2(demo.save(path, &error), qPrintable(error));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), kImageSize);
        QCOMPARE(bytes.mid(256, 1) + bytes.mid(32511, 1) + bytes.right(1), QByteArray("Snh"));
        DeviceMemory loaded(Preset::Blank);
        QVERIFY2(loaded.load(path, &error), qPrintable(error));
        QCOMPARE(loaded.image(), demo.image());

        QVERIFY(!demo.save(dir.filePath("no/such/folder/unit.img"), &error));
        QVERIFY(!error.isEmpty());
    }

    void wrongSizeImageRefused_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one byte short") << kImageSize - 1;
        QTest::newRow("one byte long") << kImageSize + 1;
    }
    void wrongSizeImageRefused()
    {
        QFETCH(int, size);
        QTemporaryDir dir;
        QFile file(dir.filePath("odd.img"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, 'z')) == size);
        file.close();
        DeviceMemory memory(Preset::Factory);
        QString error;
        QVERIFY(!memory.load(file.fileName(), &error));
        QVERIFY2(error.contains(QString::number(size)), qPrintable(error));
        QCOMPARE(memory.image(), DeviceMemory(Preset::Factory).image());
    }
};

QTEST_GUILESS_MAIN(TestDevsimMemory)
#include "tst_devsim_memory.moc"
