// The paged transfer shared by the settings, number list and history transfers: the page
// counters, the step that sends the next page or completes, and the hooks an area fills in
// (decode a page that was read, encode a page to save, what to do at the end). The reply
// handler hands each awaited reply to the transfer of the address range it belongs to.
#pragma once

#include "link/address_map.h"
#include "link/frame.h"
#include "link/request.h"

#include <QString>

namespace zc {

class Tsend_rec_command : public TTemplate
{
public:
    explicit Tsend_rec_command(Area area = Area::Settings, const LinkContext &link = {})
        : m_area(area), m_link(link)
    {
    }

    std::uint16_t pageCount = 0;
    std::uint16_t nextPage = 0;
    // A page request or save frame has gone out and its reply was not handled yet. Only
    // such a reply is handed to the transfer: a stray or late one after a finished or
    // abandoned transfer must not overwrite the tables or repeat a success message.
    bool awaitingReply = false;
    // The running (or last) transfer saves pages rather than reads them.
    bool writing = false;

    Area area() const { return m_area; }
    const LinkContext &link() const { return m_link; }
    void setLink(const LinkContext &link) { m_link = link; }

    enum class Step { SendPage, Complete, Idle };
    // Which action the counters call for: send page `nextPage`, complete, or nothing.
    Step step() const;
    void start(std::uint16_t pages, bool write = false);
    // Ends the transfer: nothing more is sent and no late reply is taken.
    void abandon();
    bool running() const
    {
        return pageCount != 0 && nextPage >= 1 && nextPage <= pageCount + 1 && awaitingReply;
    }
    // Started and not yet ended. A transfer whose reply timed out stays active: its late
    // reply may still continue it.
    bool active() const { return m_active; }

    // Stop: the step that would send the next page ends the transfer instead, so a save
    // stops between whole pages. stopNow() ends it at once (its reply is no longer awaited
    // in time). Both say in the status line how many pages were done.
    void requestStop()
    {
        if (m_active) m_stopRequested = true;
    }
    void stopNow();
    // Pages whose reply was handled in the running transfer.
    int pagesDone() const { return qMax(0, nextPage - 1 - (awaitingReply ? 1 : 0)); }

    // Starts reading or saving every page of the area.
    void startRead();
    void startSave();
    // The read step: requests page `nextPage`, or completes after the last page.
    void requestNextPage();
    // The save step: encodes and sends page `nextPage`, or completes after the last page.
    void sendNextPage();

    // Called by the reply handler with the reply's address and payload in address/data.
    virtual void pageRead();
    // Called by the reply handler when the unit accepted the page last sent.
    virtual void pageWritten() { sendNextPage(); }

    // One sentence on what an interrupted transfer left behind on the unit or in the table,
    // for the message that ends it; empty when nothing was running.
    QString leftBehind() const;

protected:
    // Writes the page held in address/data into the area's table.
    virtual void decodePage() {}
    // Fills data with page `page` of the table; false stops the save (the area said why).
    virtual bool encodePage(int page)
    {
        Q_UNUSED(page);
        return false;
    }
    virtual void readComplete() {}
    virtual void saveComplete() {}
    // Called before page `page` of a save is encoded (settings show progress there).
    virtual void beforeSavePage(int page) { Q_UNUSED(page); }
    virtual QString readStatus() const { return {}; }
    virtual QString saveStatus() const { return {}; }

private:
    void notify(TransferEvent event);
    void finish(TransferEvent event);

    Area m_area;
    LinkContext m_link;
    bool m_active = false;
    bool m_stopRequested = false;
};

} // namespace zc
