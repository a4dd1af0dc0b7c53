// The traffic log for work with a real unit: every block written to the port and every
// block read from it, and every reply frame the assembler completes, as hex with a time
// stamp. Off by default; QT_LOGGING_RULES="zarvento.link.debug=true" turns it on.
#pragma once

#include <QByteArray>
#include <QLoggingCategory>

namespace zc {

Q_DECLARE_LOGGING_CATEGORY(lcLink)

// Logs one line "HH:mm:ss.zzz <what> <hex bytes>" when the category is enabled; with a
// label (the port, when one program drives several) "HH:mm:ss.zzz <label>: <what> ...".
void logTraffic(const char *what, const char *bytes, qsizetype count, const QString &label = {});

} // namespace zc
