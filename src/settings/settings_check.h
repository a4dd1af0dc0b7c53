// The one check of the settings record: what each item's content becomes in its field of
// the two record pages, or why the unit cannot hold it. Every door into the settings table
// uses it: a cell edit, a profile import (the window's and the command line's) and, as the
// last guard, the save's encoding. Nothing is cut or guessed on its way to the unit without
// the user's consent: where the window may ask before cutting a long text, the command line
// has no one to ask and refuses.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace zc {

namespace SettingsCheck {

// Whether a free text longer than its field may be cut to it: only after the user agreed.
enum class Cut { Refuse, Allow };

// An item's content as its field holds it: `width` bytes, 0xFF where nothing is written;
// or, in refusal, why it cannot be stored.
struct Stored
{
    QByteArray bytes;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// The field bytes of a typed item (not a pick item) from its Content text:
// - password (1): digits, at most 4; SIM number (2): digits after an optional leading "+"
//   (a country code), at most 22 characters; an empty
//   text leaves the field 0xFF, a shorter one ends in 0x00;
// - numbers (7, 10, 15, 16, 17, 19): a whole decimal number within the item's range, stored
//   little-endian; empty or 65535 (what an unconfigured unit reads) leave the field 0xFF. A
//   text that is no whole number gives "'%s' is not a valid integer value";
// - texts (5, 6, 13, 14 end in 0x00 when shorter; 18, 20, 21, 22 have no terminator): no
//   control characters, and at most the field's width in bytes (longer ones are cut, without
//   splitting a character, only with Cut::Allow).
Stored store(int item, const QString &content, Cut cut = Cut::Refuse);

// The item is a telephone number that may start with a country code's "+" (the SIM number).
bool takesCountryCode(int item);

// The largest value a number item keeps (999, 9999 or 65535); 0 for other items.
int maximum(int item);

// A pick item's selection from a profile's cell: an entry's text, or its index alone ("1"
// for "1:NO"); an empty cell is no selection (index -1, saved as 0xFF), as the profile of an
// item the unit holds unset is written. A cell whose first character is no digit gives
// "'%s' is not a valid integer value"; any other text that is none of the entries is refused
// rather than read as no selection. index is -1 only with a refusal or an empty cell.
struct Pick
{
    int index = -1;
    QString refusal;
};
Pick pickOf(int item, const QString &cell);

// (item, reason) for typed items whose content cannot be stored, in item order
// (SettingsCodec::encodeRecord gives every such item of the table).
using ItemReasons = QList<std::pair<int, QString>>;

// The item's name as the grid shows it ("1.Password").
QString itemName(int item);

// The reasons as lines, "1.Password: ..." one an item.
QString itemLines(const ItemReasons &items);

// A text item whose bytes exceed its field, as a save with Cut::Allow stores it: its size,
// what the unit keeps and the text that would be lost.
struct CutText
{
    int item = 0;
    int bytes = 0; // the whole text's UTF-8 bytes
    int width = 0; // the bytes the unit keeps
    QString lost;  // the characters past the cut
    bool operator==(const CutText &) const = default;
};
// The item's content cut to its field, or nullopt when it fits or the item is no free text
// (a digit item is never cut: a shorter password or number is another one).
std::optional<CutText> cutText(int item, const QString &content);

// A text as the checks quote it: at most 40 characters, control characters shown, in
// double quotes, "..." inside the closing quote when it was longer.
QString quoted(const QString &text);

} // namespace SettingsCheck
} // namespace zc
