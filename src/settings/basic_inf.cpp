#include "settings/basic_inf.h"

#include "link/reporter.h"
#include "settings/settings_codec.h"
#include "settings/settings_model.h"

namespace zc {

void TBasicInf::Read()
{
    start(kSettingsPages);
    RequestNextSettingsPage();
}

void TBasicInf::Save()
{
    start(kSettingsPages);
    SendNextSettingsPage();
}

void TBasicInf::RequestNextSettingsPage()
{
    switch (step()) {
    case Step::SendPage:
        sendPage(*this, m_link, kCmdReadBlock, std::uint32_t(settingsPageAddress(nextPage)), 0, nullptr,
                 QStringLiteral("Read settings"));
        break;
    case Step::Complete:
        m_link.reporter->messageBox(QStringLiteral("Basic settings read to PC software success."));
        break;
    case Step::Idle:
        break;
    }
}

void TBasicInf::DecodeSettingsPage()
{
    Reporter &r = *m_link.reporter;
    const auto progress = [&r](int v) { r.setProgress(v); };
    if (address == settingsPageAddress(1)) {
        r.setStatusDirect(QStringLiteral("The first page"));
        SettingsCodec::decodePage(1, data.data(), m_model, progress);
    } else if (address == settingsPageAddress(2)) {
        r.setStatusDirect(QStringLiteral("The second page"));
        SettingsCodec::decodePage(2, data.data(), m_model, progress);
        r.setStatusDirect(QString());
    }
    RequestNextSettingsPage();
}

bool TBasicInf::EncodeSettingsPage(int page)
{
    const SettingsCodec::EncodeResult result = SettingsCodec::encodePage(page, m_model);
    if (!result.ok) {
        m_link.reporter->messageDialog(result.error);
        return false;
    }
    data = result.page;
    return true;
}

void TBasicInf::SendNextSettingsPage()
{
    switch (step()) {
    case Step::SendPage:
        m_link.reporter->setProgress(50 * nextPage);
        if (!EncodeSettingsPage(nextPage)) return;
        sendPage(*this, m_link, kCmdWriteBlock, std::uint32_t(settingsPageAddress(nextPage)), kPageSize,
                 data.data(), QStringLiteral("Save settings"));
        break;
    case Step::Complete:
        m_link.reporter->messageBox(QStringLiteral("Basic setting saved success"));
        break;
    case Step::Idle:
        break;
    }
}

} // namespace zc
