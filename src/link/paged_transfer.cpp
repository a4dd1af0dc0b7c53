#include "link/paged_transfer.h"

namespace zc {

Tsend_rec_command::Step Tsend_rec_command::step() const
{
    if (nextPage <= pageCount && pageCount != 0)
        return Step::SendPage;
    if (pageCount != 0 && nextPage == pageCount + 1)
        return Step::Complete;
    return Step::Idle;
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
        sendPage(*this, m_link, kCmdReadBlock, std::uint32_t(pageAddress(m_area, nextPage)), 0, nullptr,
                 readStatus());
        break;
    case Step::Complete:
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
        beforeSavePage(nextPage);
        if (!encodePage(nextPage)) {
            abandon();
            return;
        }
        sendPage(*this, m_link, kCmdWriteBlock, std::uint32_t(pageAddress(m_area, nextPage)), kPageSize,
                 data.data(), saveStatus());
        break;
    case Step::Complete:
        saveComplete();
        break;
    case Step::Idle:
        break;
    }
}

void Tsend_rec_command::pageRead()
{
    decodePage();
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
