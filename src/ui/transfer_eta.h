// The text a long transfer shows on its progress bar: pages done of all and the time left,
// "312/500 · 4 s left". The estimate is the mean time per page so far times the pages still
// to come. Pure: the caller passes the times.
#pragma once

#include <QString>
#include <QtGlobal>

namespace zc {

class TransferEta
{
public:
    // A transfer of total pages starts at nowMs.
    void start(int total, qint64 nowMs);
    // done pages have been handled at nowMs; returns the text to show.
    QString pageDone(int done, qint64 nowMs) const;

    // Whole seconds left (rounded up) after done of total pages took elapsedMs; -1 while
    // nothing is known (no page done yet).
    static int secondsLeft(int done, int total, qint64 elapsedMs);
    // "312/500 · 4 s left", "2/500" while the time left is unknown, "1/125 · 1 min 5 s left"
    // from a minute on, "500/500" at the end.
    static QString text(int done, int total, int secondsLeft);

private:
    int m_total = 0;
    qint64 m_startMs = 0;
};

} // namespace zc
