#include "cli/remote_options.h"

#include <CLI/CLI.hpp>

#include <QFileInfo>

namespace zc::cli {

TlsFiles RemoteArgs::files() const
{
    return {QString::fromStdString(ca), QString::fromStdString(cert), QString::fromStdString(key)};
}

void addRemoteOptions(CLI::App *cmd, RemoteArgs &a)
{
    cmd->add_option("--tls-ca", a.ca,
                    "For a +tls:// port: the certificate authority (PEM) the server's certificate must be "
                    "signed by (default: the system's)")
        ->type_name("FILE");
    cmd->add_option("--tls-cert", a.cert, "For a +tls:// port: the client certificate (PEM) to present")
        ->type_name("FILE");
    cmd->add_option("--tls-key", a.key, "The private key (PEM) of --tls-cert")->type_name("FILE");
    cmd->add_flag("--plaintext", a.plaintext,
                  "Allow socket:// and rfc2217:// to another machine: the password crosses the network "
                  "unencrypted");
}

QString remoteProblem(const std::vector<std::string> &ports, const RemoteArgs &a)
{
    bool anyTls = false;
    for (const std::string &p : ports) {
        const QString given = QString::fromStdString(p);
        if (!PortAddress::looksRemote(given)) continue;
        QString error;
        const PortAddress address = PortAddress::parse(given, &error);
        if (!address.remote()) return QStringLiteral("the port %1: %2").arg(given, error);
        anyTls = anyTls || address.tls;
        if (address.plaintextAcrossNetwork() && !a.plaintext)
            return QStringLiteral(
                       "%1 is a plain connection to another machine: the unit's password would cross "
                       "the network readable by anyone on the way. Use %2 (TLS) or an ssh tunnel, or "
                       "give --plaintext to allow it")
                .arg(given, given.left(given.indexOf(QLatin1String("://"))) + QStringLiteral("+tls://") +
                                given.mid(given.indexOf(QLatin1String("://")) + 3));
    }
    const TlsFiles f = a.files();
    if ((!f.ca.isEmpty() || !f.cert.isEmpty() || !f.key.isEmpty()) && !anyTls)
        return QStringLiteral(
            "--tls-ca, --tls-cert and --tls-key are for socket+tls:// and rfc2217+tls:// ports");
    if (f.cert.isEmpty() != f.key.isEmpty()) return QStringLiteral("give --tls-cert and --tls-key together");
    for (const QString &file : {f.ca, f.cert, f.key})
        if (!file.isEmpty() && !QFileInfo(file).isReadable())
            return QStringLiteral("%1 cannot be read").arg(file);
    return {};
}

} // namespace zc::cli
