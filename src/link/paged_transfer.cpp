#include "link/paged_transfer.h"

#include "link/reporter.h"
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

void Tsend_rec_command::startRead()
{
    start(areaMap(m_area).pages, false);
    requestNextPage();
    // Its watchers hear of the transfer once the first request is on the wire.
    if (m_active) emit started(false);
}

bool Tsend_rec_command::startSave()
{
    const int count = areaMap(m_area).pages;
    std::vector<Page> snapshot;
    snapshot.reserve(std::size_t(count));
    for (int page = 1; page <= count; ++page) {
        if (!encodePage(page)) return false;
        snapshot.push_back(data);
    }
    m_snapshot = std::move(snapshot);
    start(count, true);
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

void Tsend_rec_command::sendPage(std::uint8_t command, int length, const std::uint8_t *data256,
                                 const QString &status)
{
    const int page = m_nextPage;
    m_lastSent = page;
    m_awaiting = true;
    ++m_nextPage;
    sendRequest(m_link, command, std::uint32_t(pageAddress(m_area, page)), length, data256, status,
                Requester::Transfer, this);
}

void Tsend_rec_command::requestNextPage()
{
    switch (step()) {
    case Step::SendPage:
        if (m_stopRequested) {
            stopNow();
            return;
        }
        sendPage(kCmdReadBlock, 0, nullptr, readStatus());
        break;
    case Step::Complete:
        finish(outcome(Outcome::Kind::Completed, 0, false));
        readComplete();
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
        if (std::size_t(m_nextPage) > m_snapshot.size()) {
            abandon();
            return;
        }
        beforeSavePage(m_nextPage);
        // The page goes out as it was encoded when the save started.
        data = m_snapshot[std::size_t(m_nextPage - 1)];
        sendPage(kCmdWriteBlock, kPageSize, data.data(), saveStatus());
        break;
    }
    case Step::Complete:
        finish(outcome(Outcome::Kind::Completed, 0, false));
        saveComplete();
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
    Reporter *r = m_link.reporter;
    if (command == kCmdReadBlock) {
        // A page read must bring a whole page: decoding a short one would mix in bytes left
        // from the previous page.
        if (length != kPageSize) {
            const Outcome o = outcome(Outcome::Kind::Damaged, m_lastSent, false);
            const QString behind = o.leftBehind();
            finish(o);
            if (r) {
                r->messageBox(
                    QStringLiteral("The unit sent an incomplete page (%1 of %2 bytes). The transfer was "
                                   "stopped; please try again.")
                        .arg(length)
                        .arg(kPageSize) +
                    (behind.isEmpty() ? QString() : QLatin1Char('\n') + behind));
                r->setLastingStatus(behind);
            }
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
        const Outcome o = outcome(Outcome::Kind::Damaged, m_lastSent, true);
        const QString behind = o.leftBehind();
        finish(o);
        if (r) {
            r->messageBox(
                QStringLiteral("The unit's reply to the save carried no data. The save was stopped; "
                               "please try again.") +
                (behind.isEmpty() ? QString() : QLatin1Char('\n') + behind));
            r->setLastingStatus(behind);
        }
        return;
    }
    const bool accepted = payload[0] == 0x01;
    address = replyAddress;
    std::copy(payload, payload + qMin(length, kPageSize), data.begin());
    if (accepted) {
        ++m_done;
        const int total = m_pageCount;
        // As with reads, the next page goes out before the watchers hear of this one.
        if (step() == Step::SendPage && !m_stopRequested) {
            writeAccepted();
            emit pageSaved(m_done, total);
        } else {
            emit pageSaved(m_done, total);
            writeAccepted();
        }
        return;
    }
    const Outcome o = outcome(Outcome::Kind::Refused, m_lastSent, false);
    const QString behind = o.leftBehind();
    finish(o);
    if (r) {
        r->messageDialog(refusedText() + (behind.isEmpty() ? QString() : QLatin1Char('\n') + behind));
        r->setLastingStatus(behind);
    }
}

void Tsend_rec_command::readReply()
{
    ++m_done;
    const int total = m_pageCount;
    // The next page is asked for before this one is written into the table, so the table's
    // watchers (grid, undo, find, progress) work while the next reply is on the wire. The
    // page just read stays in address/data: the next reply is taken only by a later call.
    const bool more = step() == Step::SendPage && !m_stopRequested;
    if (more) requestNextPage();
    emit decoding(true);
    decodePage();
    emit decoding(false);
    emit pageRead(m_done, total);
    if (!more) requestNextPage();
}

QString Tsend_rec_command::refusedText() const
{
    return m_area == Area::Settings ? QStringLiteral("Basic setting error")
                                    : QStringLiteral("Number list data error");
}

QString Tsend_rec_command::interrupt(Interruption why)
{
    if (!m_active) return {};
    // The unit may have written a page whose acknowledgement never came.
    const Outcome o = outcome(outcomeKind(why), m_awaiting ? m_lastSent : 0, m_awaiting);
    finish(o);
    return o.leftBehind();
}

void Tsend_rec_command::stopNow()
{
    if (!m_active) return;
    const Outcome o = outcome(Outcome::Kind::Stopped, m_awaiting ? m_lastSent : 0, m_awaiting);
    const QString behind = o.leftBehind();
    const QString text = QStringLiteral("Stopped after %1 of %2 pages.").arg(m_done).arg(m_pageCount);
    finish(o);
    if (Reporter *r = m_link.reporter) {
        r->messageBox(behind.isEmpty() ? text : text + QLatin1Char('\n') + behind);
        r->setLastingStatus(behind.isEmpty() ? text : behind);
    }
}

Outcome Tsend_rec_command::outcome(Outcome::Kind kind, int page, bool inFlightUnknown) const
{
    return {kind, m_area, m_writing, page, m_done, m_pageCount, inFlightUnknown};
}

void Tsend_rec_command::finish(const Outcome &outcome)
{
    m_active = false;
    m_stopRequested = false;
    m_awaiting = false;
    m_pageCount = 0;
    m_nextPage = 0;
    // No progress bar stays standing at a half-way value once the transfer is over.
    if (!outcome.completed() && m_link.reporter) m_link.reporter->setProgress(100);
    emit done(outcome);
}

QString Tsend_rec_command::leftBehind(bool inFlightUnknown) const
{
    return zc::leftBehind(m_writing, m_pageCount, m_done, inFlightUnknown && m_awaiting);
}

} // namespace zc
