// The 128-byte history record as the unit sends it, two to a 256-byte page. This table is
// the one description of the layout; the codec reads offsets and widths from it.
#pragma once

#include "link/frame.h"

#include <cstdint>
#include <iterator>

namespace zc::HistoryRecord {

constexpr int kSize = 128;
constexpr int kPerPage = kPageSize / kSize;
constexpr int kCapacity = kHistoryPages * kPerPage; // 1000 records

enum class Field {
    Number,
    Year,
    Month,
    Day,
    Hour,
    Minute,
    Second,
    Source,
    Action,
    Executant,
    Content,
    Unused
};

enum class Kind {
    Int32LE, // signed, least significant byte first; four 0xFF bytes mean no number
    Byte,    // plain byte value (not BCD); 0xFF means no value
    Digits,  // "+" and "0".."9"; ends at the first other byte or at the field's end
    Text,    // device text; ends at the first 0x00 or at the field's end
    Unused,  // never read
};

struct FieldLayout
{
    Field field;
    int offset;
    int width;
    Kind kind;
};

// In record order; entry i describes Field(i).
inline constexpr FieldLayout kFields[] = {
    {Field::Number, 0, 4, Kind::Int32LE}, {Field::Year, 4, 1, Kind::Byte},
    {Field::Month, 5, 1, Kind::Byte},     {Field::Day, 6, 1, Kind::Byte},
    {Field::Hour, 7, 1, Kind::Byte},      {Field::Minute, 8, 1, Kind::Byte},
    {Field::Second, 9, 1, Kind::Byte},    {Field::Source, 10, 1, Kind::Byte},
    {Field::Action, 11, 1, Kind::Byte},   {Field::Executant, 12, 22, Kind::Digits},
    {Field::Content, 34, 41, Kind::Text}, {Field::Unused, 75, 53, Kind::Unused},
};

constexpr const FieldLayout &layout(Field f)
{
    return kFields[int(f)];
}

constexpr bool fieldsTileTheRecord()
{
    int next = 0;
    for (int i = 0; i < int(std::size(kFields)); ++i) {
        if (int(kFields[i].field) != i || kFields[i].offset != next) return false;
        next += kFields[i].width;
    }
    return next == kSize;
}
static_assert(fieldsTileTheRecord());

constexpr std::uint8_t kNoValue = 0xFF;    // a date or time part, or a number byte, that was never set
constexpr std::uint8_t kEmptySlotYear = 0; // a year byte of 0 marks a slot without a record
constexpr int kFirstDroppedYear = 2080;    // records dated from this year on are not kept after a read

// Texts of the source codes 0..3 ("From"); other codes show nothing.
inline constexpr const char *kSourceTexts[] = {"COM Port", "SMS", "GPRS", "Telephone"};

struct ActionText
{
    const char *action;
    const char *from; // replaces the source text when set
};

// Texts of the action codes 0..9 ("Action"); other codes show nothing.
inline constexpr ActionText kActionTexts[] = {
    {"Add number", nullptr},
    {"Delete Number", nullptr},
    {"Relay ON", nullptr},
    {"Relay OFF", nullptr},
    {"DIN1 Alarm", "DIN1"},
    {"DIN2 Alarm", "DIN2"},
    {"Power failure", "Power supply"},
    {"Arm", nullptr},
    {"Disarm", nullptr},
    {"Power recovery", "Power supply"},
};

} // namespace zc::HistoryRecord
