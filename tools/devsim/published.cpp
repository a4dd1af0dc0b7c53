#include "published.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace zc::devsim {

QString publishDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/zarvento-devsim");
    return QStringLiteral("/tmp/zarvento-devsim-%1").arg(getuid());
}

QList<PublishedDevice> publishedDevices()
{
    QList<PublishedDevice> devices;
    const QDir dir(publishDir());
    const auto entries = dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &fi : entries) {
        if (fi.isSymLink() && QFileInfo::exists(fi.symLinkTarget()))
            devices.append({fi.fileName(), fi.absoluteFilePath()});
    }
    return devices;
}

} // namespace zc::devsim
