// Puts the page count and the time left of a running paged transfer on the progress bar.
// This is the one place that listens to the link for it: a transfer's start and end, each
// page read (its decode ending) and each page the unit accepted.
#pragma once

#include "ui/transfer_eta.h"

#include <QElapsedTimer>
#include <QObject>

class QProgressBar;

namespace zc {

class LinkSession;

class TransferProgressText : public QObject
{
    Q_OBJECT
public:
    TransferProgressText(LinkSession &session, QProgressBar *bar, QObject *parent = nullptr);

private:
    void showPage(int done, int total);
    void clear();

    QProgressBar *m_bar;
    QElapsedTimer m_clock;
    TransferEta m_eta;
};

} // namespace zc
