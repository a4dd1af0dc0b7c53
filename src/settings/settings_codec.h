// The settings record: two 256-byte pages at device addresses 0x0000 and 0x0100, and
// their encoding from / decoding into the settings table. Pure functions: no widgets, no I/O.
#pragma once

#include "settings/settings_check.h"

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

// Builds page 1 or 2 from the table: every byte starts as 0xFF, then each field of the
// page is written in record order, as SettingsCheck::store gives it. An item the check
// refuses stops encoding with ok = false and the check's message in error; a text longer
// than its field is cut only with Cut::Allow.
EncodeResult encodePage(int page, const SettingsModel &model,
                        SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse);

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
