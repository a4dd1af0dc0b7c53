#include "sheets/text_file.h"

#include <QFile>

namespace zc::TextFile {

namespace {

// UTF-16 without a byte-order mark: text whose every other byte is 0 (Latin letters, digits
// and punctuation), looked for in the first bytes.
bool looksUtf16(const QByteArray &bytes)
{
    const qsizetype n = qMin<qsizetype>(bytes.size(), 512) & ~qsizetype(1);
    if (n < 4) return false;
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < n; i += 2) {
        even += bytes[i] == 0;
        odd += bytes[i + 1] == 0;
    }
    return qMax(even, odd) * 4 >= n; // half of one side's bytes are 0
}

// Where the first byte that is not part of a well-formed UTF-8 sequence is; -1 for none.
qsizetype firstInvalid(const QByteArray &bytes)
{
    const auto at = [&bytes](qsizetype i) { return quint8(bytes[i]); };
    for (qsizetype i = 0; i < bytes.size();) {
        const quint8 c = at(i);
        int more = 0;
        quint32 least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1, least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, least = 0x10000;
        } else {
            return i;
        }
        if (i + more >= bytes.size()) return i;
        quint32 code = c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            if ((at(i + k) & 0xC0) != 0x80) return i;
            code = code << 6 | (at(i + k) & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
        i += more + 1;
    }
    return -1;
}

} // namespace

QString read(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    if (file.size() > kMaxFileBytes)
        return QStringLiteral("the file is larger than %1 MB").arg(kMaxFileBytes >> 20);
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return file.errorString();
    return {};
}

QString takeUtf8(QByteArray &bytes)
{
    const QString saveAs = QStringLiteral("save it as UTF-8 text");
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || looksUtf16(bytes))
        return QStringLiteral("the file is UTF-16 text; ") + saveAs;
    const qsizetype bad = firstInvalid(bytes);
    if (bad < 0) return {};
    // Name the line (a "Ä" saved in a Windows character set).
    return QStringLiteral("line %1 is not UTF-8 text (it was saved in another character set); ")
               .arg(bytes.left(bad).count('\n') + 1) +
           saveAs;
}

} // namespace zc::TextFile
