#include "link/comm.h"

#include <QMetaMethod>

#include "link/net_port.h"
#include "link/traffic_log.h"

#include <QFile>
#include <QMetaMethod>
#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zc {

namespace {

const QString kAlreadyOpen = QStringLiteral("This serial port already opened");
const QString kOpenFailed = QStringLiteral("Error opening serial port");
const QString kNotComm = QStringLiteral("File handle is not a comm handle ");

// The device file QSerialPort opens for a port name: a path is taken as it is, a bare
// name such as ttyUSB0 lives in /dev.
QString devicePath(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./")) ||
        name.startsWith(QLatin1String("../")))
        return name;
    return QLatin1String("/dev/") + name;
}

PortProblem noDeviceHint(const QString &path)
{
    return {PortProblem::Kind::NoDevice, path};
}

// The advice fits the device's owner and group: joining a group helps only where that
// group may read and write the device, and never where it is root's own group.
PortProblem permissionHint(const QString &path)
{
    struct stat st = {};
    const bool known = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    const struct group *g = known ? ::getgrgid(st.st_gid) : nullptr;
    const QString group = g ? QString::fromLocal8Bit(g->gr_name) : QString();
    const bool groupMayUse = known && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    const bool othersOwn = known && st.st_uid != ::geteuid();
    if (othersOwn && (!groupMayUse || st.st_gid == 0 || group.isEmpty())) {
        const struct passwd *u = ::getpwuid(st.st_uid);
        const QString owner = u ? QString::fromLocal8Bit(u->pw_name) : QString::number(st.st_uid);
        PortProblem p(PortProblem::Kind::OwnedByOther, path);
        p.owner = owner;
        p.group = group.isEmpty() ? QString::number(st.st_gid) : group;
        p.mode = QString::number(st.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0'));
        return p;
    }
    PortProblem p(PortProblem::Kind::NotAllowed, path);
    p.group = othersOwn ? group : QStringLiteral("dialout");
    return p;
}

PortProblem inUseHint(const QString &path)
{
    return {PortProblem::Kind::InUse, path};
}

PortProblem notSerialHint(const QString &path)
{
    return {PortProblem::Kind::NotSerial, path};
}

PortProblem failedHint(const QString &path, const QString &text)
{
    return {PortProblem::Kind::Failed, path, text};
}

QSerialPort::DataBits toDataBits(TComm::TByteSize v)
{
    switch (v) {
    case TComm::TByteSize::_5:
        return QSerialPort::Data5;
    case TComm::TByteSize::_6:
        return QSerialPort::Data6;
    case TComm::TByteSize::_7:
        return QSerialPort::Data7;
    case TComm::TByteSize::_8:
        break;
    }
    return QSerialPort::Data8;
}

QSerialPort::Parity toParity(TComm::TParity v)
{
    switch (v) {
    case TComm::TParity::Odd:
        return QSerialPort::OddParity;
    case TComm::TParity::Even:
        return QSerialPort::EvenParity;
    case TComm::TParity::Mark:
        return QSerialPort::MarkParity;
    case TComm::TParity::Space:
        return QSerialPort::SpaceParity;
    case TComm::TParity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toStopBits(TComm::TStopBits v)
{
    switch (v) {
    case TComm::TStopBits::_1_5:
        return QSerialPort::OneAndHalfStop;
    case TComm::TStopBits::_2:
        return QSerialPort::TwoStop;
    case TComm::TStopBits::_1:
        break;
    }
    return QSerialPort::OneStop;
}

} // namespace

TComm::TComm(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("cm1"));
    connect(&m_port, &QSerialPort::readyRead, this, &TComm::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &TComm::onError);
}

TComm::~TComm()
{
    // Nothing the port does while it is being closed and destroyed may reach this
    // half-destroyed object.
    disconnect(&m_port, nullptr, this, nullptr);
    if (m_net) disconnect(m_net.get(), nullptr, this, nullptr);
    ClosePort();
}

void TComm::failOpen(const QString &message, const PortProblem &problem, OpenResult result)
{
    m_openError = message;
    throw ECommsError(message, problem, result);
}

void TComm::OpenPort()
{
    m_openError.clear();
    // One open at a time: a network open still running ends here.
    if (m_net && m_net->opening()) m_net->close();
    if (PortAddress::looksRemote(m_name) || PortRemote()) return openRemote(true);
    if (m_port.isOpen()) {
        m_openError = kAlreadyOpen;
        return;
    }
    if (m_name.isEmpty()) failOpen(kOpenFailed, PortProblem(PortProblem::Kind::NoPortChosen));

    // Look at the device file first: a missing file and a file that is not a character
    // device (a regular file, a folder) are told apart from a port that will not open.
    const QString path = devicePath(m_name);
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0)
        failOpen(kOpenFailed, errno == EACCES ? permissionHint(path) : noDeviceHint(path));
    if (!S_ISCHR(info.st_mode)) failOpen(kNotComm, notSerialHint(path));
    // QSerialPort reports both a refused device and a port locked by another program as
    // PermissionError; whether we may use the device at all tells the two apart.
    const bool mayUse = ::access(native.constData(), R_OK | W_OK) == 0;

    // One program at a time on a device, whatever name it was opened by (a by-id link and
    // ttyUSB0, two links to one pty) and whoever runs it: a lock on the device itself, which
    // root gets no exception from. It is taken on a descriptor of our own before QSerialPort
    // opens the device and sets its line, so that a refused opener leaves the holder's
    // settings and exclusive mode as they are.
    takeDeviceLock(path, mayUse);

    // The line settings are held by QSerialPort while closed and applied by open().
    m_port.setPortName(path);
    applyLine();
    m_opening = true;
    const bool opened = m_port.open(QIODevice::ReadWrite);
    m_opening = false;
    if (!opened) {
        releaseDeviceLock();
        const QSerialPort::SerialPortError error = m_port.error();
        const QString text = m_port.errorString();
        m_port.clearError();
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
            failOpen(kOpenFailed, noDeviceHint(path));
        case QSerialPort::PermissionError:
            failOpen(kOpenFailed, mayUse ? inUseHint(path) : permissionHint(path));
        case QSerialPort::UnsupportedOperationError:
            // A character device without terminal settings (/dev/null and the like).
            if (text == qt_error_string(ENOTTY)) failOpen(kNotComm, notSerialHint(path));
            break;
        default:
            break;
        }
        failOpen(kOpenFailed, failedHint(path, text));
    }
    // The terminal's exclusive mode keeps out openers that do not lock.
    ::ioctl(m_port.handle(), TIOCEXCL);

    ++m_session;
    m_rx.clear();
    m_rxPos = m_chunkEnd = 0;
    // Bytes that were waiting in the device before this open are not replies to us.
    m_port.clear(QSerialPort::AllDirections);
    m_port.clearError();
    applyModemLines();
    if (!m_port.isOpen()) {
        // The device went away while it was being set up: report the failed open only.
        ++m_session;
        releaseDeviceLock();
        failOpen(kOpenFailed, noDeviceHint(path));
    }
}

