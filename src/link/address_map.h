// The unit's memory as the protocol addresses it: three bodies of data, each a run of
// 256-byte pages. The tool and the simulated unit both read this map; no other place
// states a base, a page count or a record size.
#pragma once

#include <cstdint>

namespace zc {

constexpr int kPageSize = 256;

// The bodies of device data, in address order.
enum class Area { Settings, Numbers, History };
constexpr int kAreaCount = 3;

struct AreaMap
{
    Area area;
    std::int32_t base;
    int pages;
    int recordSize;  // bytes of one stored record (the settings are one record of two pages)
    int records;
};

constexpr AreaMap kAreaMaps[kAreaCount] = {
    {Area::Settings, 0x0000, 2, 512, 1},
    {Area::Numbers, 0x1000, 125, 32, 1000},
    {Area::History, 0x10000, 500, 128, 1000},
};

constexpr const AreaMap &areaMap(Area a) { return kAreaMaps[int(a)]; }
constexpr int areaBytes(Area a) { return areaMap(a).pages * kPageSize; }
constexpr std::int32_t pageAddress(Area a, int page) { return areaMap(a).base + (page - 1) * kPageSize; }
// The page (1..pages) that starts at address, or 0 when address is no page start of the area.
constexpr int pageAt(Area a, std::int32_t address)
{
    const std::int64_t off = std::int64_t(address) - areaMap(a).base;
    if (off < 0 || off % kPageSize != 0 || off / kPageSize >= areaMap(a).pages) return 0;
    return int(off / kPageSize) + 1;
}

// Where the reply handler sends a reply by its address: everything below the number list
// (negative addresses included) counts as settings, the rest up to 0xFFFF as the number
// list, anything above as history.
constexpr Area routeArea(std::int32_t address)
{
    if (address < areaMap(Area::Numbers).base) return Area::Settings;
    if (address <= 0xFFFF) return Area::Numbers;
    return Area::History;
}

constexpr std::int32_t kSettingsBase = areaMap(Area::Settings).base;
constexpr std::int32_t kNumbersBase = areaMap(Area::Numbers).base;
constexpr std::int32_t kHistoryBase = areaMap(Area::History).base;
constexpr int kSettingsPages = areaMap(Area::Settings).pages;
constexpr int kNumberPages = areaMap(Area::Numbers).pages;
constexpr int kHistoryPages = areaMap(Area::History).pages;

constexpr std::int32_t settingsPageAddress(int page) { return pageAddress(Area::Settings, page); }
constexpr std::int32_t numberPageAddress(int page) { return pageAddress(Area::Numbers, page); }
constexpr std::int32_t historyPageAddress(int page) { return pageAddress(Area::History, page); }

} // namespace zc
