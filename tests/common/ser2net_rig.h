// A real ser2net on loopback in front of a simulated unit's pseudo-terminal, the way a
// gate host serves a unit: raw TCP, RFC 2217 and either over TLS, one client at a time.
// ser2net runs from a generated YAML on free ports; it dies with the test process
// whatever way that ends. TlsFiles makes a certificate authority, a server certificate
// for 127.0.0.1 signed by it, and a second authority that signed nothing.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace zc::test {

// A port no one listens on now (the kernel's pick, released at once).
inline quint16 freeLoopbackPort()
{
    QTcpServer s;
    if (!s.listen(QHostAddress::LocalHost, 0)) qFatal("no free loopback port");
    return s.serverPort();
}

struct SiteCertificates
{
    QTemporaryDir dir;
    QString ca, serverCert, serverKey, otherCa;

    SiteCertificates()
    {
        ca = dir.filePath(QStringLiteral("site-ca.pem"));
        otherCa = dir.filePath(QStringLiteral("other-ca.pem"));
        serverCert = dir.filePath(QStringLiteral("gate.pem"));
        serverKey = dir.filePath(QStringLiteral("gate.key"));
        QFile ext(dir.filePath(QStringLiteral("ext.cnf")));
        if (!ext.open(QIODevice::WriteOnly)) qFatal("ext.cnf");
        ext.write("subjectAltName=IP:127.0.0.1\n");
        ext.close();
        const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        openssl(QStringList{"req", "-x509"} + ec +
                QStringList{"-keyout", dir.filePath("site-ca.key"), "-out", ca, "-days", "2", "-subj",
                            "/CN=Site CA"});
        openssl(QStringList{"req", "-x509"} + ec +
                QStringList{"-keyout", dir.filePath("other-ca.key"), "-out", otherCa, "-days", "2", "-subj",
                            "/CN=Other CA"});
        openssl(
            QStringList{"req"} + ec +
            QStringList{"-keyout", serverKey, "-out", dir.filePath("gate.csr"), "-subj", "/CN=127.0.0.1"});
        openssl({"x509", "-req", "-in", dir.filePath("gate.csr"), "-CA", ca, "-CAkey",
                 dir.filePath("site-ca.key"), "-CAcreateserial", "-out", serverCert, "-days", "2", "-extfile",
                 ext.fileName()});
    }
    void openssl(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral("openssl"), args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            qFatal("openssl %s: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
    }
};

class Ser2net
{
public:
    enum Layer { Raw, Telnet, TlsRaw, TlsTelnet };
    struct Accepter
    {
        QString device;
        Layer layer = Raw;
    };

    // One accepter per layer, each on its own free port, all in front of device: port(layer).
    explicit Ser2net(const QString &device, const SiteCertificates *tls = nullptr)
        : Ser2net(
              tls ? QList<Accepter>{{device, Raw}, {device, Telnet}, {device, TlsRaw}, {device, TlsTelnet}}
                  : QList<Accepter>{{device, Raw}, {device, Telnet}},
              tls)
    {
    }
    // The accepters given, each on its own free port: port(index).
    explicit Ser2net(const QList<Accepter> &accepters, const SiteCertificates *tls = nullptr)
        : m_accepters(accepters)
    {
        QString yaml;
        for (int i = 0; i < accepters.size(); ++i) {
            const Layer layer = accepters[i].layer;
            m_ports.append(freeLoopbackPort());
            QString accepter = QStringLiteral("tcp(nodelay),127.0.0.1,%1").arg(m_ports[i]);
            if (layer >= TlsRaw)
                accepter =
                    QStringLiteral("ssl(key=%1,cert=%2),").arg(tls->serverKey, tls->serverCert) + accepter;
            if (layer == Telnet || layer == TlsTelnet)
                accepter = QStringLiteral("telnet(rfc2217),") + accepter;
            yaml += QStringLiteral("connection: &c%1\n"
                                   "  accepter: %2\n"
                                   "  connector: serialdev,%3,115200n81,local\n"
                                   "  options:\n"
                                   "    chardelay: false\n"
                                   "    max-connections: 1\n")
                        .arg(i)
                        .arg(accepter, accepters[i].device);
        }
        QFile f(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!f.open(QIODevice::WriteOnly)) qFatal("ser2net.yaml");
        f.write(yaml.toUtf8());
        f.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        // ser2net goes with the test, however the test ends.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("ser2net"),
                        {"-n", "-c", f.fileName(), "-P", m_dir.filePath(QStringLiteral("ser2net.pid"))});
        if (!m_process.waitForStarted(5000)) qFatal("ser2net does not start (is it installed?)");
        // Listening once a connection is accepted; closed at once, it costs ser2net nothing.
        for (int tries = 0; tries < 200; ++tries) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_ports.last());
            if (probe.waitForConnected(100)) {
                probe.abort();
                QThread::msleep(50); // ser2net lets the device go
                return;
            }
            QThread::msleep(20);
        }
        qFatal("ser2net does not listen: %s", m_process.readAll().constData());
    }
    ~Ser2net() { stop(); }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    quint16 port(int index) const { return m_ports[index]; }
    QString address(int index, const char *host = "127.0.0.1") const
    {
        static const char *schemes[] = {"socket", "rfc2217", "socket+tls", "rfc2217+tls"};
        return QStringLiteral("%1://%2:%3")
            .arg(QLatin1String(schemes[m_accepters[index].layer]), QLatin1String(host))
            .arg(m_ports[index]);
    }

private:
    QList<Accepter> m_accepters;
    QTemporaryDir m_dir;
    QProcess m_process;
    QList<quint16> m_ports;
};

} // namespace zc::test
