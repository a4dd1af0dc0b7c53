// A single-shot-style timer that follows the tool's timer rule: starting a running
// timer changes nothing (its period counts from the earlier start) and stopping a
// stopped one changes nothing. Plain QTimer::start would restart it.
#pragma once

#include <QTimer>

namespace zc {

class RuleTimer : public QTimer
{
    Q_OBJECT
public:
    explicit RuleTimer(int intervalMs, QObject *parent = nullptr) : QTimer(parent) { setInterval(intervalMs); }
    void startRule()
    {
        if (!isActive())
            QTimer::start();
    }
    void stopRule()
    {
        if (isActive())
            QTimer::stop();
    }
};

} // namespace zc
