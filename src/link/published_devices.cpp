#include "link/published_devices.h"

#include <QDir>
#include <QFile>
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

QString publishedSerialPath(const QString &name)
{
    return publishDir() + QStringLiteral("/.") + name + QStringLiteral(".usb-serial");
}

QList<PublishedDevice> publishedDevices()
{
    QList<PublishedDevice> out;
    const QDir dir(publishDir());
    for (const QFileInfo &fi :
         dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!fi.isSymLink() || !QFileInfo::exists(fi.symLinkTarget())) continue;
        QString serial;
        QFile file(publishedSerialPath(fi.fileName()));
        // A serial number is one short line; anything else there is no serial number.
        if (file.open(QIODevice::ReadOnly) && file.size() <= 256)
            serial = QString::fromUtf8(file.readAll()).trimmed();
        out.append({fi.fileName(), fi.absoluteFilePath(), serial});
    }
    return out;
}

} // namespace zc
