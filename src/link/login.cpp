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
    if (!loginPending) return;
    reply.command = command;
    reply.address = address;
    reply.dataLength = std::uint16_t(length);
    reply.data.fill(0);
    std::copy(payload, payload + qBound(0, length, int(reply.data.size())), reply.data.begin());
    end(Outcome::Kind::Completed);
}

QString Tpasswordverify::interrupt(Interruption why)
{
    if (loginPending) end(outcomeKind(why));
    return {};
}

void Tpasswordverify::end(Outcome::Kind kind)
{
    loginPending = false;
    // The login reads settings page 1; it moves no page of the unit or of a table.
    emit done({kind, Area::Settings, false, 1, 0, 0, false});
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

QString Tsingalcmd::interrupt(Interruption why)
{
    if (m_pending) end(outcomeKind(why));
    return {};
}

void Tsingalcmd::end(Outcome::Kind kind)
{
    m_pending = false;
    emit done({kind, m_area, true, 0, 0, 0, false});
}

} // namespace zc
