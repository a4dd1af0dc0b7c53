#include "words/port_words.h"

#include "link/comm.h"
#include "link/port_discovery.h"

namespace zc {

QString portAdvice(const PortProblem &p)
{
    using Kind = PortProblem::Kind;
    switch (p.kind) {
    case Kind::None:
        break;
    case Kind::NoPortChosen:
        return QStringLiteral("No serial port is chosen. Pick the port the unit is connected to.");
    case Kind::NoDevice:
        return QStringLiteral("There is no serial device %1. Check the cable and the port name.").arg(p.path);
    case Kind::NotAllowed:
        return QStringLiteral("You are not allowed to use %1. Add your user to the %2 group "
                              "(sudo usermod -aG %2 $USER), then log out and log in again.")
            .arg(p.path, p.group);
    case Kind::OwnedByOther:
        return QStringLiteral(
                   "You are not allowed to use %1: it belongs to %2:%3 with mode %4, so joining a "
                   "group does not help. Let a udev rule give you access (the package's "
                   "60-zarvento-cp210x.rules does so for the unit's CP210x USB bridge), or run the "
                   "program as root.")
            .arg(p.path, p.owner, p.group, p.mode);
    case Kind::InUse:
        return QStringLiteral("%1 is in use by another program. Close that program and try again.")
            .arg(p.path);
    case Kind::NotSerial:
        return QStringLiteral("%1 is not a serial port.").arg(p.path);
    case Kind::Failed:
        return QStringLiteral("%1: %2").arg(p.path, p.detail);
    case Kind::BadAddress:
        return QStringLiteral("%1: %2.").arg(p.path, p.detail);
    case Kind::Lost:
        return QStringLiteral("The connection to %1 was lost and the port was closed. Check the cable, then "
                              "open the port again.")
            .arg(p.path);
    case Kind::LostRemote:
        return QStringLiteral(
                   "The connection to %1 was lost (%2) and the port was closed. Check the network and "
                   "the serial server, then open the port again.")
            .arg(p.path, p.detail);
    }
    return {};
}

QString portAdvice(const ECommsError &error)
{
    return error.problem().kind != PortProblem::Kind::None ? portAdvice(error.problem()) : error.reason();
}

QString portShown(const PortEntry &port)
{
    return port.simulated ? QStringLiteral("Simulated unit (%1)").arg(port.name) : port.name;
}

} // namespace zc
