// The login: a read of settings page 1 whose first four bytes are compared with the
// password the user entered, ignoring letter case. While a login is pending, the reply to
// its request is taken as the login reply. The login ends once (done): Completed when the
// unit answered, whose reply the caller then compares; otherwise how it was lost.
#pragma once

#include "link/frame.h"
#include "link/link_context.h"
#include "link/outcome.h"
#include "link/request.h"

#include <QObject>
#include <QString>

namespace zc {

class Tpasswordverify : public QObject, public ReplyReceiver
{
    Q_OBJECT
public:
    bool loginPending = false;
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
    QString interrupt(Interruption why) override;
    bool active() const override { return loginPending; }
    void requestStop() override { interrupt(Interruption::Abandoned); }
    void stopNow() override { interrupt(Interruption::Abandoned); }
    int pageCount() const override { return 0; }
    int nextPage() const override { return 0; }

signals:
    void done(const zc::Outcome &outcome);

private:
    void end(Outcome::Kind kind);
};

// The single-request operation (delete history). It ends once (done): Completed when the
// unit reports the deed done, Refused when it reports otherwise, or how the request was lost.
class Tsingalcmd : public QObject, public TTemplate, public ReplyReceiver
{
    Q_OBJECT
public:
    explicit Tsingalcmd(std::uint8_t code, Area area = Area::History) : command(code), m_area(area) {}
    std::uint8_t command;
    virtual void Send(const LinkContext &link);

    void deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                 int length) override;
    QString interrupt(Interruption why) override;
    bool active() const override { return m_pending; }
    void requestStop() override { interrupt(Interruption::Abandoned); }
    void stopNow() override { interrupt(Interruption::Abandoned); }
    int pageCount() const override { return 0; }
    int nextPage() const override { return 0; }

signals:
    void done(const zc::Outcome &outcome);

private:
    void end(Outcome::Kind kind);

    Area m_area;
    bool m_pending = false;
};

} // namespace zc
