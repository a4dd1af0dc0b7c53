#include "link/port_discovery.h"

#include "link/published_devices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace zc {

QString PortEntry::vidPid() const
{
    if (vendorId < 0 || productId < 0) return {};
    return QStringLiteral("%1:%2")
        .arg(vendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'));
}

QString byIdLink(const QString &path, const QString &byIdFolder)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty()) return {};
    const QDir dir(byIdFolder);
    for (const QFileInfo &fi :
         dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (fi.isSymLink() && fi.canonicalFilePath() == device) return fi.absoluteFilePath();
    return {};
}

QList<PortEntry> Trecognitionserial::discover() const
{
    QList<PortEntry> out;
    auto ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(),
              [](const QSerialPortInfo &a, const QSerialPortInfo &b) { return a.portName() < b.portName(); });
    const auto entry = [](const QSerialPortInfo &p) {
        PortEntry e{p.portName(), p.systemLocation()};
        e.usbSerial = p.serialNumber();
        if (p.hasVendorIdentifier()) e.vendorId = p.vendorIdentifier();
        if (p.hasProductIdentifier()) e.productId = p.productIdentifier();
        e.byIdPath = byIdLink(p.systemLocation());
        return e;
    };
    // USB bridges first (a unit plugged in is what the user most likely wants), then the
    // simulated units, then built-in ports such as ttyS0 that rarely carry a unit.
    for (const auto &p : ports)
        if (p.hasVendorIdentifier()) out.append(entry(p));
    for (const auto &d : publishedDevices()) {
        PortEntry e{d.name, d.path};
        e.simulated = true;
        e.usbSerial = d.usbSerial;
        out.append(e);
    }
    for (const auto &p : ports)
        if (!p.hasVendorIdentifier()) out.append(entry(p));
    return out;
}

} // namespace zc
