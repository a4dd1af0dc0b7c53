// Reassembles reply frames byte by byte, checks their checksum and routes good replies by
// command code and address: to the login check, and to the settings, number list and
// history transfers. It keeps no record of what is outstanding. Also owns the reply
// timer's time-out handling ("Receive timeout").
#pragma once

#include "link/frame.h"

#include <QObject>
#include <functional>

namespace zc {

class Reporter;
class RuleTimer;
class Tpasswordverify;

class ReplyHandler : public QObject
{
    Q_OBJECT
public:
    // Where a reply went; emitted for every completed frame so the routing can be observed.
    enum class Route {
        InvalidData,
        Login,
        SettingsRead,
        SettingsWriteAccepted,
        SettingsWriteRefused,
        NumbersRead,
        NumbersWriteAccepted,
        NumbersWriteRefused,
        HistoryRead,
        HistoryDeleted,
        HistoryDeleteRefused,
        UndefinedAddress,
        UndefinedData,
        Ignored,   // a reply nothing is waiting for (a late or stray one)
        ShortPage, // a read reply without a whole page
    };
    Q_ENUM(Route)

    // The receivers. Each hook may be left empty; the transfer objects may be null.
    struct Targets
    {
        Tsend_rec_command *settings = nullptr;
        Tsend_rec_command *numbers = nullptr;
        Tsend_rec_command *history = nullptr;
        Tpasswordverify *login = nullptr;
        std::function<void(const TRecValidCom &)> loginCheck;
        std::function<void()> decodeSettingsPage;
        std::function<void()> sendNextSettingsPage;
        std::function<void()> decodeNumberListPage;
        std::function<void()> sendNextNumberListPage;
        std::function<void()> decodeHistoryPage;
    };

    ReplyHandler(Reporter &reporter, RuleTimer &replyTimer, QObject *parent = nullptr);

    void setTargets(Targets targets) { m_targets = std::move(targets); }
    Targets &targets() { return m_targets; }

    // One received byte.
    void cm1ReceiveData(std::uint8_t byte);
    // The reply timer fired.
    void tmr1Timer();

    const TRecData &recData() const { return m_rec; }
    TRecData &recData() { return m_rec; }
    const TRecValidCom &validCom() const { return m_valid; }

signals:
    void routed(zc::ReplyHandler::Route route);
    void timedOut();

private:
    void receiveByte(std::uint8_t byte);
    void completeFrame();
    // Clears every pending login and awaited transfer reply; true if there was one.
    bool endWaiting();
    // Hands a reply to the transfer that awaits it; false (and reported) otherwise.
    bool takeReply(Tsend_rec_command *target);
    void route();
    void handOver(Tsend_rec_command *target);
    bool firstDataByteIsOne() const;

    Reporter &m_reporter;
    RuleTimer &m_timer;
    Targets m_targets;
    TRecData m_rec;
    TRecValidCom m_valid;
    bool m_replyIncoming = false;
};

} // namespace zc
