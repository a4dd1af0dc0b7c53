#include "sheets/csv_field.h"

namespace zc::Csv {

QByteArray field(QByteArray bytes)
{
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
        return '"' + bytes.replace('"', "\"\"") + '"';
    return bytes;
}

QString eachLine(const QByteArray &bytes, const std::function<QString(const QList<QByteArray> &)> &onLine)
{
    QList<QByteArray> line;
    QByteArray fieldBytes;
    int taken = 0;
    bool quoted = false, wasQuoted = false;
    const auto endField = [&] {
        line << fieldBytes;
        fieldBytes.clear();
        wasQuoted = false;
    };
    const auto endLine = [&] {
        endField();
        ++taken;
        const QString why = onLine(line);
        line.clear();
        return why;
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
            if (const QString why = endLine(); !why.isEmpty()) return why;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            fieldBytes += c;
        }
    }
    if (quoted) return QStringLiteral("a quoted field in line %1 is never closed").arg(taken + 1);
    if (!fieldBytes.isEmpty() || !line.isEmpty()) return endLine();
    return {};
}

QList<QList<QByteArray>> lines(const QByteArray &bytes, int maxLines, QString *error)
{
    QList<QList<QByteArray>> out;
    const QString why = eachLine(bytes, [&](const QList<QByteArray> &line) {
        out << line;
        return out.size() > maxLines ? QStringLiteral("the file holds more than %1 lines").arg(maxLines)
                                     : QString();
    });
    if (why.isEmpty()) return out;
    if (error) *error = why;
    return {};
}

} // namespace zc::Csv
