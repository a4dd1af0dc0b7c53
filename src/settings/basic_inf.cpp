#include "settings/basic_inf.h"

#include "link/reporter.h"
#include "settings/settings_codec.h"
#include "settings/settings_model.h"

namespace zc {

void TBasicInf::decodePage()
{
    Reporter &r = *link().reporter;
    const auto progress = [&r](int v) { r.setProgress(v); };
    if (address == settingsPageAddress(1)) {
        r.setStatusDirect(QStringLiteral("The first page"));
        SettingsCodec::decodePage(1, data.data(), m_model, progress);
    } else if (address == settingsPageAddress(2)) {
        r.setStatusDirect(QStringLiteral("The second page"));
        SettingsCodec::decodePage(2, data.data(), m_model, progress);
        r.setStatusDirect(QString());
    }
}

bool TBasicInf::encodePage(int page)
{
    const SettingsCodec::EncodeResult result = SettingsCodec::encodePage(page, m_model, m_cut);
    if (!result.ok) {
        link().reporter->messageDialog(result.error);
        return false;
    }
    data = result.page;
    return true;
}

void TBasicInf::beforeSavePage(int page)
{
    link().reporter->setProgress(50 * page);
}

void TBasicInf::readComplete()
{
    link().reporter->messageBox(QStringLiteral("Basic settings read to PC software success."));
}

void TBasicInf::saveComplete()
{
    link().reporter->messageBox(QStringLiteral("Basic setting saved success"));
}

} // namespace zc
