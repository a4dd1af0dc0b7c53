#include "link/port_discovery.h"

#include "link/published_devices.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace zc {

QList<PortEntry> Trecognitionserial::discover() const
{
    QList<PortEntry> out;
    auto ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(),
              [](const QSerialPortInfo &a, const QSerialPortInfo &b) { return a.portName() < b.portName(); });
    // USB bridges first (a unit plugged in is what the user most likely wants), then the
    // simulated units, then built-in ports such as ttyS0 that rarely carry a unit.
    for (const auto &p : ports)
        if (p.hasVendorIdentifier())
            out.append({p.portName(), p.systemLocation()});
    for (const auto &d : publishedDevices())
        out.append({QStringLiteral("Simulated unit (%1)").arg(d.name), d.path});
    for (const auto &p : ports)
        if (!p.hasVendorIdentifier())
            out.append({p.portName(), p.systemLocation()});
    return out;
}

} // namespace zc