void TComm::BeginOpenPort()
{
    OpenVerdict verdict;
    try {
        if (PortAddress::looksRemote(m_name) && !PortOpen()) {
            m_openError.clear();
            // The verdict comes from the network port once its server has had its say.
            openRemote(false);
            return;
        }
        OpenPort();
    } catch (const ECommsError &e) {
        verdict = {e.result(), e.message(), e.problem()};
    }
    // Told on the event loop, as a network port's verdict is; dropped when the port was
    // closed or opened again meanwhile.
    const quint64 ticket = ++m_openTicket;
    QMetaObject::invokeMethod(
        this,
        [this, ticket, verdict] {
            if (ticket == m_openTicket) emit OnOpenEnded(verdict);
        },
        Qt::QueuedConnection);
}

void TComm::ClosePort()
{
    m_openError.clear();
    ++m_openTicket;
    if (closeRemote()) return;
    if (!m_port.isOpen()) {
        releaseDeviceLock();
        return;
    }
    ++m_session;
    m_rx.clear();
    m_rxPos = m_chunkEnd = 0;
    // The exclusive mode outlives this descriptor while the other side keeps the terminal
    // open (a pty): clear it, so the next open, ours included, is not refused.
    ::ioctl(m_port.handle(), TIOCNXCL);
    m_port.close();
    m_port.clearError();
    releaseDeviceLock();
}

