#include "link/net_port.h"

#include "link/comm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QThread>

#include <sys/ioctl.h>

namespace zc {

namespace {

const QString kOpenFailed = QStringLiteral("Error opening serial port");

// What ser2net says to a client it will not serve, before it closes the connection ("Port
// already in use", "Port's device already in use" when another accepter holds the device).
const QByteArray kInUse = QByteArrayLiteral("already in use");
const QByteArray kDeviceFailure = QByteArrayLiteral("Device open failure");

[[noreturn]] void fail(const QString &reason)
{
    throw ECommsError(kOpenFailed, reason);
}

QString where(const PortAddress &a)
{
    return a.host.contains(u':') ? QStringLiteral("[%1]:%2").arg(a.host).arg(a.port)
                                 : QStringLiteral("%1:%2").arg(a.host).arg(a.port);
}

bool notSigned(QSslError::SslError e)
{
    switch (e) {
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::CertificateUntrusted:
    case QSslError::CertificateSignatureFailed:
    case QSslError::UnableToDecryptCertificateSignature:
    case QSslError::InvalidCaCertificate:
    case QSslError::CertificateRejected:
        return true;
    default:
        return false;
    }
}

} // namespace

NetPort::NetPort(QObject *parent) : QObject(parent)
{
    connect(&m_socket, &QIODevice::readyRead, this, &NetPort::onReadyRead);
    connect(&m_socket, &QAbstractSocket::disconnected, this, &NetPort::onGone);
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // A wait that found nothing yet is not a failure of the connection.
        if (e != QAbstractSocket::SocketTimeoutError) onGone();
    });
}

NetPort::~NetPort()
{
    disconnect(&m_socket, nullptr, this, nullptr);
    m_socket.abort();
}

void NetPort::configureTls(const TlsFiles &tls)
{
    if (!QSslSocket::supportsSsl())
        fail(tr("This computer offers Qt no TLS library (OpenSSL 3 is needed for %1).").arg(m_address.given));
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    if (!tls.ca.isEmpty()) {
        if (!QFileInfo(tls.ca).isReadable())
            fail(tr("The certificate authority file %1 cannot be read.").arg(tls.ca));
        const QList<QSslCertificate> cas = QSslCertificate::fromPath(tls.ca, QSsl::Pem);
        if (cas.isEmpty()) fail(tr("%1 holds no certificate (PEM).").arg(tls.ca));
        // Only this authority: the server must be the site's, not any the system trusts.
        conf.setCaCertificates(cas);
    }
    if (tls.cert.isEmpty() != tls.key.isEmpty())
        fail(tr("A client certificate needs its key, and a key its certificate: give both files."));
    if (!tls.cert.isEmpty()) {
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(tls.cert, QSsl::Pem);
        if (certs.isEmpty()) fail(tr("%1 holds no certificate (PEM).").arg(tls.cert));
        QFile f(tls.key);
        if (!f.open(QIODevice::ReadOnly)) fail(tr("The key file %1 cannot be read.").arg(tls.key));
        const QByteArray pem = f.readAll();
        QSslKey key(pem, QSsl::Rsa);
        if (key.isNull()) key = QSslKey(pem, QSsl::Ec);
        if (key.isNull()) fail(tr("%1 holds no unencrypted private key (PEM).").arg(tls.key));
        conf.setLocalCertificate(certs.front());
        conf.setPrivateKey(key);
    }
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    m_socket.setSslConfiguration(conf);
    m_socket.setPeerVerifyName(m_address.host);
}

