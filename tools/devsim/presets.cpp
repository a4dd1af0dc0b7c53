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

constexpr int kSettingsOffset = 0;
constexpr int kNumbersOffset = kSettingsSize;
constexpr int kHistoryOffset = kSettingsSize + kEntrySize * kEntries;

// The clean unit's callers; the first is its admin.
const QByteArray kCleanNumbers[] = {"+447700900101", "+447700900102", "+447700900103"};

QByteArray alwaysEntry(const QByteArray &number)
{
    QByteArray e(kEntrySize, '\0');
    putText(e, 0, 22, number, false);
    e.replace(22, 8, QByteArray(8, char(0x63)));
    e[31] = char(0x63);
    return e;
}

QByteArray windowEntry(const QByteArray &number, const QDateTime &start, const QDateTime &end)
{
    QByteArray e(kEntrySize, '\0');
    putText(e, 0, 22, number, false);
    e[22] = char(start.date().month());
    e[23] = char(start.date().day());
    e[24] = char(start.time().hour());
    e[25] = char(start.time().minute());
    e[26] = char(end.date().month());
    e[27] = char(end.date().day());
    e[28] = char(end.time().hour());
    e[29] = char(end.time().minute());
    e[30] = char(start.date().year() - 2000);
    e[31] = char(end.date().year() - 2000);
    return e;
}

QByteArray cleanSettings()
{
    QByteArray s = factorySettings();
    putText(s, 0, 4, "2580", true);
    putText(s, 4, 22, kCleanNumbers[0], true);
    return s;
}

QByteArray cleanNumbers()
{
    QByteArray list(kEntrySize * kEntries, kErased);
    for (int i = 0; i < int(std::size(kCleanNumbers)); ++i)
        list.replace(i * kEntrySize, kEntrySize, alwaysEntry(kCleanNumbers[i]));
    return list;
}

// The number of the first empty slot of the log (history bytes only).
int freeSlot(const QByteArray &log)
{
    for (int i = 0; i < kRecords; ++i) {
        const char year = log[i * kRecordSize + 4];
        if (year == '\0' || year == kErased) return i;
    }
    return kRecords;
}

// Puts a record into the log's first empty slot, numbered after the slots before it.
void appendRecord(QByteArray &image, const QDateTime &when, int source, int action,
                  const QByteArray &executant, const QByteArray &content)
{
    QByteArray log = image.mid(kHistoryOffset, kRecordSize * kRecords);
    const int slot = freeSlot(log);
    if (slot >= kRecords) return;
    const Event ev{source, action, !executant.isEmpty(), nullptr};
    image.replace(kHistoryOffset + slot * kRecordSize, kRecordSize,
                  demoRecord(quint32(slot + 1), when, ev, executant, content));
}

QByteArray cleanImage(const QDateTime &now)
{
    QByteArray image = cleanSettings() + cleanNumbers() + QByteArray(kRecordSize * kRecords, kErased);
    const QDateTime start = now.addDays(-20);
    appendRecord(image, start, 0, 0, kCleanNumbers[1], {});
    appendRecord(image, start.addDays(1), 3, 2, kCleanNumbers[1], "Relay ON");
    appendRecord(image, start.addDays(2), 1, 6, {}, "Power failure");
    appendRecord(image, start.addDays(2).addSecs(600), 1, 9, {}, "Power recovery");
    appendRecord(image, start.addDays(3), 3, 2, kCleanNumbers[2], "Relay ON");
    appendRecord(image, start.addDays(4), 1, 7, kCleanNumbers[0], "Arm");
    return image;
}

} // namespace

QStringList seedNames()
{
    return {QStringLiteral("factory-password"),        QStringLiteral("any-caller-opens"),
            QStringLiteral("nobody-can-open"),         QStringLiteral("window-ended"),
            QStringLiteral("window-ends-soon"),        QStringLiteral("duplicate-number"),
            QStringLiteral("no-sim-number"),           QStringLiteral("log-nearly-full"),
            QStringLiteral("power-not-recovered"),     QStringLiteral("clock-suspect"),
            QStringLiteral("relay-by-unlisted-number")};
}

