// Reading the authorized number list from the unit into its table and saving it back:
// 125 pages of eight entries, one request at a time.
#pragma once

#include "link/paged_transfer.h"

namespace zc {

class NumbersModel;

class TtelephoneSend : public Tsend_rec_command
{
public:
    explicit TtelephoneSend(NumbersModel &model, const LinkContext &link = {})
        : Tsend_rec_command(Area::Numbers, link), m_model(model)
    {
    }

    // "Save": checks the whole list first; a list that may not or cannot be sent is
    // reported and nothing is sent. True when the save started.
    bool Save();
    // Why the list may not or cannot be sent (the message Save shows); empty when it can.
    QString saveRefusal() const;
    // "Read": reads all 125 pages (the page asks the user first).
    void Read() { startRead(); }

    void SendNextNumberListPage() { sendNextPage(); }
    void RequestNextNumberListPage() { requestNextPage(); }
    bool EncodeNumberListPage(int page) { return encodePage(page); }
    void DecodeNumberListPage() { readReply(); }

protected:
    void decodePage() override;
    bool encodePage(int page) override;
    void readComplete() override;
    void saveComplete() override;
    QString readStatus() const override { return QStringLiteral("Reading telephone number information"); }
    QString saveStatus() const override { return QStringLiteral("Save list"); }

private:
    NumbersModel &m_model;
};

} // namespace zc
