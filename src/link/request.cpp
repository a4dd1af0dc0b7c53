#include "link/request.h"

#include "link/comm.h"
#include "link/reply_handler.h"
#include "link/rule_timer.h"

namespace zc {

void sendRequest(const LinkContext &link, std::uint8_t command, std::uint32_t address, int length,
                 const std::uint8_t *data256, const LinkWatcher::Sent &sent, ReplyReceiver *receiver)
{
    const FrameBytes f = buildRequest(command, address, length, data256);
    // Whatever the port holds before the request is written cannot be its reply: the handler
    // takes it first, as unasked.
    if (link.handler)
        link.handler->requestSent(command, std::int32_t(address), sent.who, receiver,
                                  link.comm ? link.comm->takeUnread() : QByteArray());
    if (link.comm && f.size > 0) link.comm->WriteData(f.bytes.data(), std::uint16_t(f.size));
    if (link.watcher) link.watcher->requestSent(sent);
    if (link.replyTimer) link.replyTimer->startRule();
}

} // namespace zc
