// Reading the basic settings from the unit into the settings table and saving them back:
// two 256-byte pages, one request at a time, each page requested or sent only after the
// previous reply was handled. The paged steps are the base's: requestNextPage (read),
// readReply (decode a page read, ask for the next), sendNextPage (save).
#pragma once

#include "link/paged_transfer.h"
#include "settings/settings_check.h"

#include <QList>

namespace zc {

class SettingsModel;

// A save encodes the whole record, which checks every item once; a record with an item the
// unit cannot hold is refused (refusal() says why, refusedItems() which items) and nothing
// is sent. A text longer than its field is cut only with Cut::Allow, after the user agreed
// to it; cutTexts() names the texts the prepared save cuts, for the question.
class TBasicInf : public TableTransfer<SettingsModel, Area::Settings>
{
public:
    using TableTransfer::TableTransfer;

    // "Save Settings" without asking: prepares both pages as they are now, then sends them.
    bool Save(SettingsCheck::Cut cut = SettingsCheck::Cut::Refuse)
    {
        m_cut = cut;
        return Tsend_rec_command::Save();
    }
    // The first half of a save, for a caller that asks the user before sendPrepared().
    bool prepareSave(SettingsCheck::Cut cut)
    {
        m_cut = cut;
        return Tsend_rec_command::prepareSave();
    }

    // The items the last prepared save refused, in item order, and why.
    const SettingsCheck::ItemReasons &refusedItems() const { return m_refusedItems; }
    // The texts the last prepared save cuts to their fields, in item order.
    const QList<SettingsCheck::CutText> &cutTexts() const { return m_cutTexts; }

protected:
    // The page in address/data (page 1 at 0, page 2 at 0x100) into the settings table.
    void decodePage() override;
    bool encodePages(std::vector<Page> &pages, QString &refusal) override;

private:
    SettingsCheck::Cut m_cut = SettingsCheck::Cut::Refuse;
    SettingsCheck::ItemReasons m_refusedItems;
    QList<SettingsCheck::CutText> m_cutTexts;
};

} // namespace zc
