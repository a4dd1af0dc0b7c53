// Puts the page count and the time left of a running paged transfer on the progress bar.
// It follows the transfers it is given: their start and end, each page read and each page
// the unit accepted.
#pragma once

#include "ui/transfer_eta.h"

#include <QElapsedTimer>
#include <QObject>

class QProgressBar;

namespace zc {

class Tsend_rec_command;

class TransferProgressText : public QObject
{
    Q_OBJECT
public:
    explicit TransferProgressText(QProgressBar *bar, QObject *parent = nullptr);
    void follow(Tsend_rec_command &transfer);

private:
    void showPage(int done, int total);
    void clear();
    void showText(bool visible);

    QProgressBar *m_bar;
    QElapsedTimer m_clock;
    TransferEta m_eta;
};

} // namespace zc
