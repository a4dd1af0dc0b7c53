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
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &NetPort::endPhase);
    connect(&m_socket, &QAbstractSocket::connected, this, &NetPort::onConnected);
    connect(&m_socket, &QSslSocket::encrypted, this, &NetPort::onEncrypted);
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

QString NetPort::configureTls()
{
    const TlsFiles &tls = m_tls;
    if (!QSslSocket::supportsSsl())
        return tr("This computer offers Qt no TLS library (OpenSSL 3 is needed for %1).")
            .arg(m_address.given);
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    if (!tls.ca.isEmpty()) {
        if (!QFileInfo(tls.ca).isReadable())
            return tr("The certificate authority file %1 cannot be read.").arg(tls.ca);
        const QList<QSslCertificate> cas = QSslCertificate::fromPath(tls.ca, QSsl::Pem);
        if (cas.isEmpty()) return tr("%1 holds no certificate (PEM).").arg(tls.ca);
        // Only this authority: the server must be the site's, not any the system trusts.
        conf.setCaCertificates(cas);
    }
    if (tls.cert.isEmpty() != tls.key.isEmpty())
        return tr("A client certificate needs its key, and a key its certificate: give both files.");
    if (!tls.cert.isEmpty()) {
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(tls.cert, QSsl::Pem);
        if (certs.isEmpty()) return tr("%1 holds no certificate (PEM).").arg(tls.cert);
        QFile f(tls.key);
        if (!f.open(QIODevice::ReadOnly)) return tr("The key file %1 cannot be read.").arg(tls.key);
        const QByteArray pem = f.readAll();
        QSslKey key(pem, QSsl::Rsa);
        if (key.isNull()) key = QSslKey(pem, QSsl::Ec);
        if (key.isNull()) return tr("%1 holds no unencrypted private key (PEM).").arg(tls.key);
        conf.setLocalCertificate(certs.front());
        conf.setPrivateKey(key);
    }
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    m_socket.setSslConfiguration(conf);
    m_socket.setPeerVerifyName(m_address.host);
    return {};
}

