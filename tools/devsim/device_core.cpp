#include "devsim/device_core.h"

#include "link/frame.h"

#include <QDateTime>

namespace zc::devsim {

DeviceCore::DeviceCore(const Options &options) : m_options(options), m_memory(options.preset)
{
    if (m_options.seeds.isEmpty()) return;
    QByteArray image = m_memory.image();
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString &rule : m_options.seeds)
        seedImage(rule, image, now);
    m_memory.setImage(image);
}

QByteArray DeviceCore::buildFrame(quint8 command, quint32 address, const QByteArray &data)
{
    std::array<std::uint8_t, kMaxData> payload{};
    const int n = int(qMin<qsizetype>(data.size(), kMaxData));
    std::copy_n(reinterpret_cast<const std::uint8_t *>(data.constData()), n, payload.begin());
    const FrameBytes f = buildRequest(command, address, n, payload.data());
    return QByteArray(reinterpret_cast<const char *>(f.bytes.data()), f.size);
}

DeviceCore::Result DeviceCore::receive(QByteArrayView bytes)
{
    Result result;
    if (m_vanished) return result;
    for (const QByteArray &request : m_assembler.feed(bytes)) {
        ++m_requestCount;
        if (m_requests.size() >= kKeptRequests) m_requests.removeFirst();
        m_requests.append(request);
        Reply reply = answer(request, &result.memoryChanged);
        const bool vanish = reply.vanish;
        result.replies.append(std::move(reply));
        if (vanish) {
            m_vanished = true;
            m_assembler.reset();
            break;
        }
    }
    return result;
}

DeviceCore::Reply DeviceCore::answer(const QByteArray &request, bool *changed)
{
    const int k = m_requestCount;
    const auto *raw = reinterpret_cast<const quint8 *>(request.constData());
    const quint8 command = raw[1];
    const quint32 address =
        (quint32(raw[2]) << 24) | (quint32(raw[3]) << 16) | (quint32(raw[4]) << 8) | raw[5];
    const int n = (raw[6] << 8) | raw[7];
    const QByteArray data = request.mid(kHeaderSize, n);
    const bool refused = k == m_options.refuseWrite;

    Reply reply;
    reply.request = k;
    reply.requestSize = int(request.size());
    reply.vanish = k == m_options.vanishAfter;
    if (k == m_options.lateReply) reply.extraDelayMs = m_options.lateMs;
    if (k == m_options.injectAt) {
        reply.injected = m_options.inject;
        reply.injectOffset = m_options.injectOffset;
    }

    QByteArray replyData;
    switch (command) {
    case kCmdReadBlock:
        replyData = m_memory.page(address);
        break;
    case kCmdWriteBlock: {
        QByteArray stored = data;
        // A unit whose memory fails: it acknowledges the page but keeps it changed.
        if (k == m_options.corruptStore && !stored.isEmpty()) stored[0] = char(stored[0] ^ 0x01);
        const bool ok = !refused && n == kPageSize && m_memory.writePage(address, stored);
        *changed |= ok;
        replyData = QByteArray(1, ok ? '\x01' : '\x00');
        break;
    }
    case kCmdDeleteHistory:
        if (!refused) {
            m_memory.eraseHistory();
            *changed = true;
        }
        replyData = QByteArray(1, refused ? '\x00' : '\x01');
        break;
    default:
        return reply;
    }
    // A stray acknowledgement answers nothing the tool asked.
    if (k == m_options.strayAck)
        reply.noise = buildFrame(kCmdWriteBlock, address ^ 0x100, QByteArray(1, '\x01'));
    if (k == m_options.dropReply || (m_options.trickleFrom > 0 && k >= m_options.trickleFrom)) return reply;

    reply.frame = buildFrame(command, address, replyData);
    if (k == m_options.corruptReply) reply.frame.back() = char(~reply.frame.back());
    if (k == m_options.duplicateReply) reply.frame += reply.frame;
    if (m_options.noise) {
        // A few deterministic garbage bytes; never a start byte, so the frame is still found.
        auto next = [this] {
            m_noiseState ^= m_noiseState << 13;
            m_noiseState ^= m_noiseState >> 17;
            m_noiseState ^= m_noiseState << 5;
            return m_noiseState;
        };
        const int count = 2 + int(next() % 4);
        for (int i = 0; i < count; ++i) {
            char b = char(next() & 0xFF);
            if (quint8(b) == kStartByte) b = char(0x00);
            reply.noise.append(b);
        }
        if (m_options.falseHeaders) {
            // A start byte and a plausible header whose length runs into the real reply. Its
            // checksum never happens to match, so the frame it pretends to be is damaged.
            QByteArray header = QByteArray::fromHex("2383");
            for (int i = 0; i < 4; ++i) {
                const char b = char(next() & 0x7F);
                header.append(b == char(kStartByte) ? char(0) : b);
            }
            int n = 1 + int(next() % 255);
            for (;; n = n % 256 + 1) {
                const QByteArray stream = header + QByteArray(2, '\0') + reply.frame;
                if (stream.size() < n + 9) break;
                std::uint8_t sum = 0x83 ^ 0x00 ^ std::uint8_t(n);
                for (int i = 2; i < 6; ++i)
                    sum ^= std::uint8_t(header[i]);
                for (int i = 8; i < n + 8; ++i)
                    sum ^= std::uint8_t(stream[i]);
                if (sum != std::uint8_t(stream[n + 8])) break;
            }
            header.append(char(0x00));
            header.append(char(n & 0xFF));
            reply.noise += header;
        }
    }
    return reply;
}

} // namespace zc::devsim
