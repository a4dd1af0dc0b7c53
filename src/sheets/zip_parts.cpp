#include "sheets/zip_parts.h"

#include <zlib.h>

#include <algorithm>

namespace zc {

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50, kDirectoryEntry = 0x02014b50, kLocalHeader = 0x04034b50;
constexpr int kStored = 0, kDeflated = 8;
constexpr int kEncrypted = 0x1;

// A little-endian number of width bytes at `at`; the caller has checked the bounds.
quint32 le(const QByteArray &b, qint64 at, int width)
{
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | quint8(b.at(at + i));
    return v;
}

// Offset of the end-of-directory record, searched from the end over the longest comment; -1 if none.
qint64 endOfDirectory(const QByteArray &b)
{
    for (qint64 i = b.size() - 22; i >= 0 && i >= b.size() - 22 - 0xFFFF; --i)
        if (le(b, i, 4) == kEndOfDirectory) return i;
    return -1;
}

} // namespace

qint64 ZipParts::declaredUnpackedSize(const QByteArray &b)
{
    const qint64 end = endOfDirectory(b);
    if (end < 0) return -1;
    const quint32 entries = le(b, end + 10, 2);
    qint64 at = le(b, end + 16, 4);
    qint64 total = 0;
    for (quint32 e = 0; e < entries; ++e) {
        if (at + 46 > end || le(b, at, 4) != kDirectoryEntry) return -1;
        total += le(b, at + 24, 4);
        at += 46 + qint64(le(b, at + 28, 2)) + le(b, at + 30, 2) + le(b, at + 32, 2);
    }
    return total;
}

QString ZipParts::open(const QByteArray &bytes)
{
    m_bytes = bytes;
    m_entries.clear();
    const QString broken = QStringLiteral("the zip archive is broken");
    const qint64 end = endOfDirectory(bytes);
    if (end < 0) return broken;
    const quint32 count = le(bytes, end + 10, 2);
    qint64 at = le(bytes, end + 16, 4);
    for (quint32 e = 0; e < count; ++e) {
        if (at < 0 || at + 46 > end || le(bytes, at, 4) != kDirectoryEntry) return broken;
        const qint64 nameSize = le(bytes, at + 28, 2);
        const qint64 next = at + 46 + nameSize + le(bytes, at + 30, 2) + le(bytes, at + 32, 2);
        if (next > end) return broken;
        Entry entry;
        entry.flags = int(le(bytes, at + 8, 2));
        entry.method = int(le(bytes, at + 10, 2));
        entry.crc = le(bytes, at + 16, 4);
        entry.packedSize = le(bytes, at + 20, 4);
        entry.size = le(bytes, at + 24, 4);
        entry.localHeader = le(bytes, at + 42, 4);
        const QString name = QString::fromUtf8(bytes.constData() + at + 46, nameSize);
        // Sizes are checked before anything is allocated for the part: packed data must lie
        // inside the file, and no part may claim more than a workbook could need.
        if (entry.localHeader + 30 > end || entry.packedSize > end - entry.localHeader - 30)
            return QStringLiteral("the part %1 claims %2 bytes that the file does not hold")
                .arg(name.left(80))
                .arg(entry.packedSize);
        if (entry.size > MaxPartBytes)
            return QStringLiteral(
                       "the part %1 would unpack to %2 MB, more than the %3 MB a workbook part may take")
                .arg(name.left(80))
                .arg(entry.size >> 20)
                .arg(MaxPartBytes >> 20);
        if (!m_entries.contains(name)) m_entries.insert(name, entry);
        at = next;
    }
    return {};
}

QByteArray ZipParts::read(const QString &name, QString *error) const
{
    const auto it = m_entries.constFind(name);
    if (it == m_entries.cend()) {
        *error = QStringLiteral("the part %1 is missing").arg(name);
        return {};
    }
    const Entry &e = *it;
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("the part %1 %2").arg(name, why);
        return QByteArray();
    };
    if (e.flags & kEncrypted) return fail(QStringLiteral("is encrypted"));
    if (e.method != kStored && e.method != kDeflated)
        return fail(QStringLiteral("is packed with a method workbooks do not use (%1)").arg(e.method));
    // The local header repeats the name and carries an extra field of its own length.
    const qint64 h = e.localHeader;
    if (h + 30 > m_bytes.size() || le(m_bytes, h, 4) != kLocalHeader)
        return fail(QStringLiteral("has no valid local header"));
    const qint64 data = h + 30 + le(m_bytes, h + 26, 2) + le(m_bytes, h + 28, 2);
    if (data > m_bytes.size() || e.packedSize > m_bytes.size() - data)
        return fail(QStringLiteral("runs past the end of the file"));

    QByteArray out;
    if (e.method == kStored) {
        if (e.packedSize != e.size) return fail(QStringLiteral("has inconsistent sizes"));
        out = m_bytes.mid(data, e.size);
    } else {
        // Raw deflate into a buffer of the declared size and one spare byte: output that
        // reaches the spare byte means the directory lies, and the part is refused rather
        // than followed.
        out.resize(e.size + 1);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return fail(QStringLiteral("cannot be unpacked"));
        const char *in = m_bytes.constData() + data;
        qint64 inLeft = e.packedSize;
        z.next_out = reinterpret_cast<Bytef *>(out.data());
        z.avail_out = uInt(out.size());
        int rc = Z_OK;
        // Input is fed in slices so that sizes fit zlib's counters.
        while (rc == Z_OK && z.avail_out > 0) {
            if (z.avail_in == 0 && inLeft > 0) {
                const qint64 slice = std::min<qint64>(inLeft, 1 << 20);
                z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in));
                z.avail_in = uInt(slice);
                in += slice;
                inLeft -= slice;
            }
            rc = inflate(&z, Z_NO_FLUSH);
        }
        const qint64 produced = qint64(z.total_out);
        inflateEnd(&z);
        if (produced > e.size) return fail(QStringLiteral("unpacks to more than it declares"));
        if (rc != Z_STREAM_END) return fail(QStringLiteral("cannot be unpacked (its data is damaged)"));
        if (produced != e.size) return fail(QStringLiteral("unpacks to another size than it declares"));
        out.resize(produced);
    }
    if (crc32(0L, reinterpret_cast<const Bytef *>(out.constData()), uInt(out.size())) != e.crc)
        return fail(QStringLiteral("is damaged (its checksum does not match)"));
    return out;
}

} // namespace zc
