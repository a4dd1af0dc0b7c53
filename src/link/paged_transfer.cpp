#include "link/paged_transfer.h"

#include "link/reply_handler.h"
#include "link/reporter.h"

namespace zc {

Tsend_rec_command::Step Tsend_rec_command::step() const
{
    if (nextPage <= pageCount && pageCount != 0)
        return Step::SendPage;
    if (pageCount != 0 && nextPage == pageCount + 1)
        return Step::Complete;
    return Step::Idle;
}

void Tsend_rec_command::start(std::uint16_t pages, bool write)
{
    pageCount = pages;
    nextPage = 1;
    awaitingReply = false;
    writing = write;
    m_stopRequested = false;
    m_active = true;
    notify(TransferEvent::Started);
}

void Tsend_rec_command::abandon()
{
    pageCount = 0;
    nextPage = 0;
    awaitingReply = false;
    if (m_active) finish(TransferEvent::Ended);
}

void Tsend_rec_command::stopNow()
{
    if (!m_active) return;
    const int done = pagesDone(), total = pageCount;
    pageCount = 0;
    nextPage = 0;
    awaitingReply = false;
    if (m_link.reporter)
        m_link.reporter->setStatus(QStringLiteral("Stopped after %1 of %2 pages").arg(done).arg(total));
    finish(TransferEvent::Stopped);
}

void Tsend_rec_command::finish(TransferEvent event)
{
    m_active = false;
    m_stopRequested = false;
    // No progress bar stays standing at a half-way value once the transfer is over.
    if (event != TransferEvent::Completed && m_link.reporter) m_link.reporter->setProgress(100);
    notify(event);
}

void Tsend_rec_command::notify(TransferEvent event)
{
    if (m_link.handler) m_link.handler->tell(*this, event);
}

void Tsend_rec_command::startRead()
{
    start(std::uint16_t(areaMap(m_area).pages), false);
    requestNextPage();
}

void Tsend_rec_command::startSave()
{
    start(std::uint16_t(areaMap(m_area).pages), true);
    sendNextPage();
}

void Tsend_rec_command::requestNextPage()
{
    switch (step()) {
    case Step::SendPage:
        if (m_stopRequested) {
            stopNow();
            return;
        }
        sendPage(*this, m_link, kCmdReadBlock, std::uint32_t(pageAddress(m_area, nextPage)), 0, nullptr,
                 readStatus());
        break;
    case Step::Complete:
        finish(TransferEvent::Completed);
        readComplete();
        break;
    case Step::Idle:
        break;
    }
}

void Tsend_rec_command::sendNextPage()
{
    switch (step()) {
    case Step::SendPage:
        if (m_stopRequested) {
            stopNow();
            return;
        }
        beforeSavePage(nextPage);
        if (!encodePage(nextPage)) {
            abandon();
            return;
        }
        sendPage(*this, m_link, kCmdWriteBlock, std::uint32_t(pageAddress(m_area, nextPage)), kPageSize,
                 data.data(), saveStatus());
        break;
    case Step::Complete:
        finish(TransferEvent::Completed);
        saveComplete();
        break;
    case Step::Idle:
        break;
    }
}

void Tsend_rec_command::pageRead()
{
    notify(TransferEvent::DecodeBegin);
    decodePage();
    notify(TransferEvent::DecodeEnd);
    requestNextPage();
}

namespace {
QString pages(int first, int last)
{
    return first == last ? QStringLiteral("page %1").arg(first) : QStringLiteral("pages %1 to %2").arg(first).arg(last);
}
} // namespace

QString Tsend_rec_command::leftBehind() const
{
    if (pageCount == 0 || nextPage < 2)
        return {};
    // nextPage was advanced when the page now outstanding (or refused) went out.
    const int done = qMin<int>(nextPage - 2, pageCount);
    if (writing) {
        if (done >= pageCount)
            return {};
        if (done == 0)
            return QStringLiteral("No page was saved (0 of %1): the unit keeps its earlier data; save again.")
                .arg(pageCount);
        QString saved = pages(1, done);
        saved[0] = saved[0].toUpper();
        return QStringLiteral("%1 of %2 saved, %3 not saved: save again.")
            .arg(saved, QString::number(pageCount), pages(done + 1, pageCount));
    }
    if (done >= pageCount)
        return {};
    if (done == 0)
        return QStringLiteral("No page was read: the table is as it was.");
    return QStringLiteral("The table holds pages read from the unit only up to page %1 of %2.")
        .arg(done)
        .arg(pageCount);
}

} // namespace zc
