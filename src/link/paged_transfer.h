// The paged transfer shared by the settings, number list and history transfers: the page
// counters, the step that sends the next page or completes, and the hooks an area fills in
// (decode a page that was read, encode a page to save, what to do at the end). The reply
// handler hands each awaited reply over through deliver(), or ends the transfer through
// interrupt(); the handler also writes the per-reply status text and progress from the
// counters shown here. The transfer counts its pages and ends once, with one Outcome (done).
#pragma once

#include "link/address_map.h"
#include "link/frame.h"
#include "link/link_context.h"
#include "link/outcome.h"

#include <QObject>
#include <QString>
#include <vector>

namespace zc {

class Tsend_rec_command : public QObject, public TTemplate, public ReplyReceiver
{
    Q_OBJECT
public:
    using Page = std::array<std::uint8_t, kPageSize>;

    explicit Tsend_rec_command(Area area = Area::Settings, const LinkContext &link = {},
                               QObject *parent = nullptr)
        : QObject(parent), m_area(area), m_link(link)
    {
    }

    Area area() const { return m_area; }
    const LinkContext &link() const { return m_link; }
    void setLink(const LinkContext &link) { m_link = link; }

    int pageCount() const override { return m_pageCount; }
    // The page the next request asks for (advanced when a request goes out).
    int nextPage() const override { return m_nextPage; }
    // A page request or save frame has gone out and its reply was not handled yet.
    bool awaitingReply() const { return m_awaiting; }
    // The running (or last) transfer saves pages rather than reads them.
    bool writing() const { return m_writing; }
    // Started and not yet ended.
    bool active() const override { return m_active; }
    // Pages whose reply was handled in the running transfer.
    int pagesDone() const { return m_done; }

    enum class Step { SendPage, Complete, Idle };
    // Which action the counters call for: send page nextPage(), complete, or nothing.
    Step step() const;

    // Starts reading every page of the area.
    void startRead();
    // Encodes every page of the table as it is now, then sends them one by one: what the
    // unit receives is the table as it was when the save started, whatever happens to it
    // meanwhile. False when a page cannot be encoded (the area said why); nothing is sent.
    bool startSave();
    // The pages of the last save, as they were encoded when it started.
    const std::vector<Page> &savedPages() const { return m_snapshot; }

    // Stop: the step that would send the next page ends the transfer instead, so a save
    // stops between whole pages. stopNow() ends it at once. Both tell the user how many
    // pages were done and what the unit or the table now holds.
    void requestStop() override;
    void stopNow() override;
    // Ends the transfer without a word: nothing more is sent and no late reply is taken.
    void abandon() { interrupt(Interruption::Abandoned); }

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;
    QString interrupt(Interruption why) override;

    // zc::leftBehind for the running transfer; empty when nothing was running. With
    // inFlightUnknown the page whose reply is awaited may or may not have been written.
    QString leftBehind(bool inFlightUnknown = false) const;

signals:
    void started(bool writing);
    // A page read is being written into the table (true), or is done (false).
    void decoding(bool on);
    void pageRead(int page, int pages);
    void pageSaved(int page, int pages);
    // The transfer ended: every page done, or stopped early (refused, damaged, timed out,
    // port lost, stopped). Exactly once for every transfer that started.
    void done(const zc::Outcome &outcome);

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
    // Called before page `page` of a save is sent (settings show progress there).
    virtual void beforeSavePage(int page) { Q_UNUSED(page); }
    virtual QString readStatus() const { return {}; }
    virtual QString saveStatus() const { return {}; }
    // The message dialog shown when the unit refuses a page.
    virtual QString refusedText() const;

    // A page read arrived in address/data: decode it and ask for the next one.
    virtual void readReply();
    // The unit accepted the page last sent: send the next one.
    virtual void writeAccepted() { sendNextPage(); }

    // The read step: requests page nextPage(), or completes after the last page.
    void requestNextPage();
    // The save step: sends page nextPage() of the snapshot, or completes after the last.
    void sendNextPage();
    void start(int pages, bool write);

private:
    void sendPage(std::uint8_t command, int length, const std::uint8_t *data256, const QString &status);
    // The outcome of the running transfer ending now; page is the page concerned (0: none).
    Outcome outcome(Outcome::Kind kind, int page, bool inFlightUnknown) const;
    void finish(const Outcome &outcome);

    Area m_area;
    LinkContext m_link;
    int m_pageCount = 0;
    int m_nextPage = 0;
    int m_done = 0;     // pages whose reply was handled
    int m_lastSent = 0; // the page of the last request sent
    bool m_awaiting = false;
    bool m_writing = false;
    bool m_active = false;
    bool m_stopRequested = false;
    std::vector<Page> m_snapshot;
};

} // namespace zc
