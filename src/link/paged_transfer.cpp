#include "link/paged_transfer.h"

#include "link/link_watcher.h"
#include "link/page_encoding.h"
#include "link/request.h"

namespace zc {

Tsend_rec_command::Step Tsend_rec_command::step() const
{
    if (m_nextPage >= 1 && m_nextPage <= m_pageCount) return Step::SendPage;
    if (m_pageCount != 0 && m_nextPage == m_pageCount + 1) return Step::Complete;
    return Step::Idle;
}

void Tsend_rec_command::start(int pages, bool write)
{
    m_pageCount = pages;
    m_nextPage = 1;
    m_done = 0;
    m_lastSent = 0;
    m_awaiting = false;
    m_writing = write;
    m_stopRequested = false;
    m_active = true;
}

void Tsend_rec_command::Read()
{
    start(areaMap(m_area).pages, false);
    requestNextPage();
    // Its watchers hear of the transfer once the first request is on the wire.
    if (m_active) emit started(false);
}

bool Tsend_rec_command::encodePages(std::vector<Page> &pages, QString &refusal)
{
    struct Encoded
    {
        bool ok;
        Page page;
    };
    return encodeEveryPage(areaMap(m_area).pages, pages, [&](int page) {
        const bool ok = encodePage(page, refusal);
        return Encoded{ok, data};
    });
}

bool Tsend_rec_command::prepareSave()
{
    std::vector<Page> snapshot;
    m_refusal.clear();
    m_prepared = false;
    m_only.clear();
    if (!encodePages(snapshot, m_refusal)) return false;
    m_snapshot = std::move(snapshot);
    m_prepared = true;
    return true;
}

bool Tsend_rec_command::SavePages(const std::vector<Page> &pages, const std::vector<int> &only)
{
    if (m_active || int(pages.size()) != areaMap(m_area).pages || only.empty()) return false;
    for (int page : only)
        if (page < 1 || std::size_t(page) > pages.size()) return false;
    m_refusal.clear();
    m_snapshot = pages;
    m_only = only;
    m_prepared = true;
    return sendPrepared();
}

int Tsend_rec_command::areaPage(int page) const
{
    return m_writing && !m_only.empty() && page >= 1 && std::size_t(page) <= m_only.size()
               ? m_only[std::size_t(page - 1)]
               : page;
}

bool Tsend_rec_command::sendPrepared()
{
    if (!m_prepared || m_active) return false;
    m_prepared = false;
    start(int(m_only.empty() ? m_snapshot.size() : m_only.size()), true);
    sendNextPage();
    if (m_active) emit started(true);
    return true;
}

void Tsend_rec_command::requestStop()
{
    if (!m_active) return;
    if (!m_awaiting) {
        stopNow();
        return;
    }
    m_stopRequested = true;
}

void Tsend_rec_command::sendPage(std::uint8_t command, int length, const std::uint8_t *data256)
{
    const int page = m_nextPage;
    m_lastSent = page;
    m_awaiting = true;
    ++m_nextPage;
    sendRequest(m_link, command, std::uint32_t(pageAddress(m_area, areaPage(page))), length, data256,
                {Requester::Transfer, m_area, m_writing, page, m_pageCount}, this);
}

void Tsend_rec_command::requestNextPage()
{
    switch (step()) {
    case Step::SendPage:
        if (m_stopRequested) {
            stopNow();
            return;
        }
        sendPage(kCmdReadBlock, 0, nullptr);
        break;
    case Step::Complete:
        // The area's finishing pass runs before the end is told, so whoever hears it sees
        // the table finished.
        readComplete();
        finish(outcome(Outcome::Kind::Completed, 0, false));
        break;
    case Step::Idle:
        break;
    }
}

void Tsend_rec_command::sendNextPage()
{
    switch (step()) {
    case Step::SendPage: {
        if (m_stopRequested) {
            stopNow();
            return;
        }
        const int page = areaPage(m_nextPage);
        if (std::size_t(page) > m_snapshot.size()) {
            abandon();
            return;
        }
        // The page goes out as it was encoded when the save started.
        data = m_snapshot[std::size_t(page - 1)];
        sendPage(kCmdWriteBlock, kPageSize, data.data());
        break;
    }
    case Step::Complete:
        finish(outcome(Outcome::Kind::Completed, 0, false));
        break;
    case Step::Idle:
        break;
    }
}

void Tsend_rec_command::deliver(std::uint8_t command, std::int32_t replyAddress, const std::uint8_t *payload,
                                int length)
{
    if (!m_active || !m_awaiting) return;
    m_awaiting = false;
    if (command == kCmdReadBlock) {
        // A page read must bring a whole page: decoding a short one would mix in bytes left
        // from the previous page.
        if (length != kPageSize) {
            Outcome o = outcome(Outcome::Kind::Damaged, m_lastSent, false);
            o.cause = Outcome::Cause::ShortReply;
            o.replyLength = length;
            finish(o);
            return;
        }
        address = replyAddress;
        std::copy(payload, payload + length, data.begin());
        readReply();
        return;
    }
    if (length == 0) {
        // An acknowledgement without data carries no verdict: the unit may or may not have
        // written the page, as with a damaged reply.
        Outcome o = outcome(Outcome::Kind::Damaged, m_lastSent, true);
        o.cause = Outcome::Cause::NoVerdict;
        finish(o);
        return;
    }
    address = replyAddress;
    std::copy(payload, payload + qMin(length, kPageSize), data.begin());
    if (payload[0] != 0x01) {
        finish(outcome(Outcome::Kind::Refused, m_lastSent, false));
        return;
    }
    ++m_done;
    const int total = m_pageCount;
    // As with reads, the next page goes out before the watchers hear of this one.
    if (step() == Step::SendPage && !m_stopRequested) {
        sendNextPage();
        emit pageSaved(m_done, total);
    } else {
        emit pageSaved(m_done, total);
        sendNextPage();
    }
}

void Tsend_rec_command::readReply()
{
    const int page = ++m_done;
    const int total = m_pageCount;
    // The next page is asked for before this one is written into the table, so the table's
    // watchers (grid, undo, find, progress) work while the next reply is on the wire. The
    // page just read stays in address/data: the next reply is taken only by a later call.
    const bool more = step() == Step::SendPage && !m_stopRequested;
    if (more) requestNextPage();
    LinkWatcher *w = m_link.watcher;
    if (w) w->decoding(m_area, page, true);
    emit decoding(true);
    decodePage();
    emit decoding(false);
    if (w) w->decoding(m_area, page, false);
    emit pageRead(m_done, total);
    if (!more) requestNextPage();
}

std::optional<Outcome> Tsend_rec_command::interrupt(Interruption why)
{
    if (!m_active) return std::nullopt;
    // The unit may have written a page whose acknowledgement never came.
    Outcome o = ifStoppedNow();
    o.kind = outcomeKind(why);
    o.cause = outcomeCause(why);
    return finish(o);
}

Outcome Tsend_rec_command::ifStoppedNow() const
{
    if (!m_active) return outcome(Outcome::Kind::Completed, 0, false);
    return outcome(Outcome::Kind::Stopped, m_awaiting ? m_lastSent : 0, m_awaiting);
}

Outcome Tsend_rec_command::outcome(Outcome::Kind kind, int page, bool inFlightUnknown) const
{
    Outcome o;
    o.kind = kind;
    o.area = m_area;
    o.writing = m_writing;
    o.page = page;
    o.pagesDone = m_done;
    o.pageCount = m_pageCount;
    o.inFlightUnknown = inFlightUnknown;
    return o;
}

Outcome Tsend_rec_command::finish(const Outcome &outcome)
{
    m_active = false;
    m_stopRequested = false;
    m_awaiting = false;
    m_pageCount = 0;
    m_nextPage = 0;
    // Whoever waits on the transfer hears of its end first; the watcher's words come after.
    emit done(outcome);
    if (m_link.watcher) m_link.watcher->ended(outcome);
    return outcome;
}

} // namespace zc
