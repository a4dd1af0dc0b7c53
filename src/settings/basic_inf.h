// Reading the basic settings from the unit into the settings table and saving them back:
// two 256-byte pages, one request at a time, each page requested or sent only after the
// previous reply was handled. The paged steps are the base's: requestNextPage (read),
// readReply (decode a page read, ask for the next), sendNextPage (save).
#pragma once

#include "link/paged_transfer.h"
#include "settings/settings_check.h"

namespace zc {

class SettingsModel;

class TBasicInf : public Tsend_rec_command
{
public:
    explicit TBasicInf(SettingsModel &model, const LinkContext &link = {})
        : Tsend_rec_command(Area::Settings, link), m_model(model)
    {
    }

    // "Read Settings": reads both pages (the page asks the user first).
    void Read() { startRead(); }
    // "Save Settings": encodes both pages as they are now, then sends them. False when an
    // item cannot be stored (refusal() says why); nothing is sent then. A text longer than
    // its field is cut only with Cut::Allow, after the user agreed to it.
    bool Save(SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse)
    {
        m_cut = cut;
        return startSave();
    }

protected:
    // The page in address/data (page 1 at 0, page 2 at 0x100) into the settings table.
    void decodePage() override;
    bool encodePage(int page, QString &refusal) override;

private:
    SettingsModel &m_model;
    SettingsCheck::Cut m_cut = SettingsCheck::Cut::Refuse;
};

} // namespace zc
