// The login: a read of settings page 1 whose first four bytes are compared with the
// password the user entered, ignoring letter case. While a login is pending, the reply to
// its request is taken as the login reply. Also the single-request operation (delete
// history). Each ends once, with one outcome.
#pragma once

#include "link/frame.h"
#include "link/link_context.h"
#include "link/outcome.h"
#include "link/request.h"

#include <QObject>
#include <QString>

namespace zc {

// One request without pages and its one reply: the login and the single-request operation.
// It ends once (done): Completed when its reply was handed over, or how the request was lost.
class SingleRequest : public QObject, public ReplyReceiver
{
    Q_OBJECT
public:
    QString interrupt(Interruption why) override;
    bool active() const override { return m_pending; }
    void requestStop() override { interrupt(Interruption::Abandoned); }
    void stopNow() override { interrupt(Interruption::Abandoned); }
    int pageCount() const override { return 0; }
    int nextPage() const override { return 0; }

signals:
    void done(const zc::Outcome &outcome);

protected:
    // shape: the outcome's area, direction and page; end fills in the kind.
    explicit SingleRequest(const Outcome &shape) : m_shape(shape) {}
    void end(Outcome::Kind kind);

    bool m_pending = false;

private:
    Outcome m_shape;
};

// The login: Completed means the unit answered; the caller compares its reply.
class Tpasswordverify : public SingleRequest
{
    Q_OBJECT
public:
    // The login reads settings page 1; it moves no page of the unit or of a table.
    Tpasswordverify() : SingleRequest({Outcome::Kind::Completed, Area::Settings, false, 1, 0, 0, false}) {}

    // The login-pending flag: a login request was sent and its reply not yet compared.
    bool &loginPending = m_pending;
    QString devicePassword;
    QString enteredPassword;
    // The unit's answer to the last login request (its data starts with the password field).
    TRecValidCom reply;

    // Sets the pending flag and sends the read request for settings page 1.
    void Start(const LinkContext &link);
    // Compares the device password (always 4 characters) with the entered one and clears
    // the pending flag. True on a match.
    bool Check(const QString &devicePasswordField, const QString &entered);

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;
};

// The single-request operation (delete history): Completed when the unit reports the deed
// done, Refused when it reports otherwise.
class Tsingalcmd : public SingleRequest, public TTemplate
{
    Q_OBJECT
public:
    explicit Tsingalcmd(std::uint8_t code, Area area = Area::History)
        : SingleRequest({Outcome::Kind::Completed, area, true, 0, 0, 0, false}), command(code)
    {
    }
    std::uint8_t command;
    virtual void Send(const LinkContext &link);

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;
};

} // namespace zc