QString NetPort::tlsRefusal(const TlsFiles &tls) const
{
    const QList<QSslError> errors = m_socket.sslHandshakeErrors();
    const QString host = m_address.host;
    const QString signer = tls.ca.isEmpty() ? tr("any certificate authority this computer trusts")
                                            : QFileInfo(tls.ca).fileName();
    for (const QSslError &e : errors)
        if (notSigned(e.error())) return tr("The certificate of %1 is not signed by %2.").arg(host, signer);
    for (const QSslError &e : errors) {
        const QSslCertificate &c = e.certificate();
        switch (e.error()) {
        case QSslError::CertificateExpired:
            return tr("The certificate of %1 expired on %2.").arg(host, c.expiryDate().toString(Qt::ISODate));
        case QSslError::CertificateNotYetValid:
            return tr("The certificate of %1 is valid only from %2.")
                .arg(host, c.effectiveDate().toString(Qt::ISODate));
        case QSslError::HostNameMismatch: {
            const QStringList names = c.subjectInfo(QSslCertificate::CommonName);
            return tr("The certificate of %1 is made out to %2, not to %1.")
                .arg(host, names.isEmpty() ? tr("another name") : names.join(QStringLiteral(", ")));
        }
        default:
            break;
        }
    }
    if (!errors.isEmpty())
        return tr("The certificate of %1 does not verify: %2.").arg(host, errors.front().errorString());
    return {};
}

void NetPort::open(const PortAddress &address, const TlsFiles &tls)
{
    close();
    m_address = address;
    m_opening = true;
    struct Opening
    {
        bool &flag;
        ~Opening() { flag = false; }
    } opening{m_opening};
    QElapsedTimer clock;
    clock.start();
    // A server lets its device go a moment after its last client left: a program that
    // closed the port and opens it again at once (a script's next command) would be told
    // that the port is in use. Asking again for a second tells that from a real holder.
    while (!connectOnce(address, tls, clock)) {
        if (clock.elapsed() > kInUseRetryMs && m_closedSilently)
            fail(
                tr("%1 closed the connection at once: it is in use by another program, or the server did not "
                   "accept this computer's client certificate.")
                    .arg(address.given));
        if (clock.elapsed() > kInUseRetryMs)
            fail(tr("%1 is in use by another program. Close that program and try again.").arg(address.given));
        QThread::msleep(100);
    }
    m_open = true;
}

bool NetPort::connectOnce(const PortAddress &address, const TlsFiles &tls, const QElapsedTimer &clock)
{
    m_telnet = TelnetCodec();
    const QString at = where(address);
    QElapsedTimer attempt;
    attempt.start();
    const auto left = [&clock] { return int(qMax<qint64>(1, kConnectMs - clock.elapsed())); };
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (address.tls) {
        configureTls(tls);
        m_socket.connectToHostEncrypted(address.host, address.port);
    } else {
        m_socket.connectToHost(address.host, address.port);
    }
    if (!m_socket.waitForConnected(left())) {
        const QAbstractSocket::SocketError error = m_socket.error();
        const QString text = m_socket.errorString();
        m_socket.abort();
        switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            fail(tr("Nothing listens at %1 (the connection was refused). Check that the serial server runs "
                    "there and serves that port.")
                     .arg(at));
        case QAbstractSocket::HostNotFoundError:
            fail(tr("The host %1 is not known. Check its name.").arg(address.host));
        case QAbstractSocket::SocketTimeoutError:
            fail(
                tr("%1 did not answer within %2 seconds. Check the address and that the host can be reached.")
                    .arg(at)
                    .arg(kConnectMs / 1000));
        default:
            fail(tr("%1: %2").arg(at, text));
        }
    }
    const qint64 connectMs = attempt.elapsed();
    // Each request is one small frame: it must leave at once, not wait for the last one's
    // acknowledgement (Nagle), or every page costs a delayed-acknowledgement time.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (address.tls && !m_socket.waitForEncrypted(left())) {
        const QString refusal = tlsRefusal(tls);
        const QString text = m_socket.errorString();
        const bool timedOut = m_socket.state() == QAbstractSocket::ConnectedState;
        m_socket.abort();
        if (!refusal.isEmpty()) fail(refusal);
        if (timedOut)
            fail(tr("%1 did not complete a TLS handshake within %2 seconds: is it a TLS port?")
                     .arg(at)
                     .arg(kConnectMs / 1000));
        fail(tr("The TLS handshake with %1 failed: %2").arg(at, text));
    }
    if (address.kind == PortAddress::Kind::Rfc2217) {
        m_socket.write(m_telnet.opening());
        m_socket.flush();
    }

    // A server that will not serve this client (ser2net while another client holds the
    // device) says so at once and closes: listen for a round trip and a little more for
    // that. Every open of a fleet's units waits this long in turn, so it stays short; a
    // refusal that comes later still ends the port as in use (onGone).
    const int window = int(qBound(qint64(25), 2 * connectMs + 25, qint64(1000)));
    QElapsedTimer listen;
    listen.start();
    QByteArray early;
    while (listen.elapsed() < window && m_socket.state() == QAbstractSocket::ConnectedState) {
        if (!m_socket.waitForReadyRead(int(qMax<qint64>(1, window - listen.elapsed())))) {
            if (m_socket.error() != QAbstractSocket::SocketTimeoutError) break;
            continue;
        }
        early += takeData();
        if (early.contains(kInUse) || early.contains(kDeviceFailure)) break;
    }
    early += takeData();
    const bool closed = m_socket.state() != QAbstractSocket::ConnectedState;
    if (const qsizetype at2 = early.indexOf(kDeviceFailure); at2 >= 0) {
        const QString detail =
            QString::fromUtf8(early.mid(at2 + kDeviceFailure.size())).remove(u':').trimmed();
        m_socket.abort();
        fail(tr("The serial server at %1 cannot open its serial device (%2).").arg(at, detail));
    }
    if (early.contains(kInUse) || closed) {
        // Closed at once without a word after a TLS handshake: the server may as well have
        // refused the client certificate (TLS 1.3 checks it after the handshake ends).
        m_closedSilently = address.tls && !early.contains(kInUse);
        m_socket.abort();
        return false;
    }
    // Anything that came before the first request is not a reply to it (as on a serial
    // port, whose input is cleared on opening).
    m_head.clear();
    return true;
}

