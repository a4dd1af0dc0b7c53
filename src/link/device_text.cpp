#include "link/device_text.h"

namespace zc::DeviceText {

namespace {

// Length of the valid UTF-8 sequence at p (1..4), or 0 when the bytes there are not one.
// Sequences that would decode into the private-use block used for raw bytes count as
// invalid, so that such bytes also survive a round trip.
int validSequence(const unsigned char *p, int avail, char32_t &cp)
{
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    int len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (avail < len) return 0;
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if (cp >= kRawBase && cp <= kRawBase + 0xFF) return 0;
    return len;
}

void appendCodePoint(QString &out, char32_t cp)
{
    if (cp >= 0x10000) {
        out.append(QChar(char16_t(0xD800 + ((cp - 0x10000) >> 10))));
        out.append(QChar(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF))));
    } else {
        out.append(QChar(char16_t(cp)));
    }
}

// The bytes of the character starting at index i of text; advances i past it.
QByteArray charBytes(const QString &text, qsizetype &i)
{
    const char16_t u = text.at(i).unicode();
    if (u >= kRawBase && u <= kRawBase + 0xFF) {
        ++i;
        return QByteArray(1, char(u - kRawBase));
    }
    qsizetype n = 1;
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) n = 2;
    QByteArray b = text.mid(i, n).toUtf8();
    i += n;
    return b;
}

} // namespace

QString fromBytes(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int n = int(bytes.size());
    for (int i = 0; i < n;) {
        char32_t cp = 0;
        const int len = validSequence(p + i, n - i, cp);
        if (len == 0) {
            out.append(QChar(char16_t(kRawBase + p[i])));
            ++i;
        } else {
            appendCodePoint(out, cp);
            i += len;
        }
    }
    return out;
}

QByteArray toBytes(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();)
        out += charBytes(text, i);
    return out;
}

QByteArray toBytesCut(const QString &text, int maxBytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const QByteArray c = charBytes(text, i);
        if (out.size() + c.size() > maxBytes) break;
        out += c;
    }
    return out;
}

QString cut(const QString &text, int maxBytes)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype start = i;
        bytes += charBytes(text, i).size();
        if (bytes > maxBytes) return text.left(start);
    }
    return text;
}

QString printable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString password(const std::uint8_t *page1)
{
    return fromBytes(QByteArray(reinterpret_cast<const char *>(page1), kPasswordBytes));
}

} // namespace zc::DeviceText
