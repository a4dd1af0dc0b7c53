// The settings record: two 256-byte pages at device addresses 0x0000 and 0x0100, and
// their encoding from / decoding into the settings table. Pure functions: no widgets, no I/O.
#pragma once

#include "settings/settings_check.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace zc {

class SettingsModel;

namespace SettingsCodec {

struct EncodeResult
{
    bool ok = true;
    QString error; // the text to show the user when ok is false
    std::array<std::uint8_t, 256> page{};
};

// Page 1 or 2 of encodeRecord: every byte starts as 0xFF, then each field of the page as
// SettingsCheck::store gives it. An item of the page that the check refuses gives ok =
// false and the check's message (the first such item's) in error; a text longer than its
// field is cut only with Cut::Allow.
EncodeResult encodePage(int page, const SettingsModel &model,
                        SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse);

// Both pages as a save sends them, from one check of every item (SettingsCheck::store):
// every item the check refuses, in item order, and every text cut to its field (only with
// Cut::Allow, in item order). The pages are whole only when nothing was refused.
struct Record
{
    std::array<std::array<std::uint8_t, 256>, 2> pages{};
    SettingsCheck::ItemReasons refused;
    QList<SettingsCheck::CutText> cut;
    bool ok() const { return refused.isEmpty(); }
};
Record encodeRecord(const SettingsModel &model, SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse);

// Writes the items held by page 1 or 2 into the table (any other page number changes
// nothing). progress receives the percentages a read shows while it decodes: 25, 40 and
// 50 for page 1, 90 and 100 for page 2.
void decodePage(int page, const std::uint8_t *data256, SettingsModel &model,
                const std::function<void(int)> &progress = {});

// The password field of page 1 as the login compares it: all four bytes, terminator and
// filler bytes included, so it always stands for four bytes.
QString devicePassword(const std::uint8_t *page1);

} // namespace SettingsCodec
} // namespace zc
