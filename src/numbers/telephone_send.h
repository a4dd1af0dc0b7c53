// Reading the authorized number list from the unit into its table and saving it back:
// 125 pages of eight entries, one request at a time. The paged steps are the base's:
// requestNextPage (read), readReply (decode a page read, ask for the next), sendNextPage
// (save).
#pragma once

#include "link/paged_transfer.h"

#include <QList>

namespace zc {

class NumbersModel;

// "Save" encodes the whole list, which checks every row once; a list that may not or cannot
// be sent is refused (refusedRows() names the rows; refusal() says why a row cannot be sent,
// missingWindows() that rows lack their window) and nothing is sent.
class TtelephoneSend : public TableTransfer<NumbersModel, Area::Numbers>
{
public:
    using TableTransfer::TableTransfer;

    // The rows the last prepared save refused, the one to show first in front.
    const QList<int> &refusedRows() const { return m_refusedRows; }
    // The last prepared save was refused because those rows have a number, neither "Always"
    // nor a whole window (wrongRows).
    bool missingWindows() const { return m_missingWindows; }

protected:
    void decodePage() override;
    bool encodePages(std::vector<Page> &pages, QString &refusal) override;

private:
    QList<int> m_refusedRows;
    bool m_missingWindows = false;
};

} // namespace zc
