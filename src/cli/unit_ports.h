// The ports the command line can name, and how the name a user gives becomes the device
// a job opens.
#pragma once

#include <QList>
#include <QString>

namespace zc::cli {

// A port the window's port list would offer, with what identifies the unit behind it.
struct PortName
{
    QString name;      // what the list shows
    QString path;      // what is opened
    QString usbSerial; // the USB serial number; empty when unknown
    QString vidPid;    // "10c4:ea60"; empty when not a USB port
    QString byId;      // its /dev/serial/by-id link; empty when none
};
QList<PortName> listPorts();

// A port as the user gave it, resolved to the device to open.
struct ResolvedPort
{
    QString path;      // the device to open; empty with an error
    QString usbSerial; // the USB serial number of the port, when known
    QString error;     // why the port names no device (serial:NUMBER matched none or several)
};
// "serial:NUMBER" is the one port whose USB serial number is NUMBER. A name with a "/" is
// a path as given (a relative one from the current folder). A bare name is a simulated
// unit's published name or a name the port list shows, else the device /dev/NAME. Port
// names are never split at ":" otherwise: by-path names hold it.
ResolvedPort resolvePort(const QString &port);

} // namespace zc::cli
