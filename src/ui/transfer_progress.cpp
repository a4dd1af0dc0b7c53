#include "ui/transfer_progress.h"

#include "link/link_session.h"
#include "link/paged_transfer.h"
#include "link/reply_handler.h"

#include <QProgressBar>

namespace zc {

TransferProgressText::TransferProgressText(LinkSession &session, QProgressBar *bar, QObject *parent)
    : QObject(parent), m_bar(bar)
{
    m_clock.start();
    ReplyHandler &handler = session.handler();
    connect(&handler, &ReplyHandler::transferEvent, this, [this](Tsend_rec_command *t, TransferEvent event) {
        switch (event) {
        case TransferEvent::Started:
            m_eta.start(t->pageCount, m_clock.elapsed());
            clear();
            break;
        case TransferEvent::DecodeEnd: // a page read; nextPage already names the page after it
            showPage(t->nextPage - 1, t->pageCount);
            break;
        case TransferEvent::DecodeBegin:
            break;
        case TransferEvent::Completed:
        case TransferEvent::Stopped:
        case TransferEvent::Ended:
            clear();
            break;
        }
    });
    // A saved page has no event of its own yet: the unit's acceptance stands for it.
    connect(&handler, &ReplyHandler::routed, this, [this, &handler](ReplyHandler::Route route) {
        using R = ReplyHandler::Route;
        if (route != R::SettingsWriteAccepted && route != R::NumbersWriteAccepted) return;
        if (const Tsend_rec_command *t = handler.activeTransfer(); t && t->pageCount != 0)
            showPage(t->nextPage - 1, t->pageCount);
    });
}

void TransferProgressText::showPage(int done, int total)
{
    m_bar->setFormat(m_eta.pageDone(done, m_clock.elapsed()));
    m_bar->setTextVisible(done < total);
}

void TransferProgressText::clear()
{
    m_bar->setTextVisible(false);
    m_bar->setFormat(QString());
}

} // namespace zc
