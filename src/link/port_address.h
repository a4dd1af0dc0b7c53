// The one reading of a port as the user writes it, shared by the window and the command
// line: a serial device ("/dev/ttyUSB0", "ttyUSB0", "serial:NUMBER") or a unit behind a
// network serial server: "socket://HOST:PORT" (raw TCP), "rfc2217://HOST:PORT" (telnet with
// the COM-port option), and either over TLS as "socket+tls://" and "rfc2217+tls://".
#pragma once

#include <QString>

namespace zc {

struct PortAddress
{
    enum class Kind { Serial, Socket, Rfc2217 };
    Kind kind = Kind::Serial;
    bool tls = false;
    QString host;     // without brackets for an IPv6 address
    quint16 port = 0; // the TCP port
    QString given;    // the port as written

    bool remote() const { return kind != Kind::Serial; }
    // The host is this machine (localhost, 127.0.0.0/8, ::1): nothing crosses a network.
    bool loopback() const;
    // A plain (not TLS) connection to another machine: the password would cross the network
    // readable by anyone on the way.
    bool plaintextAcrossNetwork() const { return remote() && !tls && !loopback(); }

    // Reads text. A text without a scheme is a serial port, taken as it is. A network form
    // with a missing or bad host or port gives Kind::Serial and the reason in *error.
    static PortAddress parse(const QString &text, QString *error = nullptr);
    // The text names a network port (it starts with one of the schemes), well formed or not.
    static bool looksRemote(const QString &text);
};

// The files a TLS connection uses; empty names mean: the system's certificate store, and no
// client certificate.
struct TlsFiles
{
    QString ca;   // the certificate authority that signed the server's certificate (PEM)
    QString cert; // the client certificate presented to the server (PEM)
    QString key;  // its private key (PEM, not encrypted)
    bool operator==(const TlsFiles &) const = default;
};

} // namespace zc
