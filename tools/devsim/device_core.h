// The unit's protocol behaviour without any I/O: received bytes in, reply frames out.
//  - read block (0x83): the 256-byte page at the address; an address that is not a page of
//    the map is answered with no data (N = 0);
//  - write block (0x82): stores the page and answers one data byte, 0x01 when accepted,
//    0x00 when refused (not a page of the map, N other than 256, or an injected refusal);
//  - delete history (0x85): erases the whole log to 0xFF and answers 0x01 (0x00 when refused);
//  - any other command gets no reply.
// A reply repeats the request's command and address. Faults that change bytes (refusal,
// dropped reply, inverted checksum, noise) are applied here; timing is up to the transport.
#pragma once

#include "devsim/device_memory.h"
#include "devsim/options.h"
#include "devsim/request_assembler.h"

#include <QByteArray>
#include <QList>

namespace zc::devsim {

class DeviceCore
{
public:
    // The most recent request frames kept for inspection; the count goes on beyond it.
    static constexpr int kKeptRequests = 10000;

    struct Reply
    {
        int request = 0;     // 1-based number of the request it answers
        int requestSize = 0; // bytes of that request frame
        QByteArray noise;    // garbage to send before the frame
        QByteArray frame;    // empty: nothing is sent
        bool vanish = false; // the unit disappears once this is sent
        int extraDelayMs = 0; // a late reply
        QByteArray injected;  // bytes put into the reply at injectOffset, or sent alone
        int injectOffset = 0;
    };
    struct Result
    {
        QList<Reply> replies;
        bool memoryChanged = false;
    };

    explicit DeviceCore(const Options &options = {});

    // Takes received bytes in any chunking; after the vanishing request nothing more is taken.
    Result receive(QByteArrayView bytes);
    void abandonPartialFrame() { m_assembler.reset(); }
    bool inFrame() const { return m_assembler.inFrame(); }
    bool vanished() const { return m_vanished; }
    // The unit is back (a new pseudo-terminal): answer again, from a clean frame state.
    void resume()
    {
        m_vanished = false;
        m_assembler.reset();
    }

    int requestCount() const { return m_requestCount; }
    const QList<QByteArray> &requests() const { return m_requests; }

    DeviceMemory &memory() { return m_memory; }
    const DeviceMemory &memory() const { return m_memory; }

    static QByteArray buildFrame(quint8 command, quint32 address, const QByteArray &data);

private:
    Reply answer(const QByteArray &request, bool *changed);

    Options m_options;
    DeviceMemory m_memory;
    RequestAssembler m_assembler;
    QList<QByteArray> m_requests;
    int m_requestCount = 0;
    bool m_vanished = false;
    quint32 m_noiseState = 0x2545F491u;
};

} // namespace zc::devsim
