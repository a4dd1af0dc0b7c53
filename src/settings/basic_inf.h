// Reading the basic settings from the unit into the settings table and saving them back:
// two 256-byte pages, one request at a time, each page requested or sent only after the
// previous reply was handled. The paged steps are the base's: requestNextPage (read),
// readReply (decode a page read, ask for the next), sendNextPage (save).
#pragma once

#include "link/paged_transfer.h"
#include "settings/settings_check.h"

namespace zc {

class SettingsModel;

class TBasicInf : public TableTransfer<SettingsModel, Area::Settings>
{
public:
    using TableTransfer::TableTransfer;

    // "Save Settings": encodes both pages as they are now, then sends them. False when an
    // item cannot be stored (refusal() says why); nothing is sent then. A text longer than
    // its field is cut only with Cut::Allow, after the user agreed to it.
    bool Save(SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse)
    {
        m_cut = cut;
        return Tsend_rec_command::Save();
    }

protected:
    // The page in address/data (page 1 at 0, page 2 at 0x100) into the settings table.
    void decodePage() override;
    bool encodePage(int page, QString &refusal) override;

private:
    SettingsCheck::Cut m_cut = SettingsCheck::Cut::Refuse;
};

} // namespace zc
