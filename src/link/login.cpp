#include "link/login.h"

#include "link/device_text.h"
#include "link/link_watcher.h"

#include <algorithm>

namespace zc {

void SingleRequest::send(const LinkContext &link, std::uint8_t command, std::uint32_t address, Requester who)
{
    m_pending = true;
    m_watcher = link.watcher;
    sendRequest(link, command, address, 0, nullptr, {who, m_shape.area, m_shape.writing, 0, 0}, this);
}

std::optional<Outcome> SingleRequest::interrupt(Interruption why)
{
    if (!m_pending) return std::nullopt;
    return end(outcomeKind(why), outcomeCause(why));
}

Outcome SingleRequest::end(Outcome::Kind kind, Outcome::Cause cause, int replyLength)
{
    m_pending = false;
    Outcome outcome = m_shape;
    outcome.kind = kind;
    outcome.cause = cause;
    outcome.replyLength = replyLength;
    emit done(outcome);
    if (m_watcher) m_watcher->ended(outcome);
    return outcome;
}

void Tpasswordverify::Start(const LinkContext &link, std::function<QString()> entered)
{
    m_entered = std::move(entered);
    roundTripMs = -1;
    m_sent.start();
    send(link, kCmdReadBlock, std::uint32_t(settingsPageAddress(1)), Requester::Login);
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
    roundTripMs = m_sent.elapsed();
    reply.command = command;
    reply.address = address;
    reply.dataLength = std::uint16_t(length);
    reply.data.fill(0);
    std::copy(payload, payload + qBound(0, length, int(reply.data.size())), reply.data.begin());
    // Without the whole password field there is nothing to compare.
    if (length < DeviceText::kPasswordBytes) {
        end(Outcome::Kind::Damaged, Outcome::Cause::ShortReply, length);
        return;
    }
    const bool match = Check(DeviceText::password(reply.data.data()), m_entered ? m_entered() : QString());
    if (match)
        end(Outcome::Kind::Completed);
    else
        end(Outcome::Kind::Refused, Outcome::Cause::WrongPassword);
}

void Tsingalcmd::Send(const LinkContext &link)
{
    send(link, command, 0, Requester::Single);
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
