#include "link/traffic_log.h"

#include <QTime>

namespace zc {

Q_LOGGING_CATEGORY(lcLink, "zarvento.link", QtWarningMsg)

void logTraffic(const char *what, const char *bytes, qsizetype count)
{
    if (!lcLink().isDebugEnabled())
        return;
    qCDebug(lcLink).noquote() << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << what
                              << QByteArray(bytes, count).toHex(' ');
}

} // namespace zc
