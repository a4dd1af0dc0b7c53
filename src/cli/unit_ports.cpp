#include "cli/unit_ports.h"

#include "link/port_address.h"
#include "link/port_discovery.h"
#include "link/published_devices.h"
#include "words/port_words.h"

#include <QFileInfo>
#include <QStringList>

namespace zc::cli {

QList<PortName> listPorts()
{
    QList<PortName> out;
    for (const PortEntry &p : Trecognitionserial().discover())
        out.append({portShown(p), p.path, p.usbSerial, p.vidPid(), p.byIdPath});
    return out;
}

ResolvedPort resolvePort(const QString &port)
{
    // A network port is opened as written; its form is checked before any unit is.
    if (PortAddress::looksRemote(port)) return {port, {}, {}};
    const QList<PortName> ports = listPorts();
    static const QLatin1String kSerial("serial:");
    if (port.startsWith(kSerial)) {
        const QString number = port.mid(kSerial.size());
        QStringList matches;
        ResolvedPort found;
        for (const PortName &p : ports)
            if (!number.isEmpty() && p.usbSerial == number) {
                matches << p.path;
                found = {p.path, p.usbSerial, {}};
            }
        if (matches.size() == 1) return found;
        if (matches.isEmpty())
            return {{},
                    {},
                    QStringLiteral("no port has the USB serial number %1 ('zarvento-cli ports' lists them)")
                        .arg(number)};
        return {{},
                {},
                QStringLiteral("%1 ports have the USB serial number %2 (%3): give the port's path instead")
                    .arg(matches.size())
                    .arg(number, matches.join(QStringLiteral(", ")))};
    }
    QString path;
    if (port.contains(u'/')) {
        path = QFileInfo(port).absoluteFilePath();
    } else {
        for (const PublishedDevice &d : publishedDevices())
            if (d.name == port) path = d.path;
        for (const PortName &p : ports)
            if (path.isEmpty() && p.name == port) path = p.path;
        if (path.isEmpty()) path = QStringLiteral("/dev/") + port;
    }
    // The USB serial number of the device, whichever name it was given by.
    const QString device = QFileInfo(path).canonicalFilePath();
    for (const PortName &p : ports)
        if (!device.isEmpty() && QFileInfo(p.path).canonicalFilePath() == device && !p.usbSerial.isEmpty())
            return {path, p.usbSerial, {}};
    return {path, {}, {}};
}

} // namespace zc::cli
