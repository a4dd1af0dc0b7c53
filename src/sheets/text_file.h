// Text files the tool reads (the list CSV file, JSON): UTF-8, with or without a byte-order
// mark. Files saved as UTF-16 or in an 8-bit character set are refused with the reason,
// rather than read as characters nobody typed.
#pragma once

#include <QByteArray>
#include <QString>

namespace zc::TextFile {

// The largest file read, text or workbook: far above any file this tool writes (a full
// number list workbook is about 30 KB), and low enough that reading the largest accepted
// file stays within a few hundred MB of memory.
inline constexpr qint64 kMaxFileBytes = 10 << 20;

// Reads the whole file at path into bytes when it is no larger than kMaxFileBytes; returns
// "" or why not.
QString read(const QString &path, QByteArray &bytes);

// Drops a UTF-8 byte-order mark at the start of bytes; returns "" or why the bytes are no
// UTF-8 text ("the file is UTF-16 text; ...", "line 3 is not UTF-8 text; ...").
QString takeUtf8(QByteArray &bytes);

} // namespace zc::TextFile
