#include "ui/transfer_progress.h"

#include "link/paged_transfer.h"
#include "ui/deferred_paint.h"

#include <QProgressBar>

namespace zc {

TransferProgressText::TransferProgressText(QProgressBar *bar, QObject *parent) : QObject(parent), m_bar(bar)
{
    m_clock.start();
}

void TransferProgressText::follow(Tsend_rec_command &t)
{
    connect(&t, &Tsend_rec_command::started, this, [this, &t] {
        m_eta.start(t.pageCount(), m_clock.elapsed());
        clear();
    });
    connect(&t, &Tsend_rec_command::pageRead, this, &TransferProgressText::showPage);
    connect(&t, &Tsend_rec_command::pageSaved, this, &TransferProgressText::showPage);
    connect(&t, &Tsend_rec_command::done, this, &TransferProgressText::clear);
}

void TransferProgressText::showPage(int done, int total)
{
    // After the last page the transfer ends at once and clears the text unseen.
    if (done >= total) return;
    m_bar->setFormat(m_eta.pageDone(done, m_clock.elapsed()));
    showText(true);
}

void TransferProgressText::showText(bool visible)
{
    if (m_bar->isTextVisible() != visible) withDeferredPaint(m_bar, [&] { m_bar->setTextVisible(visible); });
}

void TransferProgressText::clear()
{
    showText(false);
    m_bar->setFormat(QString());
}

} // namespace zc
