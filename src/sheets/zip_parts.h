// The parts of a zipped workbook (.xlsx, .ods). The archive's directory is read and checked
// before anything is unpacked: every part must lie inside the file, declare a sane unpacked
// size and use a method a workbook uses (stored or deflated). A part is unpacked with zlib
// into a buffer that never grows past the size it declares, so a small file that lies about
// its sizes is refused instead of costing gigabytes of memory.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace zc {

class ZipParts
{
public:
    // No part of a workbook of this tool comes near this; the whole archive may unpack to
    // WorkbookReader::MaxUnpackedBytes.
    static constexpr qint64 MaxPartBytes = 16 << 20;

    // Sum of the unpacked sizes the archive's directory declares; -1 when the directory
    // is missing or broken.
    static qint64 declaredUnpackedSize(const QByteArray &bytes);

    // Reads and checks the archive's directory; returns "" or why the archive cannot be used.
    QString open(const QByteArray &bytes);
    bool contains(const QString &name) const { return m_entries.contains(name); }
    // The unpacked part; on failure an empty array and *error says why.
    QByteArray read(const QString &name, QString *error) const;

private:
    struct Entry
    {
        qint64 localHeader = 0;
        qint64 packedSize = 0;
        qint64 size = 0;
        quint32 crc = 0;
        int method = 0;
        int flags = 0;
    };
    QByteArray m_bytes;
    QHash<QString, Entry> m_entries;
};

} // namespace zc
