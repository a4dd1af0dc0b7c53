// Collects request frames from the received byte stream, in any chunking: bytes before a
// start byte 0x23 are ignored, a 0x23 inside a frame is content, the frame's length field
// says where it ends. Frames announcing more than 256 data bytes and frames whose checksum
// does not match are dropped, and the search for the next start byte begins after them.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace zc::devsim {

class RequestAssembler
{
public:
    // Every complete frame with a good checksum, start byte and checksum included.
    QList<QByteArray> feed(QByteArrayView bytes);
    // Forgets a partly received frame.
    void reset() { m_frame.clear(); }
    bool inFrame() const { return !m_frame.isEmpty(); }
    int droppedFrames() const { return m_dropped; }

private:
    QByteArray m_frame;
    int m_dropped = 0;
};

} // namespace zc::devsim
