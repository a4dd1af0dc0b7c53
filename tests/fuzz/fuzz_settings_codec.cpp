// Settings pages: any two pages decode into the table, and decode -> encode -> decode is
// stable: the second decode gives the table the first one gave.
#include "settings/settings_codec.h"
#include "settings/settings_model.h"

#include <array>
#include <cstdlib>
#include <cstring>

using namespace zc;

namespace {
QStringList snapshot(const SettingsModel &m)
{
    QStringList out;
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        out << m.content(item) << QString::number(m.pickSelection(item));
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::array<std::uint8_t, 512> pages;
    pages.fill(0xFF);
    std::memcpy(pages.data(), data, std::min<std::size_t>(size, 512));
    SettingsModel first;
    SettingsCodec::decodePage(1, pages.data(), first);
    SettingsCodec::decodePage(2, pages.data() + 256, first);
    const auto p1 = SettingsCodec::encodePage(1, first);
    const auto p2 = SettingsCodec::encodePage(2, first);
    if (!p1.ok || !p2.ok)
        std::abort(); // what a read shows can always be saved
    SettingsModel second;
    SettingsCodec::decodePage(1, p1.page.data(), second);
    SettingsCodec::decodePage(2, p2.page.data(), second);
    if (snapshot(first) != snapshot(second))
        std::abort();
    return 0;
}