void TComm::takeDeviceLock(const QString &path, bool mayUse)
{
    const QByteArray native = QFile::encodeName(path);
    // No blocking on a modem line, and the device never becomes our controlling terminal.
    m_lockFd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_lockFd < 0) {
        const int error = errno;
        switch (error) {
        case EBUSY: // in the exclusive mode of another program
            failOpen(kOpenFailed, inUseHint(path));
        case EACCES:
        case EPERM:
            failOpen(kOpenFailed, mayUse ? inUseHint(path) : permissionHint(path));
        case ENOENT:
        case ENODEV:
        case ENXIO:
            failOpen(kOpenFailed, noDeviceHint(path));
        default:
            failOpen(kOpenFailed, failedHint(path, qt_error_string(error)));
        }
    }
    if (!::isatty(m_lockFd)) {
        releaseDeviceLock();
        failOpen(kNotComm, notSerialHint(path));
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        releaseDeviceLock();
        failOpen(kOpenFailed, inUseHint(path));
    }
    // An exclusive mode found set (root opens through it) is another program's: it is set
    // again when this port closes.
    int exclusive = 0;
    m_foundExclusive = ::ioctl(m_lockFd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

void TComm::releaseDeviceLock()
{
    if (m_lockFd < 0) return;
    if (m_foundExclusive) ::ioctl(m_lockFd, TIOCEXCL);
    m_foundExclusive = false;
    ::close(m_lockFd); // releases the lock
    m_lockFd = -1;
}

bool TComm::WriteData(const std::uint8_t *bytes, std::uint16_t count)
{
    if (PortRemote() && count > 0 && bytes != nullptr) {
        logTraffic("sent", reinterpret_cast<const char *>(bytes), count, m_trafficLabel);
        return m_net->write(reinterpret_cast<const char *>(bytes), count);
    }
    if (!m_port.isOpen() || count == 0 || bytes == nullptr) return false;
    logTraffic("sent", reinterpret_cast<const char *>(bytes), count, m_trafficLabel);
    if (m_port.write(reinterpret_cast<const char *>(bytes), count) != count) return false;
    // QSerialPort writes from its buffer on a later pass of the event loop, after whatever
    // repaints and layouts are queued: hand the request to the driver now instead.
    m_port.flush();
    // On a pseudo-terminal (the simulated unit, a network bridge) the kernel moves the bytes
    // to the other end from a worker thread, often queued on this very CPU: without a yield
    // it waits until this thread has decoded the page just read, and the request with it.
    // USB serial drivers send from within write(); there the yield costs one system call.
    sched_yield();
    return true;
}

QByteArray TComm::takeUnread()
{
    if (!PortOpen()) return {};
    QByteArray in;
    if (PortRemote()) {
        in = m_net->readNow();
    } else {
        // Bytes the driver holds reach QSerialPort only on its next notification: ask for them
        // now when there are any (waiting for none would count as a time-out error).
        int pending = 0;
        if (::ioctl(m_port.handle(), FIONREAD, &pending) == 0 && pending > 0) m_port.waitForReadyRead(0);
        in = m_port.readAll();
    }
    if (!in.isEmpty()) {
        logTraffic("read", in.constData(), in.size(), m_trafficLabel);
        m_rx.append(in);
    }
    const qsizetype from = qMax(m_chunkEnd, m_rxPos);
    if (from >= m_rx.size()) return {};
    const QByteArray unread = m_rx.mid(from);
    m_chunkEnd = m_rx.size();
    static const QMetaMethod byteSignal = QMetaMethod::fromSignal(&TComm::OnReceiveData);
    if (!isSignalConnected(byteSignal)) {
        m_rx.clear();
        m_rxPos = m_chunkEnd = 0;
    } else if (!m_deliveryQueued) {
        m_deliveryQueued = true;
        QMetaObject::invokeMethod(this, &TComm::deliverPending, Qt::QueuedConnection);
    }
    return unread;
}

bool TComm::PortOpen() const
{
    return m_port.isOpen() || PortRemote();
}

bool TComm::PortRemote() const
{
    return m_net && m_net->isOpen();
}

void TComm::openRemote(bool wait)
{
    if (PortOpen()) {
        m_openError = kAlreadyOpen;
        return;
    }
    QString error;
    const PortAddress address = PortAddress::parse(m_name, &error);
    if (!address.remote()) failOpen(kOpenFailed, PortProblem(PortProblem::Kind::BadAddress, m_name, error));
    if (!m_net) {
        m_net = std::make_unique<NetPort>();
        connect(m_net.get(), &NetPort::opened, this, [this](OpenVerdict verdict) {
            if (!verdict.open()) verdict.message = kOpenFailed;
            endOpen(verdict);
            emit OnOpenEnded(verdict);
        });
        connect(m_net.get(), &NetPort::received, this, &TComm::received);
        connect(m_net.get(), &NetPort::lost, this, [this](PortProblem why) {
            why.path = m_name;
            hangUp(why);
        });
    }
    if (!wait) {
        m_net->startOpen(address, m_tls);
        return;
    }
    const OpenVerdict verdict = m_net->open(address, m_tls);
    if (!verdict.open()) failOpen(kOpenFailed, verdict.problem, verdict.result);
    endOpen(verdict);
}

void TComm::endOpen(const OpenVerdict &verdict)
{
    if (!verdict.open()) {
        m_openError = verdict.message;
        return;
    }
    ++m_session;
    m_rx.clear();
    m_rxPos = m_chunkEnd = 0;
}

bool TComm::closeRemote()
{
    if (m_net && m_net->opening()) {
        // An open that has not ended: it ends here, without a verdict.
        m_net->close();
        return true;
    }
    if (!PortRemote()) return false;
    ++m_session;
    m_rx.clear();
    m_rxPos = m_chunkEnd = 0;
    m_net->close();
    return true;
}

// The name stays "COM" + n as on the PC: the tool always sets CommName to the port the
// user picked before opening, so this only keeps the two properties consistent.
void TComm::SetCommPort(std::uint8_t n)
{
    if (n == 0 || n == m_commPort) return;
    m_commPort = n;
    m_name = QStringLiteral("COM") + QString::number(n);
}

void TComm::SetBaudRate(std::uint32_t v)
{
    if (v == m_baud) return;
    m_baud = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetByteSize(TByteSize v)
{
    if (v == m_byteSize) return;
    m_byteSize = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetParity(TParity v)
{
    if (v == m_parity) return;
    m_parity = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetStopBits(TStopBits v)
{
    if (v == m_stopBits) return;
    m_stopBits = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetOutx_CtsFlow(bool v)
{
    if (v == m_ctsFlow) return;
    m_ctsFlow = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetOutx_XonXoffFlow(bool v)
{
    if (v == m_xonXoff) return;
    m_xonXoff = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetDtrControl(TDtrControl v)
{
    if (v == m_dtr) return;
    m_dtr = v;
    if (m_port.isOpen()) applyLine();
}

void TComm::SetRtsControl(TRtsControl v)
{
    if (v == m_rts) return;
    m_rts = v;
    if (m_port.isOpen()) applyLine();
}

// Hands the whole line configuration to the port; on an open port it takes effect at
// once. QSerialPort offers one flow control at a time: RTS/CTS (CTS flow or RTS
// handshake) wins over XON/XOFF.
void TComm::applyLine()
{
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (m_ctsFlow || m_rts == TRtsControl::RtsHandshake)
        flow = QSerialPort::HardwareControl;
    else if (m_xonXoff)
        flow = QSerialPort::SoftwareControl;

    m_port.setBaudRate(static_cast<qint32>(std::min<std::uint32_t>(m_baud, INT_MAX)));
    m_port.setDataBits(toDataBits(m_byteSize));
    m_port.setParity(toParity(m_parity));
    m_port.setStopBits(toStopBits(m_stopBits));
    m_port.setFlowControl(flow);
    if (m_port.isOpen()) applyModemLines();
}

// DTR and RTS as steady levels. Linux has no DTR handshake and no RTS-while-sending
// mode, so both hold the line on; under RTS/CTS flow control the driver owns RTS.
void TComm::applyModemLines()
{
    if (!m_port.isOpen()) return;
    m_quietModemErrors = true;
    m_port.setDataTerminalReady(m_dtr != TDtrControl::DtrDisable);
    if (m_port.isOpen() && m_port.flowControl() != QSerialPort::HardwareControl)
        m_port.setRequestToSend(m_rts != TRtsControl::RtsDisable);
    m_quietModemErrors = false;
    if (m_port.error() == QSerialPort::UnsupportedOperationError) m_port.clearError();
}

// Reads everything the port has and delivers it from a queued call: slots then run
// outside QSerialPort's own signal, so they may close the port or even delete this
// object without pulling QSerialPort's state from under it.
void TComm::onReadyRead()
{
    received(m_port.readAll());
}

void TComm::received(const QByteArray &in)
{
    logTraffic("read", in.constData(), in.size(), m_trafficLabel);
    m_rx.append(in);
    if (m_deliveryQueued || m_rxPos >= m_rx.size()) return;
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(this, &TComm::deliverPending, Qt::QueuedConnection);
}

// Everything read goes to OnReceiveChunk in one call, and to OnReceiveData one byte per
// call, in order. A slot may close the port (the rest of what was read is dropped), delete
// this object, or run a nested event loop that delivers later bytes: every delivery takes
// the next bytes from the one queue, so the order holds either way.
void TComm::deliverPending()
{
    m_deliveryQueued = false;
    const QPointer<TComm> self(this);
    const quint64 session = m_session;
    static const QMetaMethod byteSignal = QMetaMethod::fromSignal(&TComm::OnReceiveData);
    if (!isSignalConnected(byteSignal)) {
        const qsizetype from = qMax(m_chunkEnd, m_rxPos);
        const QByteArray chunk = from < m_rx.size() ? m_rx.mid(from) : QByteArray();
        m_rx.clear();
        m_rxPos = m_chunkEnd = 0;
        if (!chunk.isEmpty()) emit OnReceiveChunk(chunk);
        return;
    }
    while (m_rxPos < m_rx.size()) {
        // Chunk listeners get each byte once, however deliveries nest.
        if (m_chunkEnd < m_rx.size()) {
            const QByteArray chunk = m_rx.mid(qMax(m_chunkEnd, m_rxPos));
            m_chunkEnd = m_rx.size();
            emit OnReceiveChunk(chunk);
            if (!self || m_session != session) return;
        }
        const auto byte = static_cast<std::uint8_t>(m_rx.at(m_rxPos++));
        emit OnReceiveData(byte);
        if (!self || m_session != session) return;
    }
    m_rx.clear();
    m_rxPos = m_chunkEnd = 0;
}

void TComm::onError(QSerialPort::SerialPortError error)
{
    // Failures while opening are handled by OpenPort; a closed port reports nothing.
    if (error == QSerialPort::NoError || m_opening || !m_port.isOpen()) return;
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        // After a hang-up QSerialPort repeats the error without end while the port stays
        // open, and the error text is left over from an earlier call: close at once.
        hangUp({PortProblem::Kind::Lost, m_name});
        return;
    case QSerialPort::UnsupportedOperationError:
        if (m_quietModemErrors) return;
        break;
    default:
        break;
    }
    const QString text = tr("%1: %2").arg(m_name, m_port.errorString());
    m_port.clearError();
    QMetaObject::invokeMethod(
        this, [this, error, text] { emit OnReceiveError(static_cast<quint32>(error), text); },
        Qt::QueuedConnection);
}

void TComm::hangUp(const PortProblem &why)
{
    ClosePort();
    const quint64 session = m_session;
    // Raised once the port is closed and outside QSerialPort's signal; dropped when the
    // port has been opened again in the meantime.
    QMetaObject::invokeMethod(
        this,
        [this, session, why] {
            if (m_session == session && !PortOpen()) emit OnRequestHangup(why);
        },
        Qt::QueuedConnection);
}

} // namespace zc
