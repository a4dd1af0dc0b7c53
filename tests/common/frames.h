// Frames written out independently of the code under test, for golden comparisons and for
// feeding the reply handler and the simulated unit: start byte 0x23, command, 4-byte address,
// 2-byte length, data, and the XOR of everything after the start byte.
#pragma once

#include <QByteArray>

namespace zc::test {

inline QByteArray frame(quint8 command, quint32 address, const QByteArray &data)
{
    QByteArray f;
    f.append(char(0x23));
    f.append(char(command));
    for (int shift : {24, 16, 8, 0})
        f.append(char((address >> shift) & 0xFF));
    f.append(char((data.size() >> 8) & 0xFF));
    f.append(char(data.size() & 0xFF));
    f.append(data);
    char sum = 0;
    for (qsizetype i = 1; i < f.size(); ++i)
        sum ^= f[i];
    f.append(sum);
    return f;
}

inline QByteArray readRequest(quint32 address)
{
    return frame(0x83, address, {});
}

inline QByteArray writeRequest(quint32 address, const QByteArray &page)
{
    return frame(0x82, address, page);
}

// A recognisable 256-byte page.
inline QByteArray pattern(int seed)
{
    QByteArray p(256, '\0');
    for (int i = 0; i < 256; ++i)
        p[i] = char((i * 7 + seed) & 0xFF);
    return p;
}

} // namespace zc::test
