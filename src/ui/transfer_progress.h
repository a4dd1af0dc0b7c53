// Puts the page count and the time left of a running paged transfer on the progress bar, in
// a label of its own at the bar's right end (`pb1_text`): drawn by the bar itself, the text
// would be crossed by the edge of the growing bar. It follows the transfers it is given:
// their start and end, each page read and each page the unit accepted.
#pragma once

#include "ui/transfer_eta.h"

#include <QElapsedTimer>
#include <QObject>

class QLabel;
class QProgressBar;

namespace zc {

class Tsend_rec_command;

class TransferProgressText : public QObject
{
    Q_OBJECT
public:
    explicit TransferProgressText(QProgressBar *bar, QObject *parent = nullptr);
    void follow(Tsend_rec_command &transfer);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPage(int done, int total);
    void clear();
    void place();

    QProgressBar *m_bar;
    QLabel *m_text;
    QElapsedTimer m_clock;
    TransferEta m_eta;
};

} // namespace zc
