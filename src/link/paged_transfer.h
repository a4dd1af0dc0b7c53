// The paged transfer shared by the settings, number list and history transfers: the page
// counters, the step that sends the next page or completes, and the hooks an area fills in
// (decode a page that was read, encode a page to save, what to do at the end). The reply
// handler hands each awaited reply over through deliver(), or ends the transfer through
// interrupt(). The transfer counts its pages, reports each request and each page it
// decodes to the link's watcher as facts, and ends once, with one Outcome (done), which the
// watcher hears too. It knows no words: a save it cannot encode keeps the area's reason
// (refusal()) for the caller to show.
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

    // "Read": reads every page of the area into its table (the page asks the user first).
    void Read();
    // Encodes every page of the table as it is now (the snapshot), then sends them one by
    // one: what the unit receives is the table as it was when the save started, whatever
    // happens to it meanwhile. False when the table cannot be encoded: nothing is sent, and
    // refusal() says why.
    bool Save() { return prepareSave() && sendPrepared(); }
    // Sends only the pages `only` (1-based, ascending) of `pages`, a whole area's pages that
    // the caller built (from pages the unit holds, with a change of its own): the others
    // already hold what they would send. savedPages() then gives `pages`. False, sending
    // nothing, when a transfer runs or the pages do not fit the area.
    bool SavePages(const std::vector<Page> &pages, const std::vector<int> &only);
    // The two halves of startSave, for a caller that asks the user between them: encoding
    // is the save's one check of the table, and the prepared pages are what it would send.
    bool prepareSave();
    // Sends the pages prepareSave encoded; false when none are prepared or one runs.
    bool sendPrepared();
    // Why the last prepared save could not start (empty when it could).
    const QString &refusal() const { return m_refusal; }
    // The pages of the last save, as they were encoded when it was prepared.
    const std::vector<Page> &savedPages() const { return m_snapshot; }

    // Stop: the step that would send the next page ends the transfer instead, so a save
    // stops between whole pages. stopNow() ends it at once. Either ends it as Stopped, with
    // the pages done and what the unit or the table now holds.
    void requestStop() override;
    // Ends the transfer as superseded: nothing more is sent and no late reply is taken.
    void abandon() { interrupt(Interruption::Abandoned); }

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;
    std::optional<Outcome> interrupt(Interruption why) override;

    // The outcome the running transfer would end with if it were stopped now: the page whose
    // reply is awaited may or may not have been written. Completed when nothing runs.
    Outcome ifStoppedNow() const;

signals:
    void started(bool writing);
    // A page read arrived whole, before it is written into the table: the area's page its
    // reply names (0 when its address names no page of the area) and the bytes as sent.
    void pageArrived(int page, const zc::Tsend_rec_command::Page &bytes);
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
    // Fills data with page `page` of the table; false stops the save, with the reason in
    // `refusal`.
    virtual bool encodePage(int page, QString &refusal)
    {
        Q_UNUSED(page);
        Q_UNUSED(refusal);
        return false;
    }
    // Every page of the table, for a save; false with the reason in `refusal` when the table
    // cannot be sent. By default each page on its own (encodePage).
    virtual bool encodePages(std::vector<Page> &pages, QString &refusal);
    // Every page was read: the area's finishing pass, before the transfer ends.
    virtual void readComplete() {}

    // The read step: requests page nextPage(), or completes after the last page.
    void requestNextPage();
    // A page read arrived in address/data: asks for the next one, then decodes this one.
    void readReply();
    // The save step: sends page nextPage() of the snapshot, or completes after the last.
    void sendNextPage();
    void start(int pages, bool write);

private:
    void sendPage(std::uint8_t command, int length, const std::uint8_t *data256);
    // The area's page that transfer page `page` stands for.
    int areaPage(int page) const;
    // The outcome of the running transfer ending now; page is the page concerned (0: none).
    Outcome outcome(Outcome::Kind kind, int page, bool inFlightUnknown) const;
    // Ends the transfer with its one outcome.
    Outcome finish(const Outcome &outcome);

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
    std::vector<int> m_only; // the area's pages a save sends, in order; empty: all of them
    bool m_prepared = false;
    QString m_refusal;
};

// A transfer between the unit and one area's table: the only copy of that area's data.
template <class Model, Area kArea> class TableTransfer : public Tsend_rec_command
{
public:
    explicit TableTransfer(Model &model, const LinkContext &link = {})
        : Tsend_rec_command(kArea, link), m_model(model)
    {
    }

protected:
    Model &m_model;
};

} // namespace zc
