#include "sheets/csv_field.h"

namespace zc::Csv {

QByteArray field(QByteArray bytes)
{
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
        return '"' + bytes.replace('"', "\"\"") + '"';
    return bytes;
}

QList<QList<QByteArray>> lines(const QByteArray &bytes, int maxLines, QString *error)
{
    QList<QList<QByteArray>> out;
    QList<QByteArray> line;
    QByteArray fieldBytes;
    bool quoted = false, wasQuoted = false;
    const auto endField = [&] {
        line << fieldBytes;
        fieldBytes.clear();
        wasQuoted = false;
    };
    const auto endLine = [&] {
        endField();
        out << line;
        line.clear();
    };
    const auto fail = [error](const QString &why) {
        if (error) *error = why;
        return QList<QList<QByteArray>>{};
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"')
                fieldBytes += c;
            else if (i + 1 < bytes.size() && bytes[i + 1] == '"')
                fieldBytes += bytes[++i];
            else
                quoted = false;
        } else if (c == '"' && fieldBytes.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\r' || c == '\n') {
            endLine();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            fieldBytes += c;
        }
        if (out.size() > maxLines)
            return fail(QStringLiteral("the file holds more than %1 lines").arg(maxLines));
    }
    if (quoted) return fail(QStringLiteral("a quoted field in line %1 is never closed").arg(out.size() + 1));
    if (!fieldBytes.isEmpty() || !line.isEmpty()) endLine();
    if (out.size() > maxLines) return fail(QStringLiteral("the file holds more than %1 lines").arg(maxLines));
    return out;
}

} // namespace zc::Csv
