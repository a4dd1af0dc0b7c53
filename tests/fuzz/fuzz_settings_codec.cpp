// Settings pages: any two pages decode into the table. What a read shows is either saved
// and read back as the same table, or refused with a reason (a unit may hold a number past
// its item's range or a control character in a text, which is never cut or changed).
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
    if (!p1.ok || !p2.ok) {
        if ((p1.ok ? p2.error : p1.error).isEmpty()) std::abort(); // a refusal always says why
        return 0;
    }
    SettingsModel second;
    SettingsCodec::decodePage(1, p1.page.data(), second);
    SettingsCodec::decodePage(2, p2.page.data(), second);
    if (snapshot(first) != snapshot(second))
        std::abort();
    return 0;
}