bool seedImage(const QString &rule, QByteArray &image, const QDateTime &now)
{
    if (image.size() != kHistoryOffset + kRecordSize * kRecords || !seedNames().contains(rule)) return false;
    // A row after the clean unit's ones.
    const auto addRow = [&image](const QByteArray &entry) {
        for (int i = 0; i < kEntries; ++i) {
            const int at = kNumbersOffset + i * kEntrySize;
            if (image[at + 22] == kErased) {
                image.replace(at, kEntrySize, entry);
                return;
            }
        }
    };
    if (rule == QLatin1String("factory-password")) {
        putText(image, kSettingsOffset, 4, "8530", true);
    } else if (rule == QLatin1String("any-caller-opens")) {
        image[kSettingsOffset + 110] = 0;
    } else if (rule == QLatin1String("nobody-can-open")) {
        // The callers stay listed, but only from next month on.
        for (int i = 0; i < int(std::size(kCleanNumbers)); ++i)
            image.replace(kNumbersOffset + i * kEntrySize, kEntrySize,
                          windowEntry(kCleanNumbers[i], now.addDays(30), now.addDays(90)));
    } else if (rule == QLatin1String("window-ended")) {
        addRow(windowEntry("+447700900201", now.addDays(-60), now.addDays(-10)));
    } else if (rule == QLatin1String("window-ends-soon")) {
        addRow(windowEntry("+447700900202", now.addDays(-60), now.addDays(5)));
    } else if (rule == QLatin1String("duplicate-number")) {
        addRow(alwaysEntry("00" + kCleanNumbers[2].mid(1)));
    } else if (rule == QLatin1String("no-sim-number")) {
        putText(image, kSettingsOffset + 4, 22, {}, true);
    } else if (rule == QLatin1String("log-nearly-full")) {
        const QDateTime from = now.addDays(-400);
        while (freeSlot(image.mid(kHistoryOffset, kRecordSize * kRecords)) < 950)
            appendRecord(image, from, 3, 2, kCleanNumbers[1], "Relay ON");
    } else if (rule == QLatin1String("power-not-recovered")) {
        appendRecord(image, now.addDays(-1), 1, 6, {}, "Power failure");
    } else if (rule == QLatin1String("clock-suspect")) {
        appendRecord(image, now.addDays(3), 1, 7, kCleanNumbers[0], "Arm");
    } else if (rule == QLatin1String("relay-by-unlisted-number")) {
        appendRecord(image, now.addDays(-2), 3, 2, "+12025550199", "Relay ON");
    }
    return true;
}

std::optional<Preset> presetFromName(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("factory")) return Preset::Factory;
    if (n == QLatin1String("blank")) return Preset::Blank;
    if (n == QLatin1String("demo")) return Preset::Demo;
    if (n == QLatin1String("clean")) return Preset::Clean;
    return std::nullopt;
}

QByteArray presetSettings(Preset preset)
{
    if (preset == Preset::Clean) return cleanSettings();
    return preset == Preset::Blank ? QByteArray(kSettingsSize, kErased) : factorySettings();
}

QByteArray presetNumbers(Preset preset)
{
    if (preset == Preset::Clean) return cleanNumbers();
    return preset == Preset::Demo ? demoNumbers() : QByteArray(kEntrySize * kEntries, kErased);
}

QByteArray presetHistory(Preset preset)
{
    // The clean unit's log is dated around the time it starts.
    if (preset == Preset::Clean) return cleanImage(QDateTime::currentDateTime()).mid(kHistoryOffset);
    return preset == Preset::Demo ? demoHistory() : QByteArray(kRecordSize * kRecords, kErased);
}

} // namespace zc::devsim