void NetPort::close()
{
    if (!m_open && m_socket.state() == QAbstractSocket::UnconnectedState) return;
    m_open = false;
    if (m_socket.state() == QAbstractSocket::ConnectedState) m_socket.flush();
    m_socket.abort();
}

bool NetPort::write(const char *data, qint64 count)
{
    if (!m_open) return false;
    const QByteArray raw = QByteArray::fromRawData(data, count);
    const QByteArray bytes = m_address.kind == PortAddress::Kind::Rfc2217 ? TelnetCodec::encode(raw) : raw;
    if (m_socket.write(bytes) != bytes.size()) return false;
    m_socket.flush();
    return true;
}

QByteArray NetPort::takeData()
{
    if (!m_socket.isOpen()) return {};
    const QByteArray raw = m_socket.readAll();
    if (raw.isEmpty() || m_address.kind != PortAddress::Kind::Rfc2217) return raw;
    QByteArray reply;
    const QByteArray data = m_telnet.decode(raw, reply);
    if (!reply.isEmpty() && m_socket.state() == QAbstractSocket::ConnectedState) {
        m_socket.write(reply);
        m_socket.flush();
    }
    return data;
}

QByteArray NetPort::readNow()
{
    if (!m_open) return {};
    // Bytes the kernel holds reach the socket only on its next notification: fetch them
    // when there are any (a wait that finds none would count as an error).
    int pending = 0;
    if (::ioctl(int(m_socket.socketDescriptor()), FIONREAD, &pending) == 0 && pending > 0)
        m_socket.waitForReadyRead(0);
    return m_open ? takeData() : QByteArray();
}

void NetPort::onReadyRead()
{
    if (!m_open || m_opening) return;
    const QByteArray data = takeData();
    if (m_head.size() < 64) m_head += data.left(64 - m_head.size());
    if (!data.isEmpty()) emit received(data);
}

void NetPort::onGone()
{
    if (!m_open || m_opening) return;
    // What arrived before the end is still the unit's.
    const QByteArray last = takeData();
    if (!last.isEmpty()) emit received(last);
    if (!m_open) return;
    m_open = false;
    const QString why = m_head.contains(kInUse) ? tr("the serial server says it is in use by another program")
                                                : m_socket.errorString();
    m_socket.abort();
    emit lost(why);
}

} // namespace zc