QString NetPort::tlsRefusal() const
{
    const QList<QSslError> errors = m_socket.sslHandshakeErrors();
    const QString host = m_address.host;
    const QString signer = m_tls.ca.isEmpty() ? tr("any certificate authority this computer trusts")
                                              : QFileInfo(m_tls.ca).fileName();
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

void NetPort::startOpen(const PortAddress &address, const TlsFiles &tls)
{
    begin(address, tls, true);
}

void NetPort::open(const PortAddress &address, const TlsFiles &tls)
{
    begin(address, tls, false);
    // The course the event loop would run, driven by this socket's own waits: each wait
    // emits the socket's signals, which move the open on; the phase's end comes from the
    // clock instead of the timer.
    while (!m_verdict && m_phase != Phase::Idle) {
        const Phase phase = m_phase;
        const int wait = int(qMax<qint64>(0, m_deadline - m_clock.elapsed()));
        bool moved = true;
        switch (phase) {
        case Phase::Connecting:
            moved = m_socket.waitForConnected(wait);
            break;
        case Phase::Encrypting:
            moved = m_socket.waitForEncrypted(wait);
            break;
        case Phase::Listening:
            moved = m_socket.waitForReadyRead(wait);
            break;
        case Phase::Pausing:
        case Phase::Idle:
            QThread::msleep(ulong(wait));
            break;
        }
        if (m_verdict || m_phase != phase) continue;
        // A wait that gave up with the socket down ends the phase as well.
        const bool down =
            !moved && phase != Phase::Pausing && m_socket.state() == QAbstractSocket::UnconnectedState;
        if (down || m_clock.elapsed() >= m_deadline) endPhase();
    }
    const OpenVerdict verdict = m_verdict.value_or(OpenVerdict{OpenResult::Refused, kOpenFailed, {}});
    m_verdict.reset();
    if (!verdict.open()) throw ECommsError(verdict.message, verdict.reason, verdict.result);
}

void NetPort::begin(const PortAddress &address, const TlsFiles &tls, bool async)
{
    close();
    m_address = address;
    m_tls = tls;
    m_async = async;
    m_verdict.reset();
    m_closedSilently = false;
    m_refusal = address.tls ? configureTls() : QString();
    m_clock.start();
    connectOnce();
}

void NetPort::connectOnce()
{
    m_telnet = TelnetCodec();
    m_early.clear();
    m_failed = false;
    m_failTls.clear();
    m_attemptAt = m_clock.elapsed();
    // The server is reached, and its handshake done, within kConnectMs of the open's start.
    enter(Phase::Connecting, kConnectMs);
    if (!m_refusal.isEmpty()) return hurry();
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (m_address.tls)
        m_socket.connectToHostEncrypted(m_address.host, m_address.port);
    else
        m_socket.connectToHost(m_address.host, m_address.port);
}

void NetPort::enter(Phase phase, qint64 deadline)
{
    m_phase = phase;
    m_deadline = deadline;
    if (m_async) m_timer.start(int(qMax<qint64>(0, deadline - m_clock.elapsed())));
}

// The phase ends now, on the next pass of the event loop (or of open()'s wait).
void NetPort::hurry()
{
    m_deadline = m_clock.elapsed();
    if (m_async) m_timer.start(0);
}

void NetPort::onConnected()
{
    if (m_phase != Phase::Connecting) return;
    m_connectMs = m_clock.elapsed() - m_attemptAt;
    // Each request is one small frame: it must leave at once, not wait for the last one's
    // acknowledgement (Nagle), or every page costs a delayed-acknowledgement time.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (m_address.tls)
        enter(Phase::Encrypting, m_deadline);
    else
        startListening();
}

void NetPort::onEncrypted()
{
    if (m_phase == Phase::Encrypting) startListening();
}

void NetPort::startListening()
{
    if (m_address.kind == PortAddress::Kind::Rfc2217) {
        m_socket.write(m_telnet.opening());
        m_socket.flush();
    }
    // A server that will not serve this client (ser2net while another client holds the
    // device) says so at once and closes: listen for a round trip and a little more for
    // that. No request is sent before the listen ends, so none can reach a unit that
    // another client holds; a refusal that comes later still ends the port as in use
    // (onGone).
    const qint64 window = qBound(qint64(25), 2 * m_connectMs + 25, qint64(1000));
    enter(Phase::Listening, m_clock.elapsed() + window);
}

void NetPort::endPhase()
{
    const QString at = where(m_address);
    switch (m_phase) {
    case Phase::Idle:
        return;
    case Phase::Connecting: {
        if (!m_refusal.isEmpty()) return conclude(OpenResult::Refused, m_refusal);
        m_socket.abort();
        if (!m_failed || m_failError == QAbstractSocket::SocketTimeoutError)
            return conclude(
                OpenResult::Unreachable,
                tr("%1 did not answer within %2 seconds. Check the address and that the host can be reached.")
                    .arg(at)
                    .arg(kConnectMs / 1000));
        switch (m_failError) {
        case QAbstractSocket::ConnectionRefusedError:
            return conclude(
                OpenResult::Unreachable,
                tr("Nothing listens at %1 (the connection was refused). Check that the serial server "
                   "runs there and serves that port.")
                    .arg(at));
        case QAbstractSocket::HostNotFoundError:
            return conclude(OpenResult::Unreachable,
                            tr("The host %1 is not known. Check its name.").arg(m_address.host));
        default:
            return conclude(OpenResult::Unreachable, tr("%1: %2").arg(at, m_failText));
        }
    }
    case Phase::Encrypting: {
        const QString refusal = m_failTls.isEmpty() ? tlsRefusal() : m_failTls;
        m_socket.abort();
        if (!refusal.isEmpty()) return conclude(OpenResult::Refused, refusal);
        if (!m_failed)
            return conclude(OpenResult::Refused,
                            tr("%1 did not complete a TLS handshake within %2 seconds: is it a TLS port?")
                                .arg(at)
                                .arg(kConnectMs / 1000));
        return conclude(OpenResult::Refused, tr("The TLS handshake with %1 failed: %2").arg(at, m_failText));
    }
    case Phase::Listening:
        return judge();
    case Phase::Pausing:
        return connectOnce();
    }
}

void NetPort::judge()
{
    m_early += takeData();
    const bool closed = m_socket.state() != QAbstractSocket::ConnectedState;
    if (const qsizetype at = m_early.indexOf(kDeviceFailure); at >= 0) {
        const QString detail =
            QString::fromUtf8(m_early.mid(at + kDeviceFailure.size())).remove(u':').trimmed();
        m_socket.abort();
        return conclude(
            OpenResult::Refused,
            tr("The serial server at %1 cannot open its serial device (%2).").arg(where(m_address), detail));
    }
    if (m_early.contains(kInUse) || closed) {
        // Closed at once without a word after a TLS handshake: the server may as well have
        // refused the client certificate (TLS 1.3 checks it after the handshake ends).
        m_closedSilently = m_address.tls && !m_early.contains(kInUse);
        m_socket.abort();
        // A server lets its device go a moment after its last client left: a program that
        // closed the port and opens it again at once (a script's next command) would be
        // told that the port is in use. Asking again for a second tells that from a real
        // holder.
        if (m_clock.elapsed() <= kInUseRetryMs) return enter(Phase::Pausing, m_clock.elapsed() + 100);
        if (m_closedSilently)
            return conclude(OpenResult::InUse,
                            tr("%1 closed the connection at once: it is in use by another program, or the "
                               "server did not accept this computer's client certificate.")
                                .arg(m_address.given));
        return conclude(
            OpenResult::InUse,
            tr("%1 is in use by another program. Close that program and try again.").arg(m_address.given));
    }
    // Anything that came before the first request is not a reply to it (as on a serial
    // port, whose input is cleared on opening).
    m_head.clear();
    m_open = true;
    conclude(OpenResult::Open);
}

void NetPort::conclude(OpenResult result, const QString &reason)
{
    m_timer.stop();
    m_phase = Phase::Idle;
    const OpenVerdict verdict{result, result == OpenResult::Open ? QString() : kOpenFailed, reason};
    // Reached from the timer (or open()'s wait), never from inside the socket's signals:
    // whoever hears it may close the port at once.
    if (m_async)
        emit opened(verdict);
    else
        m_verdict = verdict;
}

void NetPort::close()
{
    // An open that runs ends here, without a verdict.
    m_timer.stop();
    m_phase = Phase::Idle;
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
    // A connection the server closed may have nothing left to read: reading it then would
    // only make Qt complain.
    if (!m_socket.isOpen() || m_socket.bytesAvailable() <= 0) return {};
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
    if (m_phase == Phase::Listening) {
        m_early += takeData();
        // A refusal heard ends the listen at once.
        if (m_early.contains(kInUse) || m_early.contains(kDeviceFailure)) hurry();
        return;
    }
    if (!m_open || m_phase != Phase::Idle) return;
    const QByteArray data = takeData();
    if (m_head.size() < 64) m_head += data.left(64 - m_head.size());
    if (!data.isEmpty()) emit received(data);
}

void NetPort::onGone()
{
    if (m_phase != Phase::Idle) {
        if (m_phase == Phase::Pausing || m_failed) return;
        // Kept as the socket said it, before it says anything else; what the server said
        // last is read while it can be.
        m_failed = true;
        m_failError = m_socket.error();
        m_failText = m_socket.errorString();
        if (m_phase == Phase::Encrypting) m_failTls = tlsRefusal();
        if (m_phase == Phase::Listening) m_early += takeData();
        return hurry();
    }
    if (!m_open) return;
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
