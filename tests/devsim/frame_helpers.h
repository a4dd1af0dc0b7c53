// Frames written out independently of the code under test, for golden comparisons.
#pragma once

#include <QByteArray>

namespace zc::devsim::test {

inline QByteArray frame(quint8 command, quint32 address, const QByteArray &data)
{
    QByteArray f;
    f.append(char(0x23));
    f.append(char(command));
    for (int shift : {24, 16, 8, 0})
        f.append(char((address >> shift) & 0xFF));
    f.append(char(data.size() >> 8));
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

} // namespace zc::devsim::test
