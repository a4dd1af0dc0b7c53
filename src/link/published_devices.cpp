#include "link/published_devices.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace zc {

QString publishDir()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/zarvento-devsim");
    return QStringLiteral("/tmp/zarvento-devsim-%1").arg(getuid());
}

QList<PublishedDevice> publishedDevices()
{
    QList<PublishedDevice> out;
    const QDir dir(publishDir());
    for (const QFileInfo &fi : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!fi.isSymLink() || !QFileInfo::exists(fi.symLinkTarget()))
            continue;
        out.append({fi.fileName(), fi.absoluteFilePath()});
    }
    return out;
}

} // namespace zc
