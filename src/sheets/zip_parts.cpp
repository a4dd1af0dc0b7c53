#include "sheets/zip_parts.h"

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <vector>

namespace zc {

namespace {

quint32 le(const QByteArray &b, qint64 at, int width)
{
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | quint8(b.at(at + i));
    return v;
}

} // namespace

qint64 ZipParts::declaredUnpackedSize(const QByteArray &b)
{
    const qint64 n = b.size();
    qint64 end = -1;
    for (qint64 i = n - 22; i >= 0 && i >= n - 22 - 0xFFFF; --i)
        if (le(b, i, 4) == 0x06054b50) {
            end = i;
            break;
        }
    if (end < 0) return -1;
    const quint32 entries = le(b, end + 10, 2);
    qint64 at = le(b, end + 16, 4);
    qint64 total = 0;
    for (quint32 e = 0; e < entries; ++e) {
        if (at + 46 > end || le(b, at, 4) != 0x02014b50) return -1;
        total += le(b, at + 24, 4);
        at += 46 + qint64(le(b, at + 28, 2)) + le(b, at + 30, 2) + le(b, at + 32, 2);
    }
    return total;
}

namespace {

QString describe(const std::exception &e)
{
    // liborcus's zip errors often carry no text.
    const QString what = QString::fromUtf8(e.what()).trimmed();
    return what.isEmpty() || what == QLatin1String("std::exception")
               ? QStringLiteral("the zip archive is broken")
               : what;
}

} // namespace

ZipParts::ZipParts() = default;
ZipParts::~ZipParts() = default;

QString ZipParts::open(const QByteArray &bytes)
{
    m_bytes = bytes;
    try {
        m_stream = std::make_unique<orcus::zip_archive_stream_blob>(
            reinterpret_cast<const uint8_t *>(m_bytes.constData()), std::size_t(m_bytes.size()));
        m_archive = std::make_unique<orcus::zip_archive>(m_stream.get());
        m_archive->load();
        for (std::size_t i = 0; i < m_archive->get_file_entry_count(); ++i) {
            const std::string_view name = m_archive->get_file_entry_name(i);
            m_names.insert(QString::fromUtf8(name.data(), qsizetype(name.size())));
        }
    } catch (const std::exception &e) {
        m_archive.reset();
        return describe(e);
    } catch (...) {
        m_archive.reset();
        return QStringLiteral("the zip archive is broken");
    }
    return {};
}

QByteArray ZipParts::read(const QString &name, QString *error) const
{
    if (!m_archive || !contains(name)) {
        *error = QStringLiteral("the part %1 is missing").arg(name);
        return {};
    }
    try {
        std::vector<unsigned char> buf;
        if (m_archive->read_file_entry(name.toStdString(), buf)) {
            // The unpacked buffer comes with a terminating NUL.
            while (!buf.empty() && buf.back() == 0)
                buf.pop_back();
            return QByteArray(reinterpret_cast<const char *>(buf.data()), qsizetype(buf.size()));
        }
        *error = QStringLiteral("the part %1 cannot be unpacked").arg(name);
    } catch (const std::exception &e) {
        *error = QStringLiteral("%1 (in %2)").arg(describe(e), name);
    } catch (...) {
        *error = QStringLiteral("the part %1 cannot be unpacked").arg(name);
    }
    return {};
}

} // namespace zc
