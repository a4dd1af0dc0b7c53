#include "link/port_address.h"

#include <QHostAddress>
#include <QUrl>

namespace zc {

namespace {

struct Scheme
{
    const char *prefix;
    PortAddress::Kind kind;
    bool tls;
};

constexpr Scheme kSchemes[] = {
    {"socket://", PortAddress::Kind::Socket, false},
    {"rfc2217://", PortAddress::Kind::Rfc2217, false},
    {"socket+tls://", PortAddress::Kind::Socket, true},
    {"rfc2217+tls://", PortAddress::Kind::Rfc2217, true},
};

const Scheme *schemeOf(const QString &text)
{
    for (const Scheme &s : kSchemes)
        if (text.startsWith(QLatin1String(s.prefix), Qt::CaseInsensitive)) return &s;
    return nullptr;
}

} // namespace

bool PortAddress::loopback() const
{
    if (!remote()) return true;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress a(host);
    return !a.isNull() && a.isLoopback();
}

bool PortAddress::looksRemote(const QString &text)
{
    return schemeOf(text.trimmed()) != nullptr;
}

PortAddress PortAddress::parse(const QString &text, QString *error)
{
    PortAddress a;
    a.given = text;
    const Scheme *s = schemeOf(text.trimmed());
    if (!s) return a;
    const QString rest = text.trimmed().mid(int(qstrlen(s->prefix)));
    const auto fail = [&](const QString &why) {
        if (error) *error = why;
        PortAddress serial;
        serial.given = text;
        return serial;
    };
    // HOST:PORT, [IPv6]:PORT; a trailing "/" is forgiven, anything after it is not.
    QString hostPort = rest;
    if (hostPort.endsWith(u'/')) hostPort.chop(1);
    if (hostPort.contains(u'/') || hostPort.contains(u'@') || hostPort.contains(u'?'))
        return fail(QStringLiteral("%1 is not HOST:PORT").arg(rest));
    const qsizetype colon = hostPort.lastIndexOf(u':');
    if (colon <= 0) return fail(QStringLiteral("%1 has no port number (write HOST:PORT)").arg(text));
    QString host = hostPort.left(colon);
    bool ok = false;
    const uint port = hostPort.mid(colon + 1).toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return fail(QStringLiteral("%1 has no valid port number (1 to 65535)").arg(text));
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        host = host.mid(1, host.size() - 2);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return fail(QStringLiteral("%1 is not an IPv6 address").arg(host));
    } else if (host.contains(u':')) {
        return fail(QStringLiteral("write an IPv6 address in brackets: [%1]").arg(host));
    }
    const QUrl url(QStringLiteral("http://") + (host.contains(u':') ? u'[' + host + u']' : host),
                   QUrl::StrictMode);
    if (host.isEmpty() || !url.isValid() || url.host().isEmpty())
        return fail(QStringLiteral("%1 names no host").arg(text));
    a.kind = s->kind;
    a.tls = s->tls;
    a.host = host;
    a.port = quint16(port);
    if (error) error->clear();
    return a;
}

} // namespace zc
