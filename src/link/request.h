// Sending one request in the tool's fixed order: build the frame, write it to the port,
// tell the link's watcher what went out, start the reply timer. The reply handler is told
// first which request is now outstanding, so only the reply to it is taken. The write result
// is not looked at: a request that cannot go out ends in a time-out like one that gets no
// answer.
#pragma once

#include "link/frame.h"
#include "link/link_context.h"
#include "link/link_watcher.h"

namespace zc {

void sendRequest(const LinkContext &link, std::uint8_t command, std::uint32_t address, int length,
                 const std::uint8_t *data256, const LinkWatcher::Sent &sent, ReplyReceiver *receiver);

} // namespace zc
