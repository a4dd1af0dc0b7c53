// The login: a read of settings page 1 whose first four bytes are compared with the
// password the user entered, ignoring letter case. While a login is pending, the reply to
// its request is taken as the login reply.
#pragma once

#include "link/frame.h"
#include "link/request.h"

#include <QString>

namespace zc {

class Tpasswordverify
{
public:
    bool loginPending = false;
    QString devicePassword;
    QString enteredPassword;

    // Sets the pending flag and sends the read request for settings page 1.
    void Start(const LinkContext &link);
    // Compares the device password (always 4 characters) with the entered one and clears
    // the pending flag. True on a match.
    bool Check(const QString &devicePasswordField, const QString &entered);
};

// The single-request operation (delete history).
class Tsingalcmd : public TTemplate
{
public:
    explicit Tsingalcmd(std::uint8_t code) : command(code) {}
    std::uint8_t command;
    virtual void Send(const LinkContext &link);
};

} // namespace zc
