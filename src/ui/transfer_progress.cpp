#include "ui/transfer_progress.h"

#include "link/paged_transfer.h"
#include "ui/deferred_paint.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>

namespace zc {

TransferProgressText::TransferProgressText(QProgressBar *bar, QObject *parent)
    : QObject(parent), m_bar(bar), m_text(new QLabel(bar))
{
    m_clock.start();
    m_text->setObjectName(QStringLiteral("pb1_text"));
    // On the bar's empty groove colour, so the bar passes under it and it stays whole.
    m_text->setAutoFillBackground(true);
    m_text->setBackgroundRole(QPalette::Base);
    m_text->setForegroundRole(QPalette::Text);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->hide();
    bar->installEventFilter(this);
}

bool TransferProgressText::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bar && event->type() == QEvent::Resize) place();
    return QObject::eventFilter(watched, event);
}

void TransferProgressText::place()
{
    const int w = m_text->fontMetrics().horizontalAdvance(m_text->text()) + 12;
    m_text->setGeometry(qMax(2, m_bar->width() - w - 2), 2, qMin(w, m_bar->width() - 4), m_bar->height() - 4);
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
    withDeferredPaint(m_text, [&] {
        m_text->setText(m_eta.pageDone(done, m_clock.elapsed()));
        place();
        m_text->show();
    });
}

void TransferProgressText::clear()
{
    m_text->hide();
    m_text->clear();
}

} // namespace zc
