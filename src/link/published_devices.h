// Simulated units announce themselves as symbolic links in one runtime folder, so the
// tool's port list can offer them by name (a pseudo-terminal is never listed by the system).
// A unit started with a USB serial number keeps it beside its link, in the hidden file
// ".NAME.usb-serial", which the port list never shows as a port.
#pragma once

#include <QList>
#include <QString>

namespace zc {

struct PublishedDevice
{
    QString name;      // the link's file name
    QString path;      // the link itself, which opens the pseudo-terminal
    QString usbSerial; // the USB serial number the simulated unit was given; empty when none
};

// $XDG_RUNTIME_DIR/zarvento-devsim when that folder exists, else /tmp/zarvento-devsim-<uid>.
QString publishDir();
// The file beside the link `name` that holds its USB serial number.
QString publishedSerialPath(const QString &name);
// The live links in publishDir(), sorted by name; dangling links are skipped.
QList<PublishedDevice> publishedDevices();

} // namespace zc
