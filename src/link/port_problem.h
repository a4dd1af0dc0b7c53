// Why a port would not open, or was lost, as facts: the kind and the names and values the
// user needs. The window and the command line word them (words/port_words.h).
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace zc {

struct PortProblem
{
    enum class Kind {
        None,
        NoPortChosen, // no port name was given
        NoDevice,     // there is no device at `path`
        NotAllowed,   // the user may not use `path`; joining `group` would let them
        OwnedByOther, // `path` belongs to `owner`:`group` with `mode`: joining a group does not help
        InUse,        // another program holds `path`
        NotSerial,    // `path` is not a serial port
        Failed,       // `path` would not open: `detail` is the system's text
        BadAddress,   // the port name `path` is no network address: `detail` says why
        Lost,         // the device `path` went away while open
        LostRemote,   // the connection to `path` was lost: `detail` says how
        LostTaken,    // the connection to `path` was lost: its serial server serves another client

        // A network port (`path` is the port name as given, `at` the server's host:port,
        // `host` its host name; `file` a TLS file; `detail` the system's text):
        NoTls,              // this computer offers no TLS library for `path`
        CaUnreadable,       // the certificate authority `file` cannot be read
        NoCertificate,      // `file` holds no certificate
        CertWithoutKey,     // a client certificate without its key, or a key without its certificate
        KeyUnreadable,      // the key `file` cannot be read
        NoKey,              // `file` holds no unencrypted private key
        NotSigned,          // the certificate of `host` is not signed by `file` (empty: any trusted)
        CertExpired,        // the certificate of `host` expired on `date`
        CertNotYetValid,    // the certificate of `host` is valid only from `date`
        CertWrongName,      // the certificate of `host` is made out to `names`
        CertUnverified,     // the certificate of `host` does not verify: `detail`
        NoAnswer,           // `at` did not answer within `seconds`
        NothingListens,     // `at` refused the connection
        HostUnknown,        // `host` is not known
        ConnectFailed,      // connecting to `at` failed: `detail`
        TlsTimeout,         // `at` did not complete a TLS handshake within `seconds`
        TlsFailed,          // the TLS handshake with `at` failed: `detail`
        ServerDeviceFailed, // the serial server at `at` cannot open its device: `detail`
        ClosedAtOnce,       // `path` closed the connection at once after the TLS handshake
    };
    PortProblem() = default;
    PortProblem(Kind kind, const QString &path = {}, const QString &detail = {})
        : kind(kind), path(path), detail(detail)
    {
    }

    Kind kind = Kind::None;
    QString path; // the device, or the port name as given
    QString detail;
    QString owner, group, mode; // NotAllowed: group; OwnedByOther: all three
    QString at, host, file;     // a network port's, as its kind says
    QStringList names;          // CertWrongName: the names the certificate is made out to
    QDateTime date;             // CertExpired, CertNotYetValid
    int seconds = 0;            // NoAnswer, TlsTimeout
};

} // namespace zc

Q_DECLARE_METATYPE(zc::PortProblem)
