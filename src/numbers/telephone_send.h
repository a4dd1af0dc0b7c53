// Reading the authorized number list from the unit into its table and saving it back:
// 125 pages of eight entries, one request at a time. The paged steps are the base's:
// requestNextPage (read), readReply (decode a page read, ask for the next), sendNextPage
// (save).
#pragma once

#include "link/paged_transfer.h"

#include <QList>

namespace zc {

class NumbersModel;

class TtelephoneSend : public Tsend_rec_command
{
public:
    explicit TtelephoneSend(NumbersModel &model, const LinkContext &link = {})
        : Tsend_rec_command(Area::Numbers, link), m_model(model)
    {
    }

    // "Save": encodes the whole list, which checks every row once; a list that may not or
    // cannot be sent is refused (refusal() says why, refusedRows() which rows) and nothing
    // is sent. True when the save started.
    bool Save() { return startSave(); }
    // "Read": reads all 125 pages (the page asks the user first).
    void Read() { startRead(); }
    // The rows the last prepared save refused, the one to show first in front.
    const QList<int> &refusedRows() const { return m_refusedRows; }

protected:
    void decodePage() override;
    bool encodePages(std::vector<Page> &pages, QString &refusal) override;

private:
    NumbersModel &m_model;
    QList<int> m_refusedRows;
};

} // namespace zc
