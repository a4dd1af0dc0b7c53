#include "settings/settings_items.h"

#include <algorithm>

namespace zc::SettingsItems {

namespace {

constexpr const char *kInputTypes[] = {"0:NC ", "1:NO"};
constexpr const char *kArmStates[] = {"0:Disarm", "1:Arm"};
constexpr const char *kCallers[] = {"0:All number can call to control the Relay",
                                    "1:Only the authorized number can call to control the relay"};
constexpr const char *kNotify[] = {"0:None", "1:Admin Number", "2:Caller Number",
                                   "3:Admin Number;Caller Number"};
constexpr std::span<const char *const> kNone;

constexpr const char *kOperatorHint = "Call mobile operator to ask the APN name if you need data function";

// Page 1 holds items 1..20 with item 9 stored before item 8, item 10 stored twice (both
// copies are written, the one at 114 is the one shown), and items 15..17 stored as 17, 15,
// 16. Page 2 holds items 21 and 22. Bytes no field covers stay 0xFF.
constexpr Item kItems[] = {
    {1, "1.Password", "8530", "Default Password:8530", 1, 0, -1, 4, Kind::Digits, 4, true, kNone, -1},
    {2, "2.SIM Card Phone No", "", "Up to 21 digits, supports country code", 1, 4, -1, 22, Kind::Digits, 22,
     true, kNone, -1},
    {3, "3.DIN1 Type", "", "Default:NO", 1, 26, -1, 1, Kind::Pick, 0, false, kInputTypes, 1},
    {4, "4.DIN2 Type", "", "Default:NO", 1, 27, -1, 1, Kind::Pick, 0, false, kInputTypes, 1},
    {5, "5.DIN1 Alarm Content", "Unauthorized door opened", "Up to 40 characters", 1, 28, -1, 40,
     Kind::LongText, 40, false, kNone, -1},
    {6, "6.DIN2 Alarm Content", "DIN2 Alarm", "Up to 40 characters", 1, 68, -1, 40, Kind::LongText, 40, false,
     kNone, -1},
    {7, "7.Auto Arm after authorized number call-in(0~999)", "10",
     "Default:10,Unit:Minute.Setting to 0 means Auto Re-Arm after 10s when door closed", 1, 108, -1, 2,
     Kind::Number, 3, true, kNone, -1},
    {8, "8.Arm/Disarm after power on", "", "Default:Disarm. System will alarm only on Arm status", 1, 111, -1,
     1, Kind::Pick, 0, false, kArmStates, 0},
    {9, "9.Relay Control Authorization", "", "Default:Only authorized number(s) can call to control", 1, 110,
     -1, 1, Kind::Pick, 0, false, kCallers, 1},
    {10, "10.Relay swtich ON timer(0~999, Unit:Second)", "0",
     "Default:0,means relay ON 0.5 seconds then OFF after call in", 1, 114, 112, 2, Kind::Number, 3, true,
     kNone, -1},
    {11, "11.When relay switch ON by authorized number,notify", "", "Default3:Admin Number;Caller Number", 1,
     116, -1, 1, Kind::Pick, 0, false, kNotify, 3},
    {12, "12.When relay switch OFF by authorized number,notify", "", "Default3:Admin Number;Caller Number", 1,
     117, -1, 1, Kind::Pick, 0, false, kNotify, 3},
    {13, "13.SMS content when relay ON", "Relay ON", "Up to 40 characters", 1, 118, -1, 40, Kind::LongText,
     40, false, kNone, -1},
    {14, "14.SMS content when relay OFF", "Relay OFF", "Up to 40 characters", 1, 158, -1, 40, Kind::LongText,
     40, false, kNone, -1},
    {15, "15.Power source failure alarm delay(0~999,Unit:Min)", "999",
     "Default:999,means no alarm.Setting as 000,alarm SMS once power failure.", 1, 200, -1, 2, Kind::Number,
     3, true, kNone, -1},
    {16, "16.Self-Check Report Interval(0-999,Unit:Hour)", "0", "Default:0,means no report", 1, 202, -1, 2,
     Kind::Number, 3, true, kNone, -1},
    {17, "17.GPRS Data Upload Interval Time(0-9999,Unit:Min)", "9999",
     "Default:9999,disable.Setting as 0 means always on line", 1, 198, -1, 2, Kind::Number, 4, true, kNone,
     -1},
    {18, "18.Server IP Address", "", "Up to 32 characters", 1, 204, -1, 32, Kind::PlainText, 32, false, kNone,
     -1},
    {19, "19.Server Port(0-65535)", "", "Default:65535", 1, 236, -1, 2, Kind::Number, 5, false, kNone, -1},
    {20, "20.GPRS APN", "", kOperatorHint, 1, 238, -1, 16, Kind::PlainText, 16, false, kNone, -1},
    {21, "21.GPRS User Name", "", kOperatorHint, 2, 0, -1, 16, Kind::PlainText, 16, false, kNone, -1},
    {22, "22.GPRS Password", "", kOperatorHint, 2, 17, -1, 16, Kind::PlainText, 16, false, kNone, -1},
};

constexpr bool itemsInOrder()
{
    for (int i = 0; i < int(std::size(kItems)); ++i) {
        const Item &it = kItems[i];
        if (it.number != i + 1) return false;
        if ((it.kind == Kind::Pick) != !it.pickEntries.empty()) return false;
        if ((it.defaultPick >= 0) != !it.pickEntries.empty()) return false;
    }
    return true;
}
static_assert(std::size(kItems) == LastItem - FirstItem + 1 && itemsInOrder());

constexpr std::array<int, PickListCount> findPickItems()
{
    std::array<int, PickListCount> items{};
    int n = 0;
    for (const Item &it : kItems)
        if (it.kind == Kind::Pick) items[n++] = it.number;
    return items;
}

constexpr std::array<int, PickListCount> kPickItems = findPickItems();
static_assert(std::count_if(std::begin(kItems), std::end(kItems),
                            [](const Item &it) { return it.kind == Kind::Pick; }) == PickListCount);

} // namespace

std::span<const Item> all()
{
    return kItems;
}

const Item *find(int item)
{
    return item >= FirstItem && item <= LastItem ? &kItems[item - FirstItem] : nullptr;
}

const std::array<int, PickListCount> &pickItems()
{
    return kPickItems;
}

int pickSlot(int item)
{
    for (int i = 0; i < PickListCount; ++i)
        if (kPickItems[i] == item) return i;
    return -1;
}

QStringList pickEntries(int item)
{
    QStringList entries;
    if (const Item *it = find(item))
        for (const char *entry : it->pickEntries)
            entries << QString::fromUtf8(entry);
    return entries;
}

} // namespace zc::SettingsItems
