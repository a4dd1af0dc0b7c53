// The settings items 1..22, described once: the grid texts, where each item lies in the
// two 256-byte record pages, how its bytes are read and written, the input rules of its
// cell and its pick list. The model, the codec and the grid editor read this table.
#pragma once

#include <QStringList>

#include <array>
#include <span>

namespace zc::SettingsItems {

// How an item's bytes are kept in the record.
enum class Kind {
    Digits,    // digits and '+' up to the first other byte; empty text leaves the field
    LongText,  // text ending at 0x00
    PlainText, // text ending at 0xFF, no terminator written
    Number,    // 16-bit little-endian whole number; empty text leaves the field
    Pick,      // one byte: the index of the selected pick entry, 0xFF for none
};

struct Item
{
    int number;
    const char *name;
    const char *content; // start-up content
    const char *description;
    int page;       // 1 or 2
    int offset;     // the field the item is read from
    int copyOffset; // a second field written with the same value, or -1
    int width;
    Kind kind;
    int byteLimit;   // bytes a typed content may hold; 0 = no typing rule (pick items)
    bool digitsOnly; // typing admits digits only
    std::span<const char *const> pickEntries;
    int defaultPick; // start-up selection, -1 for items without a pick list
};

inline constexpr int FirstItem = 1, LastItem = 22;
inline constexpr int PickListCount = 6;

// Items 1..22 in item order.
std::span<const Item> all();
// The item, or nullptr outside 1..22.
const Item *find(int item);

// The pick-list items in item order; an item's position here is its pick-list slot.
const std::array<int, PickListCount> &pickItems();
// The slot of a pick-list item, -1 for any other item.
int pickSlot(int item);
// The entries of an item's pick list, empty for items without one.
QStringList pickEntries(int item);

} // namespace zc::SettingsItems
