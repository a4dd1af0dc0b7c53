#include "ui/transfer_progress.h"

#include "link/paged_transfer.h"

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
    connect(&t, &Tsend_rec_command::finished, this, &TransferProgressText::clear);
    connect(&t, &Tsend_rec_command::ended, this, &TransferProgressText::clear);
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
