// What every command writes: lines and files on standard output, errors on stderr, and an
// export to a file or to standard output.
#pragma once

#include "cli/unit_job.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace zc {
class Sheet;
}

namespace zc::cli {

void errorLine(const QString &line);
// A moment as the command line prints it: "2024-05-06 08:30".
QString minuteText(const QDateTime &t);
// Writes to standard output; false, after saying why on stderr, when not all got there.
bool outBytes(const QByteArray &bytes);
bool outText(const QString &line);
// "zarvento-cli: message" on stderr; Exit::Usage.
Exit refuse(const QString &message);

// -o and --format as the read commands take them: output "-" (or empty with a format)
// means standard output, which needs a format; otherwise the suffix names the type and a
// format must agree with it. "" or the message; type receives the type ("json", "csv", "xlsx").
QString exportType(std::string &output, const std::string &format, const QStringList &types, QString &type);

// Writes the export of the given type to path or standard output ("-"): bytes for json and
// csv, the sheet for xlsx. "" or the message.
QString writeExport(const QString &path, const QString &type, const std::function<QByteArray()> &bytes,
                    const std::function<Sheet()> &sheet);

} // namespace zc::cli
