#include "link/login.h"

#include "link/reporter.h"

#include <algorithm>

namespace zc {

void Tpasswordverify::Start(const LinkContext &link)
{
    loginPending = true;
    sendRequest(link, kCmdReadBlock, std::uint32_t(settingsPageAddress(1)), 0, nullptr,
                QStringLiteral("Read settings"), Requester::Login, this);
    if (link.reporter) link.reporter->setStatus(QStringLiteral("Password verifing"));
}

bool Tpasswordverify::Check(const QString &devicePasswordField, const QString &entered)
{
    devicePassword = devicePasswordField;
    enteredPassword = entered;
    loginPending = false;
    return devicePassword.size() == enteredPassword.size() &&
           QString::compare(devicePassword, enteredPassword, Qt::CaseInsensitive) == 0;
}

void Tpasswordverify::deliver(std::uint8_t command, std::int32_t address, const std::uint8_t *payload,
                              int length)
{
    if (!m_pending) return;
    reply.command = command;
    reply.address = address;
    reply.dataLength = std::uint16_t(length);
    reply.data.fill(0);
    std::copy(payload, payload + qBound(0, length, int(reply.data.size())), reply.data.begin());
    end(Outcome::Kind::Completed);
}

QString SingleRequest::interrupt(Interruption why)
{
    if (m_pending) end(outcomeKind(why));
    return {};
}

void SingleRequest::end(Outcome::Kind kind)
{
    m_pending = false;
    Outcome outcome = m_shape;
    outcome.kind = kind;
    emit done(outcome);
}

void Tsingalcmd::Send(const LinkContext &link)
{
    m_pending = true;
    sendRequest(link, command, 0, 0, nullptr, QStringLiteral("Password verifying"), Requester::Single, this);
}

void Tsingalcmd::deliver(std::uint8_t, std::int32_t replyAddress, const std::uint8_t *payload, int length)
{
    if (!m_pending) return;
    address = replyAddress;
    std::copy(payload, payload + qBound(0, length, kPageSize), data.begin());
    // A reply without data carries no verdict: it counts as refused.
    end(length > 0 && payload[0] == 0x01 ? Outcome::Kind::Completed : Outcome::Kind::Refused);
}

} // namespace zc
