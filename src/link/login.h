// The login: a read of settings page 1 whose first four bytes are compared with the
// password the user entered, ignoring letter case. While a login is pending, the reply to
// its request is taken as the login reply. Also the single-request operation (delete
// history). Each ends once, with one outcome, which the link's watcher hears too.
#pragma once

#include "link/frame.h"
#include "link/link_context.h"
#include "link/outcome.h"
#include "link/request.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

namespace zc {

// One request without pages and its one reply: the login and the single-request operation.
// It ends once (done): Completed when its reply was handed over, or how the request was lost.
class SingleRequest : public QObject, public ReplyReceiver
{
    Q_OBJECT
public:
    std::optional<Outcome> interrupt(Interruption why) override;
    bool active() const override { return m_pending; }
    void requestStop() override { stopNow(); }
    int pageCount() const override { return 0; }
    int nextPage() const override { return 0; }

signals:
    void done(const zc::Outcome &outcome);

protected:
    // shape: the outcome's operation, area, direction and page; end fills in the kind.
    explicit SingleRequest(const Outcome &shape) : m_shape(shape) {}
    // Sends the request and waits for its reply.
    void send(const LinkContext &link, std::uint8_t command, std::uint32_t address, Requester who);
    Outcome end(Outcome::Kind kind, Outcome::Cause cause = Outcome::Cause::None, int replyLength = 0);

    bool m_pending = false;

private:
    Outcome m_shape;
    LinkWatcher *m_watcher = nullptr;
};

// The login: its outcome is the verdict. Completed means the unit's password matches the
// entered one, Refused (cause WrongPassword) that it does not; any other end means the
// unit's answer never came whole, so there was nothing to compare.
class Tpasswordverify : public SingleRequest
{
    Q_OBJECT
public:
    // The login reads settings page 1; it moves no page of the unit or of a table.
    Tpasswordverify() : SingleRequest(shape()) {}

    // The login-pending flag: a login request was sent and its reply not yet compared.
    bool &loginPending = m_pending;
    QString devicePassword;
    QString enteredPassword;
    // The unit's answer to the last login request (its data starts with the password field).
    TRecValidCom reply;
    // From the login request's write to its whole reply, in ms (-1 before an answer).
    qint64 roundTripMs = -1;

    // Sets the pending flag and sends the read request for settings page 1. `entered` gives
    // the password to compare once the reply is there (the window's field as it is then).
    void Start(const LinkContext &link, std::function<QString()> entered);
    // Compares the device password (always 4 characters) with the entered one and clears
    // the pending flag. True on a match.
    bool Check(const QString &devicePasswordField, const QString &entered);

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;

private:
    QElapsedTimer m_sent;
    std::function<QString()> m_entered;
    static Outcome shape()
    {
        Outcome o;
        o.operation = Outcome::Operation::Login;
        o.page = 1;
        return o;
    }
};

// The single-request operation (delete history): Completed when the unit reports the deed
// done, Refused when it reports otherwise.
class Tsingalcmd : public SingleRequest, public TTemplate
{
    Q_OBJECT
public:
    explicit Tsingalcmd(std::uint8_t code, Area area = Area::History)
        : SingleRequest(shape(area)), command(code)
    {
    }
    std::uint8_t command;
    virtual void Send(const LinkContext &link);

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;

private:
    static Outcome shape(Area area)
    {
        Outcome o;
        o.operation = Outcome::Operation::Delete;
        o.area = area;
        o.writing = true;
        return o;
    }
};

} // namespace zc
