// The port list: the serial ports the system knows (a CP210x bridge shows as ttyUSB0)
// followed by the simulated units that zarvento-devsim publishes in its runtime folder.
// The port list shows each in words (words/port_words.h). Each entry also carries what
// identifies the unit behind it when the system knows it:
// the USB serial number, the vendor and product ids, and its stable /dev/serial/by-id link.
#pragma once

#include <QList>
#include <QString>

namespace zc {

struct PortEntry
{
    QString name;           // the system's name of the port, or the simulated unit's name
    QString path;           // what is opened
    bool simulated = false; // a unit that zarvento-devsim publishes
    QString usbSerial;      // the USB serial number; empty when unknown
    int vendorId = -1;      // the USB vendor id; -1 when not a USB port
    int productId = -1;     // the USB product id; -1 when not a USB port
    QString byIdPath;       // the /dev/serial/by-id link to the port; empty when none

    // "10c4:ea60", or empty when not a USB port.
    QString vidPid() const;
};

class Trecognitionserial
{
public:
    QList<PortEntry> discover() const;
};

// The link in byIdFolder (normally /dev/serial/by-id) that leads to the device `path`;
// empty when none does.
QString byIdLink(const QString &path, const QString &byIdFolder = QStringLiteral("/dev/serial/by-id"));

} // namespace zc
