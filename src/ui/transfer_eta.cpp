#include "ui/transfer_eta.h"

namespace zc {

void TransferEta::start(int total, qint64 nowMs)
{
    m_total = total;
    m_startMs = nowMs;
}

QString TransferEta::pageDone(int done, qint64 nowMs) const
{
    return text(done, m_total, secondsLeft(done, m_total, nowMs - m_startMs));
}

int TransferEta::secondsLeft(int done, int total, qint64 elapsedMs)
{
    if (done <= 0 || total <= 0 || elapsedMs < 0) return -1;
    if (done >= total) return 0;
    const qint64 leftMs = elapsedMs * (total - done) / done;
    return int((leftMs + 999) / 1000);
}

QString TransferEta::text(int done, int total, int secondsLeft)
{
    const QString pages = QStringLiteral("%1/%2").arg(done).arg(total);
    if (secondsLeft < 0 || done >= total) return pages;
    const QString left = secondsLeft < 60
                             ? QStringLiteral("%1 s").arg(secondsLeft)
                             : QStringLiteral("%1 min %2 s").arg(secondsLeft / 60).arg(secondsLeft % 60);
    return pages + QStringLiteral(" \u00b7 ") + left + QStringLiteral(" left");
}

} // namespace zc
