#include "link/net_port.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QThread>

#include <sys/ioctl.h>

namespace zc {

namespace {

using Kind = PortProblem::Kind;

// What ser2net says to a client it will not serve, before it closes the connection ("Port
// already in use", "Port's device already in use" when another accepter holds the device).
const QByteArray kInUse = QByteArrayLiteral("already in use");
const QByteArray kDeviceFailure = QByteArrayLiteral("Device open failure");

QString where(const PortAddress &a)
{
    return a.host.contains(u':') ? QStringLiteral("[%1]:%2").arg(a.host).arg(a.port)
                                 : QStringLiteral("%1:%2").arg(a.host).arg(a.port);
}

// A problem of the network port at a: its name, host:port and host filled in.
PortProblem problemAt(Kind kind, const PortAddress &a, const QString &detail = {})
{
    PortProblem p(kind, a.given, detail);
    p.at = where(a);
    p.host = a.host;
    return p;
}

PortProblem fileProblem(Kind kind, const PortAddress &a, const QString &file)
{
    PortProblem p = problemAt(kind, a);
    p.file = file;
    return p;
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

PortProblem NetPort::configureTls()
{
    const TlsFiles &tls = m_tls;
    if (!QSslSocket::supportsSsl()) return problemAt(Kind::NoTls, m_address);
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    if (!tls.ca.isEmpty()) {
        if (!QFileInfo(tls.ca).isReadable()) return fileProblem(Kind::CaUnreadable, m_address, tls.ca);
        const QList<QSslCertificate> cas = QSslCertificate::fromPath(tls.ca, QSsl::Pem);
        if (cas.isEmpty()) return fileProblem(Kind::NoCertificate, m_address, tls.ca);
        // Only this authority: the server must be the site's, not any the system trusts.
        conf.setCaCertificates(cas);
    }
    if (tls.cert.isEmpty() != tls.key.isEmpty()) return problemAt(Kind::CertWithoutKey, m_address);
    if (!tls.cert.isEmpty()) {
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(tls.cert, QSsl::Pem);
        if (certs.isEmpty()) return fileProblem(Kind::NoCertificate, m_address, tls.cert);
        QFile f(tls.key);
        if (!f.open(QIODevice::ReadOnly)) return fileProblem(Kind::KeyUnreadable, m_address, tls.key);
        const QByteArray pem = f.readAll();
        QSslKey key(pem, QSsl::Rsa);
        if (key.isNull()) key = QSslKey(pem, QSsl::Ec);
        if (key.isNull()) return fileProblem(Kind::NoKey, m_address, tls.key);
        conf.setLocalCertificate(certs.front());
        conf.setPrivateKey(key);
    }
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    m_socket.setSslConfiguration(conf);
    m_socket.setPeerVerifyName(m_address.host);
    return {};
}

PortProblem NetPort::tlsRefusal() const
{
    const QList<QSslError> errors = m_socket.sslHandshakeErrors();
    for (const QSslError &e : errors)
        if (notSigned(e.error()))
            return fileProblem(Kind::NotSigned, m_address,
                               m_tls.ca.isEmpty() ? QString() : QFileInfo(m_tls.ca).fileName());
    for (const QSslError &e : errors) {
        const QSslCertificate &c = e.certificate();
        PortProblem p;
        switch (e.error()) {
        case QSslError::CertificateExpired:
            p = problemAt(Kind::CertExpired, m_address);
            p.date = c.expiryDate();
            return p;
        case QSslError::CertificateNotYetValid:
            p = problemAt(Kind::CertNotYetValid, m_address);
            p.date = c.effectiveDate();
            return p;
        case QSslError::HostNameMismatch:
            p = problemAt(Kind::CertWrongName, m_address);
            p.names = c.subjectInfo(QSslCertificate::CommonName);
            return p;
        default:
            break;
        }
    }
    if (!errors.isEmpty()) return problemAt(Kind::CertUnverified, m_address, errors.front().errorString());
    return {};
}

void NetPort::startOpen(const PortAddress &address, const TlsFiles &tls)
{
    begin(address, tls, true);
}

OpenVerdict NetPort::open(const PortAddress &address, const TlsFiles &tls)
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
    const OpenVerdict verdict = m_verdict.value_or(OpenVerdict{OpenResult::Refused, {}, {}});
    m_verdict.reset();
    return verdict;
}

void NetPort::begin(const PortAddress &address, const TlsFiles &tls, bool async)
{
    close();
    m_address = address;
    m_tls = tls;
    m_async = async;
    m_verdict.reset();
    m_closedSilently = false;
    m_refusal = address.tls ? configureTls() : PortProblem();
    m_clock.start();
    connectOnce();
}

void NetPort::connectOnce()
{
    m_telnet = TelnetCodec();
    m_early.clear();
    m_failed = false;
    m_failTls = {};
    m_attemptAt = m_clock.elapsed();
    // The server is reached, and its handshake done, within kConnectMs of the open's start.
    enter(Phase::Connecting, kConnectMs);
    if (m_refusal.kind != Kind::None) return hurry();
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
    switch (m_phase) {
    case Phase::Idle:
        return;
    case Phase::Connecting: {
        if (m_refusal.kind != Kind::None) return conclude(OpenResult::Refused, m_refusal);
        m_socket.abort();
        if (!m_failed || m_failError == QAbstractSocket::SocketTimeoutError) {
            PortProblem p = problemAt(Kind::NoAnswer, m_address);
            p.seconds = kConnectMs / 1000;
            return conclude(OpenResult::Unreachable, p);
        }
        switch (m_failError) {
        case QAbstractSocket::ConnectionRefusedError:
            return conclude(OpenResult::Unreachable, problemAt(Kind::NothingListens, m_address));
        case QAbstractSocket::HostNotFoundError:
            return conclude(OpenResult::Unreachable, problemAt(Kind::HostUnknown, m_address));
        default:
            return conclude(OpenResult::Unreachable, problemAt(Kind::ConnectFailed, m_address, m_failText));
        }
    }
    case Phase::Encrypting: {
        const PortProblem refusal = m_failTls.kind == Kind::None ? tlsRefusal() : m_failTls;
        m_socket.abort();
        if (refusal.kind != Kind::None) return conclude(OpenResult::Refused, refusal);
        if (!m_failed) {
            PortProblem p = problemAt(Kind::TlsTimeout, m_address);
            p.seconds = kConnectMs / 1000;
            return conclude(OpenResult::Refused, p);
        }
        return conclude(OpenResult::Refused, problemAt(Kind::TlsFailed, m_address, m_failText));
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
        return conclude(OpenResult::Refused, problemAt(Kind::ServerDeviceFailed, m_address, detail));
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
        return conclude(OpenResult::InUse,
                        problemAt(m_closedSilently ? Kind::ClosedAtOnce : Kind::InUse, m_address));
    }
    // Anything that came before the first request is not a reply to it (as on a serial
    // port, whose input is cleared on opening).
    m_head.clear();
    m_open = true;
    conclude(OpenResult::Open);
}

void NetPort::conclude(OpenResult result, const PortProblem &problem)
{
    m_timer.stop();
    m_phase = Phase::Idle;
    // The message is TComm's to give.
    const OpenVerdict verdict{result, {}, problem};
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
    const PortProblem why = m_head.contains(kInUse)
                                ? problemAt(Kind::LostTaken, m_address)
                                : problemAt(Kind::LostRemote, m_address, m_socket.errorString());
    m_socket.abort();
    emit lost(why);
}

} // namespace zc
