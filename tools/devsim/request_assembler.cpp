#include "devsim/request_assembler.h"

#include "link/frame.h"

namespace zc::devsim {

QList<QByteArray> RequestAssembler::feed(QByteArrayView bytes)
{
    QList<QByteArray> frames;
    for (const char c : bytes) {
        if (m_frame.isEmpty()) {
            if (quint8(c) == kStartByte) m_frame.append(c);
            continue;
        }
        m_frame.append(c);
        if (m_frame.size() < kHeaderSize) continue;
        const int n = (quint8(m_frame[6]) << 8) | quint8(m_frame[7]);
        if (n > kMaxData) {
            m_frame.clear();
            ++m_dropped;
            continue;
        }
        if (m_frame.size() < kHeaderSize + n + 1) continue;
        const auto *raw = reinterpret_cast<const std::uint8_t *>(m_frame.constData());
        if (xorChecksum(raw + 1, std::size_t(kHeaderSize - 1 + n)) == raw[kHeaderSize + n])
            frames.append(m_frame);
        else
            ++m_dropped;
        m_frame.clear();
    }
    return frames;
}

} // namespace zc::devsim
