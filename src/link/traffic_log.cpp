#include "link/traffic_log.h"

#include <QTime>

namespace zc {

Q_LOGGING_CATEGORY(lcLink, "zarvento.link", QtWarningMsg)

void logTraffic(const char *what, const char *bytes, qsizetype count, const QString &label)
{
    if (!lcLink().isDebugEnabled()) return;
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    if (label.isEmpty())
        qCDebug(lcLink).noquote() << time << what << QByteArray(bytes, count).toHex(' ');
    else
        qCDebug(lcLink).noquote() << time << label + QLatin1Char(':') << what
                                  << QByteArray(bytes, count).toHex(' ');
}

} // namespace zc
