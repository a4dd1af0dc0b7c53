// Decoding of history records and pages into the history table, the pass that tidies the
// table after a whole read, and the date and time texts the decoder writes. Pure functions:
// no widgets, no I/O.
#pragma once

#include "history/history_model.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zc::HistoryCodec {

struct DecodedRecord
{
    HistoryModel::Record cells; // columns 1..7
    // Year byte 0: no record in the slot. Columns 1..6 are empty and the row's Content
    // cell is to be left as it was.
    bool emptySlot = false;
};

// Decodes one 128-byte record.
DecodedRecord decodeRecord(const std::uint8_t *record);

// Decodes the payload of a read reply from the history area: page k (address
// kHistoryBase + (k - 1) * 256, 1 <= k <= 500) fills rows 2k - 1 and 2k, with one
// dataChanged for the page. An address outside the history area writes nothing; a record
// whose 128 bytes did not all arrive is not decoded. Returns the number of rows written.
int decodePage(std::int32_t replyAddress, std::span<const std::uint8_t> payload, HistoryModel &model);

// Run once after the last page: keeps the rows that have a record number and whose date
// starts with four digits below 2080, in their order, and writes them back from row 1;
// every other record row is emptied. Only those four characters are read, so "20115-03-02"
// (a year byte of 115) stays and a row without a date is dropped. Returns the number of
// rows kept.
int FinishHistoryRead(HistoryModel &model);

struct DateParts
{
    int year, month, day;
};
struct TimeParts
{
    int hour, minute, second;
};
// A date text in the decoder's layout, "yyyy-mm-dd" (four-digit year, two-digit month and
// day), or nullopt for any other text.
std::optional<DateParts> parseDate(const QString &text);
// A time text in the decoder's layout, "hh:mm:ss", or nullopt for any other text.
std::optional<TimeParts> parseTime(const QString &text);

} // namespace zc::HistoryCodec
