// Sending one request in the tool's fixed order: build the frame, write it to the port,
// set the status text, start the reply timer. The reply handler is told first which
// request is now outstanding, so only the reply to it is taken. The write result is not
// looked at: a request that cannot go out ends in "Receive timeout" like one that gets no
// answer.
#pragma once

#include "link/frame.h"

#include <QString>

namespace zc {

class TComm;
class Reporter;
class RuleTimer;
class ReplyHandler;
class Tsend_rec_command;

// What a transfer object needs to send requests.
struct LinkContext
{
    TComm *comm = nullptr;
    Reporter *reporter = nullptr;
    RuleTimer *replyTimer = nullptr;
    ReplyHandler *handler = nullptr;
};

// Who waits for the reply of a request.
enum class Requester { Login, Transfer, Single };

// What a paged transfer tells its watchers: it started, a page read is being written into
// its table (between DecodeBegin and DecodeEnd), and how it ended: every page done, stopped
// by the user between two pages, or ended early (refused page, damaged or short reply, lost
// port, another operation).
enum class TransferEvent { Started, DecodeBegin, DecodeEnd, Completed, Stopped, Ended };

void sendRequest(const LinkContext &link, std::uint8_t command, std::uint32_t address, int length,
                 const std::uint8_t *data256, const QString &status, Requester who = Requester::Single,
                 Tsend_rec_command *transfer = nullptr);

// The sending half of the paged transfer step: sends the request for page `nextPage`,
// marks the transfer as waiting for its reply and moves on to the next page.
void sendPage(Tsend_rec_command &transfer, const LinkContext &link, std::uint8_t command, std::uint32_t address,
              int length, const std::uint8_t *data256, const QString &status);

} // namespace zc
