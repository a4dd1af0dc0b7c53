#include "devsim/presets.h"

#include "link/address_map.h"

#include <QDateTime>
#include <array>

namespace zc::devsim {

namespace {

constexpr char kErased = char(0xFF);
constexpr int kSettingsSize = areaBytes(Area::Settings);
constexpr int kEntrySize = areaMap(Area::Numbers).recordSize;
constexpr int kEntries = areaMap(Area::Numbers).records;
constexpr int kRecordSize = areaMap(Area::History).recordSize;
constexpr int kRecords = areaMap(Area::History).records;
constexpr int kDemoNumbers = 40;
constexpr int kDemoRecords = 300;

// A text field: the bytes, then one 0x00 when they are shorter than the field.
void putText(QByteArray &bytes, int offset, int width, const QByteArray &text, bool terminate)
{
    const int n = qMin(int(text.size()), width);
    bytes.replace(offset, n, text.left(n));
    if (terminate && n < width) bytes[offset + n] = '\0';
}

void putU16(QByteArray &bytes, int offset, quint16 value)
{
    bytes[offset] = char(value & 0xFF);
    bytes[offset + 1] = char(value >> 8);
}

// Deterministic pseudo-random numbers, so the demo unit is the same on every run.
class Sequence
{
public:
    explicit Sequence(quint32 seed) : m_state(seed) {}
    int next(int bound)
    {
        m_state = m_state * 1103515245u + 12345u;
        return int((m_state >> 8) % quint32(bound));
    }

private:
    quint32 m_state;
};

// Fictional numbers from the ranges reserved for drama and examples.
QByteArray demoPhone(int i)
{
    switch (i % 4) {
    case 0:
        return "+447700900" + QByteArray::number(100 + i * 7).right(3);
    case 1:
        return "07700900" + QByteArray::number(500 + i * 11).right(3);
    case 2:
        return "+1202555" + QByteArray::number(100 + i).rightJustified(4, '0');
    default:
        return "+6125550" + QByteArray::number(1000 + i * 13).right(4);
    }
}

QByteArray factorySettings()
{
    QByteArray s(kSettingsSize, kErased);
    putText(s, 0, 4, "8530", true); // password
    s[26] = 1;                      // DIN1 type NO
    s[27] = 1;                      // DIN2 type NO
    putText(s, 28, 40, "Unauthorized door opened", true);
    putText(s, 68, 40, "DIN2 Alarm", true);
    putU16(s, 108, 10); // auto arm after call-in, minutes
    s[110] = 1;         // only authorized numbers switch the relay
    s[111] = 0;         // disarmed after power on
    putU16(s, 112, 0);  // relay ON timer, both copies
    putU16(s, 114, 0);
    s[116] = 3; // notify admin and caller on relay ON
    s[117] = 3; // and on relay OFF
    putText(s, 118, 40, "Relay ON", true);
    putText(s, 158, 40, "Relay OFF", true);
    putU16(s, 198, 9999); // GPRS upload interval: disabled
    putU16(s, 200, 999);  // power failure alarm delay: no alarm
    putU16(s, 202, 0);    // self-check report: none
    return s;
}

QByteArray demoNumbers()
{
    QByteArray list(kEntrySize * kEntries, kErased);
    Sequence rnd(0x5eed01);
    for (int i = 0; i < kDemoNumbers; ++i) {
        QByteArray e(kEntrySize, '\0');
        putText(e, 0, 22, demoPhone(i), false);
        if (i % 5 == 1 || i % 5 == 3) {
            // A visitor allowed inside a window: start and end date and time.
            const int year = 24 + rnd.next(3);
            const int month = 1 + rnd.next(12);
            const int day = 1 + rnd.next(28);
            e[22] = char(month);
            e[23] = char(day);
            e[24] = char(6 + rnd.next(4));
            e[25] = char(rnd.next(4) * 15);
            const int endMonth = month + 1 + rnd.next(5);
            e[26] = char((endMonth - 1) % 12 + 1);
            e[27] = char(1 + rnd.next(28));
            e[28] = char(17 + rnd.next(6));
            e[29] = char(rnd.next(2) * 30);
            e[30] = char(year);
            e[31] = char(year + (endMonth > 12 ? 1 : 0));
        } else {
            // Allowed at any time.
            e.replace(22, 8, QByteArray(8, char(0x63)));
            e[30] = '\0';
            e[31] = char(0x63);
        }
        list.replace(i * kEntrySize, kEntrySize, e);
    }
    return list;
}

struct Event
{
    int source;
    int action;
    bool byCaller; // the executant is a number from the list
    const char *content;
};

// What the log of a gate unit is made of: mostly relay switching by callers, now and then
// list changes, alarms, power events and arming.
constexpr std::array<Event, 16> kEvents = {{
    {3, 2, true, "Relay ON"},
    {3, 2, true, "Relay ON"},
    {3, 2, true, "Relay ON"},
    {3, 3, true, "Relay OFF"},
    {3, 2, true, "Relay ON"},
    {1, 2, true, "Relay ON"},
    {1, 3, true, "Relay OFF"},
    {2, 2, false, "Relay ON"},
    {1, 0, true, nullptr},
    {0, 0, false, nullptr},
    {1, 1, true, nullptr},
    {3, 4, false, "Unauthorized door opened"},
    {3, 5, false, "DIN2 Alarm"},
    {1, 6, false, "Power failure"},
    {1, 7, true, "Arm"},
    {1, 8, true, "Disarm"},
}};

QByteArray demoRecord(quint32 number, const QDateTime &when, const Event &ev, const QByteArray &executant,
                      const QByteArray &content)
{
    QByteArray r(kRecordSize, kErased);
    for (int b = 0; b < 4; ++b)
        r[b] = char((number >> (8 * b)) & 0xFF);
    const QDate d = when.date();
    const QTime t = when.time();
    r[4] = char(d.year() - 2000);
    r[5] = char(d.month());
    r[6] = char(d.day());
    r[7] = char(t.hour());
    r[8] = char(t.minute());
    r[9] = char(t.second());
    r[10] = char(ev.source);
    r[11] = char(ev.action);
    r.replace(12, 22, QByteArray(22, '\0'));
    putText(r, 12, 22, executant, false);
    r.replace(34, 41, QByteArray(41, '\0'));
    putText(r, 34, 41, content, false);
    return r;
}

QByteArray demoHistory()
{
    QByteArray log(kRecordSize * kRecords, kErased);
    Sequence rnd(0x5eed02);
    const QDateTime first(QDate(2015, 3, 2), QTime(9, 5, 0), Qt::UTC);
    const QDateTime last(QDate(2026, 11, 28), QTime(18, 0, 0), Qt::UTC);
    const qint64 slot = first.secsTo(last) / kDemoRecords;
    const QByteArray admin = demoPhone(0);
    int i = 0;
    quint32 number = 1;
    while (i < kDemoRecords) {
        const QDateTime when = first.addSecs(i * slot + rnd.next(int(slot / 2)));
        const Event &ev = kEvents[rnd.next(int(kEvents.size()))];
        const QByteArray caller = demoPhone(rnd.next(kDemoNumbers));
        const QByteArray executant =
            ev.byCaller ? (ev.source == 1 && ev.action <= 1 ? admin : caller) : QByteArray();
        const QByteArray content = ev.content ? QByteArray(ev.content) : caller;
        log.replace(i * kRecordSize, kRecordSize, demoRecord(number++, when, ev, executant, content));
        ++i;
        if (ev.action == 6 && i < kDemoRecords) {
            // Power comes back some minutes later.
            const Event back{1, 9, false, "Power recovery"};
            log.replace(i * kRecordSize, kRecordSize,
                        demoRecord(number++, when.addSecs(60 * (5 + rnd.next(120))), back, {}, back.content));
            ++i;
        }
    }
    return log;
}

} // namespace

std::optional<Preset> presetFromName(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("factory")) return Preset::Factory;
    if (n == QLatin1String("blank")) return Preset::Blank;
    if (n == QLatin1String("demo")) return Preset::Demo;
    return std::nullopt;
}

QByteArray presetSettings(Preset preset)
{
    return preset == Preset::Blank ? QByteArray(kSettingsSize, kErased) : factorySettings();
}

QByteArray presetNumbers(Preset preset)
{
    return preset == Preset::Demo ? demoNumbers() : QByteArray(kEntrySize * kEntries, kErased);
}

QByteArray presetHistory(Preset preset)
{
    return preset == Preset::Demo ? demoHistory() : QByteArray(kRecordSize * kRecords, kErased);
}

} // namespace zc::devsim
