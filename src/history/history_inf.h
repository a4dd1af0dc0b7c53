// Reading the unit's history log into the history table: 500 pages of two records, one
// request at a time (the base's requestNextPage and readReply), then the finishing pass that keeps the real
// records from row 1 and keeps them whole in the store for later filters. Also owns the single request that
// deletes the log on the unit.
#pragma once

#include "history/history_store.h"
#include "link/login.h"
#include "link/paged_transfer.h"

namespace zc {

class HistoryModel;

class THistoryInf : public Tsend_rec_command
{
public:
    explicit THistoryInf(HistoryModel &model, const LinkContext &link = {})
        : Tsend_rec_command(Area::History, link), m_model(model)
    {
    }

    // "Read data": reads all 500 pages, then runs the finishing pass.
    void Read() { startRead(); }
    // The finishing pass, before the read ends: the kept records become the whole log (the
    // store); returns how many were kept.
    int FinishHistoryRead();
    // The records the last finished read kept.
    int kept() const { return m_kept; }
    // A read that ended early: the records decoded so far become the whole log.
    void keepPartialRead() { m_store.takeFrom(m_model); }
    const HistoryStore &store() const { return m_store; }
    // "Delete all" on the unit (the page asks the user first). The table is not touched.
    void DeleteAll() { m_delete.Send(link()); }
    // The delete request's own end (done) tells whether the unit deleted its log.
    Tsingalcmd &deleteCommand() { return m_delete; }

protected:
    void decodePage() override;
    void readComplete() override { FinishHistoryRead(); }

private:
    HistoryModel &m_model;
    HistoryStore m_store;
    int m_kept = 0;
    Tsingalcmd m_delete{kCmdDeleteHistory};
};

} // namespace zc
