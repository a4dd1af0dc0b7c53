// Turns received bytes, a chunk at a time, into reply frames. Pure: no Qt object, no timer,
// no watcher. Bytes before a start byte are skipped (and counted). A frame whose length
// is over one page, or whose checksum fails, was a false start when a start byte lies
// inside what it held: reading goes on from there, so noise that happens to hold 0x23
// costs nothing when the real reply follows.
#pragma once

#include "link/frame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace zc {

struct ReceivedFrame
{
    bool good = false; // the checksum matches
    // A damaged frame held a later start byte: the bytes from there are read again, so the
    // real reply may still follow from them.
    bool resynchronising = false;
    std::uint8_t command = 0;
    std::int32_t address = 0; // most significant byte first, taken as signed
    int length = 0;           // N, the data bytes
    // The N data bytes followed by the received checksum.
    std::array<std::uint8_t, kMaxData + 2> data{};
    // The whole frame from its start byte, as received (for the traffic log).
    std::array<std::uint8_t, kMaxFrame> bytes{};
    int size = 0;
};

class FrameAssembler
{
public:
    // Takes bytes in any chunking and appends every frame completed by them, in order.
    void feed(const std::uint8_t *bytes, std::size_t count, std::vector<ReceivedFrame> &out);
    // When the frame being collected holds a later start byte from which a whole frame with
    // a good checksum can already be read, that frame, else nothing. It tells a false start
    // that swallowed a short real reply from a long frame still on its way.
    bool innerFrame(ReceivedFrame &frame) const;
    // Gives up the frame being collected as a false start: its bytes are read again from
    // the next start byte inside it.
    void dropFalseStart(std::vector<ReceivedFrame> &out);
    // Forgets a half-received frame (a new request, the port opened or closed, a time-out).
    void reset();

    bool inFrame() const { return m_rec.GetInFrame() != 0; }
    // The command, address and length of the frame being collected, once its header is in.
    bool header(std::uint8_t &command, std::int32_t &address, int &length) const;
    // Bytes dropped because they lay outside any frame, since construction.
    std::size_t skippedBytes() const { return m_skipped; }

private:
    void step(std::uint8_t byte, std::vector<ReceivedFrame> &out);
    void complete(std::vector<ReceivedFrame> &out);
    // Replays the held bytes from the first start byte in raw[from, held); false when none.
    bool replayFrom(int from, int held);
    void drain(std::vector<ReceivedFrame> &out);

    // The receive state: in-frame flag, the bytes held after the start byte (raw, byteCount),
    // N once seven bytes are held, and the fields and checksum of the last completed frame.
    TRecData m_rec;
    std::deque<std::uint8_t> m_replay;
    std::size_t m_skipped = 0;
};

} // namespace zc
