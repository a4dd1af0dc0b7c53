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
    if (!m_rec.GetInFrame()) {
        if (b == kStartByte) {
            m_rec.SetInFrame(1);
            m_rec.byteCount = 0;
        } else {
            ++m_skipped;
        }
        return;
    }
    m_rec.raw[std::size_t(m_rec.byteCount)] = b;
    if (m_rec.byteCount == 6) {
        m_rec.recDataLength = (m_rec.raw[5] << 8) | m_rec.raw[6];
        // No request asks for more than one page: a longer frame is a false start, given up
        // as soon as its length is known.
        if (m_rec.recDataLength > kMaxData) {
            const int held = 7;
            m_rec.SetInFrame(0);
            m_rec.byteCount = 0;
            if (!replayFrom(0, held)) m_skipped += std::size_t(held) + 1;
            return;
        }
    }
    ++m_rec.byteCount;
    if (m_rec.byteCount >= 8 && m_rec.byteCount == m_rec.recDataLength + 8) complete(out);
}

void FrameAssembler::complete(std::vector<ReceivedFrame> &out)
{
    const int held = m_rec.byteCount;
    m_rec.SetInFrame(0);
    m_rec.byteCount = 0;
    // The completed frame's fields go into the receive record, whose checksum is computed
    // over them and compared with the one received.
    const int n = m_rec.recDataLength;
    m_rec.SetCommand(m_rec.raw[0]);
    std::copy(m_rec.raw.begin() + 1, m_rec.raw.begin() + 5, m_rec.address.begin());
    m_rec.dataLength = {m_rec.raw[5], m_rec.raw[6]};
    std::copy(m_rec.raw.begin() + 7, m_rec.raw.begin() + 7 + n, m_rec.data.begin());
    m_rec.SetReceivedChecksum(m_rec.raw[std::size_t(7 + n)]);
    m_rec.CalcChecksum();
    ReceivedFrame &f = out.emplace_back();
    readFrame(m_rec.raw.data(), held, f);
    f.good = m_rec.checksum == m_rec.GetReceivedChecksum();
    // A start byte inside a damaged frame may begin the real reply (the first one was noise
    // or page data): read on from there.
    if (!f.good) f.resynchronising = replayFrom(0, held);
}

bool FrameAssembler::replayFrom(int from, int held)
{
    const auto first = m_rec.raw.begin() + from, last = m_rec.raw.begin() + held;
    const auto next = std::find(first, last, kStartByte);
    if (next == last) return false;
    m_replay.insert(m_replay.begin(), next, last);
    return true;
}

bool FrameAssembler::innerFrame(ReceivedFrame &frame) const
{
    if (!inFrame()) return false;
    for (int i = 0; i < m_rec.byteCount; ++i)
        if (m_rec.raw[std::size_t(i)] == kStartByte &&
            readFrame(m_rec.raw.data() + i + 1, m_rec.byteCount - i - 1, frame) && frame.good)
            return true;
    return false;
}

void FrameAssembler::dropFalseStart(std::vector<ReceivedFrame> &out)
{
    if (!inFrame()) return;
    const int held = m_rec.byteCount;
    m_rec.SetInFrame(0);
    m_rec.byteCount = 0;
    if (!replayFrom(0, held)) m_skipped += std::size_t(held) + 1;
    drain(out);
}

bool FrameAssembler::header(std::uint8_t &command, std::int32_t &address, int &length) const
{
    if (!inFrame() || m_rec.byteCount < 7) return false;
    const auto &raw = m_rec.raw;
    command = raw[0];
    address = std::int32_t(std::uint32_t(raw[1]) << 24 | std::uint32_t(raw[2]) << 16 |
                           std::uint32_t(raw[3]) << 8 | std::uint32_t(raw[4]));
    length = m_rec.recDataLength;
    return true;
}

void FrameAssembler::reset()
{
    m_rec.SetInFrame(0);
    m_rec.byteCount = 0;
    m_rec.recDataLength = 0;
    m_replay.clear();
}

} // namespace zc
