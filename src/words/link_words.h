// The window's words for what the link reports: each fact a LinkWatcher hears becomes the
// documented status text, progress or message, in the documented order, through a Reporter.
// This is the one place where the texts of the reply routing, the requests, the ends of the
// transfers, the login and the delete, and the port's loss or closing are written.
#pragma once

#include "link/link_watcher.h"

namespace zc {

class Reporter;

class LinkWords : public LinkWatcher
{
public:
    explicit LinkWords(Reporter &reporter) : m_reporter(reporter) {}

    // What is running, in a few words ("A save is running").
    static QString running(Busy operation);

    void requestSent(const Sent &sent) override;
    void bytesReceived() override;
    void frameDamaged() override;
    void replyRouted(const Reply &reply) override;
    void replyIgnored(bool early, const std::optional<Outcome> &late) override;
    void handingOn(bool on) override;
    void decoding(Area area, int page, bool on) override;
    void decodeProgress(Area area, int percent) override;
    void ended(const Outcome &outcome) override;
    void refusedPortClosed() override;
    void refusedBusy(Busy running) override;
    void portClosed(const std::optional<Outcome> &stopped) override;
    void portLost(const PortProblem &why, bool waiting, const std::optional<Outcome> &stopped) override;

private:
    void transferEnded(const Outcome &outcome);
    void singleEnded(const Outcome &outcome);
    void timedOut(const QString &behind);

    Reporter &m_reporter;
};

} // namespace zc
