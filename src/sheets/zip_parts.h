// The parts of a zipped workbook (.xlsx, .ods), read with liborcus's zip reader. The
// unpacked sizes an archive declares can be checked before anything is unpacked, so a
// small file cannot demand gigabytes of memory.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <memory>

namespace orcus {
class zip_archive;
class zip_archive_stream_blob;
} // namespace orcus

namespace zc {

class ZipParts
{
public:
    ZipParts();
    ~ZipParts();

    // Sum of the unpacked sizes the archive's directory declares; -1 when the directory
    // is missing or broken.
    static qint64 declaredUnpackedSize(const QByteArray &bytes);

    // Loads the archive's directory; returns "" or why the archive cannot be used.
    QString open(const QByteArray &bytes);
    bool contains(const QString &name) const { return m_names.contains(name); }
    // The unpacked part; on failure an empty array and *error says why.
    QByteArray read(const QString &name, QString *error) const;

private:
    QByteArray m_bytes;
    std::unique_ptr<orcus::zip_archive_stream_blob> m_stream;
    std::unique_ptr<orcus::zip_archive> m_archive;
    QSet<QString> m_names;
};

} // namespace zc
