#include "settings/basic_inf.h"

#include "link/link_watcher.h"
#include "settings/settings_codec.h"
#include "settings/settings_model.h"

namespace zc {

void TBasicInf::decodePage()
{
    LinkWatcher *w = link().watcher;
    const auto progress = [w](int v) {
        if (w) w->decodeProgress(Area::Settings, v);
    };
    if (address == settingsPageAddress(1))
        SettingsCodec::decodePage(1, data.data(), m_model, progress);
    else if (address == settingsPageAddress(2))
        SettingsCodec::decodePage(2, data.data(), m_model, progress);
}

bool TBasicInf::encodePage(int page, QString &refusal)
{
    const SettingsCodec::EncodeResult result = SettingsCodec::encodePage(page, m_model, m_cut);
    if (!result.ok) {
        refusal = result.error;
        return false;
    }
    data = result.page;
    return true;
}

} // namespace zc
