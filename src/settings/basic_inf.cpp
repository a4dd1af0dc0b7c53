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

bool TBasicInf::encodePages(std::vector<Page> &pages, QString &refusal)
{
    SettingsCodec::Record record = SettingsCodec::encodeRecord(m_model, m_cut);
    m_refusedItems = record.refused;
    m_cutTexts = record.cut;
    if (!record.ok()) {
        refusal = SettingsCheck::itemLines(record.refused);
        return false;
    }
    pages.assign(record.pages.begin(), record.pages.end());
    return true;
}

} // namespace zc
