#include "link/frame_assembler.h"

#include <algorithm>

namespace zc {

namespace {

// Reads a whole frame from held bytes (everything after the start byte); false when the
// bytes do not hold one.
bool readFrame(const std::uint8_t *raw, int held, ReceivedFrame &f)
{
    if (held < 7) return false;
    const int n = (raw[5] << 8) | raw[6];
    if (n > kMaxData || held < n + 8) return false;
    f.command = raw[0];
    f.address = std::int32_t(std::uint32_t(raw[1]) << 24 | std::uint32_t(raw[2]) << 16 |
                             std::uint32_t(raw[3]) << 8 | std::uint32_t(raw[4]));
    f.length = n;
    std::copy(raw + 7, raw + 8 + n, f.data.begin());
    f.bytes[0] = kStartByte;
    std::copy(raw, raw + n + 8, f.bytes.begin() + 1);
    f.size = n + 9;
    f.good = xorChecksum(raw, std::size_t(n + 7)) == raw[7 + n];
    f.resynchronising = false;
    return true;
}

} // namespace

void FrameAssembler::feed(const std::uint8_t *bytes, std::size_t count, std::vector<ReceivedFrame> &out)
{
    for (std::size_t i = 0; i < count; ++i) {
        step(bytes[i], out);
        drain(out);
    }
}

void FrameAssembler::drain(std::vector<ReceivedFrame> &out)
{
    while (!m_replay.empty()) {
        const std::uint8_t b = m_replay.front();
        m_replay.pop_front();
        step(b, out);
    }
}

void FrameAssembler::step(std::uint8_t b, std::vector<ReceivedFrame> &out)
{
    if (!m_inFrame) {
        if (b == kStartByte) {
            m_inFrame = true;
            m_count = 0;
        } else {
            ++m_skipped;
        }
        return;
    }
    m_raw[std::size_t(m_count)] = b;
    if (m_count == 6) {
        m_length = (m_raw[5] << 8) | m_raw[6];
        // No request asks for more than one page: a longer frame is a false start, given up
        // as soon as its length is known.
        if (m_length > kMaxData) {
            const int held = 7;
            m_inFrame = false;
            m_count = 0;
            if (!replayFrom(0, held)) m_skipped += std::size_t(held) + 1;
            return;
        }
    }
    ++m_count;
    if (m_count >= 8 && m_count == m_length + 8) complete(out);
}

void FrameAssembler::complete(std::vector<ReceivedFrame> &out)
{
    const int held = m_count;
    m_inFrame = false;
    m_count = 0;
    ReceivedFrame &f = out.emplace_back();
    readFrame(m_raw.data(), held, f);
    // A start byte inside a damaged frame may begin the real reply (the first one was noise
    // or page data): read on from there.
    if (!f.good) f.resynchronising = replayFrom(0, held);
}

bool FrameAssembler::replayFrom(int from, int held)
{
    const auto first = m_raw.begin() + from, last = m_raw.begin() + held;
    const auto next = std::find(first, last, kStartByte);
    if (next == last) return false;
    m_replay.insert(m_replay.begin(), next, last);
    return true;
}

bool FrameAssembler::innerFrame(ReceivedFrame &frame) const
{
    if (!m_inFrame) return false;
    for (int i = 0; i < m_count; ++i)
        if (m_raw[std::size_t(i)] == kStartByte && readFrame(m_raw.data() + i + 1, m_count - i - 1, frame) &&
            frame.good)
            return true;
    return false;
}

void FrameAssembler::dropFalseStart(std::vector<ReceivedFrame> &out)
{
    if (!m_inFrame) return;
    const int held = m_count;
    m_inFrame = false;
    m_count = 0;
    if (!replayFrom(0, held)) m_skipped += std::size_t(held) + 1;
    drain(out);
}

bool FrameAssembler::header(std::uint8_t &command, std::int32_t &address, int &length) const
{
    if (!m_inFrame || m_count < 7) return false;
    command = m_raw[0];
    address = std::int32_t(std::uint32_t(m_raw[1]) << 24 | std::uint32_t(m_raw[2]) << 16 |
                           std::uint32_t(m_raw[3]) << 8 | std::uint32_t(m_raw[4]));
    length = m_length;
    return true;
}

void FrameAssembler::reset()
{
    m_inFrame = false;
    m_count = 0;
    m_length = 0;
    m_replay.clear();
}

} // namespace zc
