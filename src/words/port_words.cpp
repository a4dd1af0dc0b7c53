#include "words/port_words.h"

#include "link/open_verdict.h"
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
    case Kind::LostTaken:
        return portAdvice(
            PortProblem(Kind::LostRemote, p.path,
                        QStringLiteral("the serial server says it is in use by another program")));
    case Kind::NoTls:
        return QStringLiteral("This computer offers Qt no TLS library (OpenSSL 3 is needed for %1).")
            .arg(p.path);
    case Kind::CaUnreadable:
        return QStringLiteral("The certificate authority file %1 cannot be read.").arg(p.file);
    case Kind::NoCertificate:
        return QStringLiteral("%1 holds no certificate (PEM).").arg(p.file);
    case Kind::CertWithoutKey:
        return QStringLiteral(
            "A client certificate needs its key, and a key its certificate: give both files.");
    case Kind::KeyUnreadable:
        return QStringLiteral("The key file %1 cannot be read.").arg(p.file);
    case Kind::NoKey:
        return QStringLiteral("%1 holds no unencrypted private key (PEM).").arg(p.file);
    case Kind::NotSigned:
        return QStringLiteral("The certificate of %1 is not signed by %2.")
            .arg(p.host, p.file.isEmpty() ? QStringLiteral("any certificate authority this computer trusts")
                                          : p.file);
    case Kind::CertExpired:
        return QStringLiteral("The certificate of %1 expired on %2.")
            .arg(p.host, p.date.toString(Qt::ISODate));
    case Kind::CertNotYetValid:
        return QStringLiteral("The certificate of %1 is valid only from %2.")
            .arg(p.host, p.date.toString(Qt::ISODate));
    case Kind::CertWrongName:
        return QStringLiteral("The certificate of %1 is made out to %2, not to %1.")
            .arg(p.host,
                 p.names.isEmpty() ? QStringLiteral("another name") : p.names.join(QStringLiteral(", ")));
    case Kind::CertUnverified:
        return QStringLiteral("The certificate of %1 does not verify: %2.").arg(p.host, p.detail);
    case Kind::NoAnswer:
        return QStringLiteral(
                   "%1 did not answer within %2 seconds. Check the address and that the host can be "
                   "reached.")
            .arg(p.at)
            .arg(p.seconds);
    case Kind::NothingListens:
        return QStringLiteral(
                   "Nothing listens at %1 (the connection was refused). Check that the serial server "
                   "runs there and serves that port.")
            .arg(p.at);
    case Kind::HostUnknown:
        return QStringLiteral("The host %1 is not known. Check its name.").arg(p.host);
    case Kind::ConnectFailed:
        return QStringLiteral("%1: %2").arg(p.at, p.detail);
    case Kind::TlsTimeout:
        return QStringLiteral("%1 did not complete a TLS handshake within %2 seconds: is it a TLS port?")
            .arg(p.at)
            .arg(p.seconds);
    case Kind::TlsFailed:
        return QStringLiteral("The TLS handshake with %1 failed: %2").arg(p.at, p.detail);
    case Kind::ServerDeviceFailed:
        return QStringLiteral("The serial server at %1 cannot open its serial device (%2).")
            .arg(p.at, p.detail);
    case Kind::ClosedAtOnce:
        return QStringLiteral(
                   "%1 closed the connection at once: it is in use by another program, or the server "
                   "did not accept this computer's client certificate.")
            .arg(p.path);
    }
    return {};
}

QString portAdvice(const ECommsError &error)
{
    return portAdvice(error.problem());
}

QString portShown(const PortEntry &port)
{
    return port.simulated ? QStringLiteral("Simulated unit (%1)").arg(port.name) : port.name;
}

} // namespace zc
