// Reassembles reply frames byte by byte, checks their checksum and routes good replies.
// It remembers the one request that is outstanding (command, address and who asked) and
// hands a reply over only when it answers that request: to the login, to the transfer of
// the address range the reply belongs to, or to the single-request operation. Anything
// else is shown in the status line and ignored. Also owns the reply timer's time-out
// handling ("Receive timeout").
#pragma once

#include "link/address_map.h"
#include "link/frame.h"
#include "link/request.h"

#include <QObject>
#include <array>
#include <deque>

namespace zc {

class Reporter;
class RuleTimer;
class Tpasswordverify;
class Tsend_rec_command;

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
        Ignored,   // a reply that answers no outstanding request (a late, stray or duplicated one)
        ShortPage, // a read reply without a whole page
    };
    Q_ENUM(Route)

    ReplyHandler(Reporter &reporter, RuleTimer &replyTimer, QObject *parent = nullptr);

    // The login whose replies are checked, and the transfer of each address range.
    void setLogin(Tpasswordverify *login) { m_login = login; }
    void attach(Tsend_rec_command *transfer);
    Tsend_rec_command *transfer(Area area) const { return m_transfers[int(area)]; }

    // A request went out: its reply is the only one taken from now on. A request of another
    // operation ends the earlier one's claim on any late reply. The assembler starts clean.
    void requestSent(std::uint8_t command, std::int32_t address, Requester who, Tsend_rec_command *transfer);
    // Forgets any half-received frame (a new request, the port opened or closed, a time-out).
    void resetAssembler();
    // Ends every transfer and a pending login; true when one was waiting. leftBehind gets
    // what an interrupted transfer left on the unit or in its table.
    bool abandonAll(QString *leftBehind = nullptr);
    // The attached transfer that has started and not ended, or nullptr.
    Tsend_rec_command *activeTransfer() const;
    // A transfer tells what it does; watchers get it as transferEvent.
    void tell(Tsend_rec_command &transfer, TransferEvent event) { emit transferEvent(&transfer, event); }
    // A request is outstanding (its reply may still come, even after a time-out).
    bool outstanding() const { return m_out.active; }
    // What the outstanding request belongs to, in a few words ("A save is running").
    QString outstandingText() const;

    // One received byte.
    void cm1ReceiveData(std::uint8_t byte);
    // The reply timer fired.
    void tmr1Timer();

    const TRecData &recData() const { return m_rec; }
    const TRecValidCom &validCom() const { return m_valid; }

signals:
    void routed(zc::ReplyHandler::Route route);
    // The reply to the login request; the password field is read by the caller.
    void loginReply(const zc::TRecValidCom &reply);
    void timedOut();
    void transferEvent(zc::Tsend_rec_command *transfer, zc::TransferEvent event);

private:
    struct Outstanding
    {
        bool active = false;
        std::uint8_t command = 0;
        std::int32_t address = 0;
        Requester who = Requester::Single;
        Tsend_rec_command *transfer = nullptr;
    };

    void receiveByte(std::uint8_t byte);
    void completeFrame();
    // A false start: replays the held bytes from the next start byte; false when there is none.
    bool resynchronise(int heldBytes);
    void route();
    bool answersOutstanding() const;
    void interrupted(const QString &text, void (Reporter::*show)(const QString &));

    Reporter &m_reporter;
    RuleTimer &m_timer;
    Tpasswordverify *m_login = nullptr;
    std::array<Tsend_rec_command *, kAreaCount> m_transfers{};
    Outstanding m_out;
    TRecData m_rec;
    TRecValidCom m_valid;
    std::deque<std::uint8_t> m_replay;
    bool m_replyIncoming = false;
};

} // namespace zc
