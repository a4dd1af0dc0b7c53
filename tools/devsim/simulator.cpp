#include "devsim/simulator.h"

#include "link/published_devices.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zc::devsim {

namespace {

// A partly received request is forgotten after this much silence, so a client that died
// in the middle of a frame does not spoil the next client's first request.
constexpr int kFrameGapMs = 1000;
// How long a reply may wait for room in the pty before the rest of it is dropped, as a
// UART drops what nobody reads.
constexpr int kWriteStallMs = 1000;
// How long a vanishing unit waits for the client to read the last reply.
constexpr int kDrainMs = 2000;
// A trickling unit sends one stray byte this often.
constexpr int kTrickleMs = 500;

bool fail(QString *error, const QString &text)
{
    if (error) *error = text;
    return false;
}

QString errnoText()
{
    return QString::fromLocal8Bit(strerror(errno));
}

// Makes link a symlink to target, replacing an existing symlink atomically.
bool makeLink(const QString &link, const QString &target, QString *error)
{
    const QByteArray path = QFile::encodeName(link);
    struct stat st;
    if (lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
        return fail(error, QStringLiteral("%1 exists and is not a symbolic link").arg(link));
    const QByteArray tmp = path + ".new-" + QByteArray::number(getpid());
    unlink(tmp.constData());
    if (symlink(QFile::encodeName(target).constData(), tmp.constData()) != 0)
        return fail(error, QStringLiteral("cannot create %1: %2").arg(link, errnoText()));
    if (rename(tmp.constData(), path.constData()) != 0) {
        const QString why = errnoText();
        unlink(tmp.constData());
        return fail(error, QStringLiteral("cannot create %1: %2").arg(link, why));
    }
    return true;
}

// Removes link only while it still points at target: another unit may have taken the name.
void removeLink(const QString &link, const QString &target)
{
    const QByteArray path = QFile::encodeName(link);
    char buffer[512];
    const ssize_t n = readlink(path.constData(), buffer, sizeof buffer);
    if (n > 0 && QByteArray(buffer, n) == QFile::encodeName(target)) unlink(path.constData());
}

// The publish folder must be a real folder of ours: /tmp is shared with other users.
bool ensurePublishDir(const QString &dir, QString *error)
{
    const QByteArray path = QFile::encodeName(dir);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return fail(error, QStringLiteral("cannot create %1: %2").arg(dir, errnoText()));
    struct stat st;
    if (lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return fail(error, QStringLiteral("%1 is not a folder of this user").arg(dir));
    return true;
}

} // namespace

Simulator::Simulator(const Options &options) : m_options(options), m_core(options) {}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start(const QString &linkPath, QString *error)
{
    if (m_thread.joinable() || m_master >= 0)
        return fail(error, QStringLiteral("the simulated unit is already running"));
    if (!m_options.imagePath.isEmpty()) {
        std::lock_guard lock(m_mutex);
        if (!m_core.memory().load(m_options.imagePath, error)) return false;
    }
    if (openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
        return fail(error, QStringLiteral("cannot open a pseudo-terminal: %1").arg(errnoText()));
    char name[128] = {};
    termios tio{};
    bool ok = ptsname_r(m_master, name, sizeof name) == 0 && tcgetattr(m_slave, &tio) == 0;
    if (ok) {
        // Raw bytes both ways; no echo, so a client that does not set up the line itself
        // does not get its own requests back.
        cfmakeraw(&tio);
        ok = tcsetattr(m_slave, TCSANOW, &tio) == 0;
    }
    ok = ok && fcntl(m_master, F_SETFD, FD_CLOEXEC) == 0 && fcntl(m_slave, F_SETFD, FD_CLOEXEC) == 0 &&
         fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) == 0 &&
         pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) == 0;
    if (!ok) {
        const QString why = errnoText();
        closeFds();
        return fail(error, QStringLiteral("cannot set up the pseudo-terminal: %1").arg(why));
    }
    m_ptyPath = QString::fromLocal8Bit(name);
    if (!linkPath.isEmpty()) {
        const QString link = QFileInfo(linkPath).absoluteFilePath();
        if (!makeLink(link, m_ptyPath, error)) {
            closeFds();
            return false;
        }
        std::lock_guard lock(m_mutex);
        m_links.append(link);
    }
    {
        std::lock_guard lock(m_mutex);
        m_core.resume();
    }
    m_stopping = false;
    m_running = true;
    m_thread = std::thread(&Simulator::run, this);
    return true;
}

bool Simulator::publish(const QString &name, QString *error)
{
    if (!m_running) return fail(error, QStringLiteral("the simulated unit is not running"));
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return fail(error, QStringLiteral("'%1' cannot be used as a device name").arg(name));
    const QString dir = publishDir();
    if (!ensurePublishDir(dir, error)) return false;
    const QString link = dir + QLatin1Char('/') + name;
    // The serial number goes beside the link first, so the link never shows another unit's.
    const QString serialFile = publishedSerialPath(name);
    QFile::remove(serialFile);
    if (!m_options.usbSerial.isEmpty()) {
        QSaveFile file(serialFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(m_options.usbSerial.toUtf8() + '\n') < 0 ||
            !file.commit())
            return fail(error, QStringLiteral("cannot create %1: %2").arg(serialFile, file.errorString()));
    }
    if (!makeLink(link, m_ptyPath, error)) {
        QFile::remove(serialFile);
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_links.append(link);
    if (!m_options.usbSerial.isEmpty()) m_serialFiles.append(serialFile);
    return true;
}

void Simulator::stop()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        const char wake = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake[1], &wake, 1);
        m_thread.join();
    }
    {
        std::lock_guard lock(m_mutex);
        removeLinksLocked();
    }
    closeFds();
    m_running = false;
}

void Simulator::closeFds()
{
    for (int *fd : {&m_master, &m_slave, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

QByteArray Simulator::memory(quint32 address, int length) const
{
    std::lock_guard lock(m_mutex);
    return m_core.memory().read(address, length);
}

bool Simulator::setMemory(quint32 address, const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    if (!m_core.memory().write(address, bytes)) return false;
    saveImageLocked();
    return true;
}

int Simulator::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_core.requestCount();
}

QList<QByteArray> Simulator::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_core.requests();
}

void Simulator::saveImageLocked()
{
    QString error;
    if (!m_options.imagePath.isEmpty() && !m_core.memory().save(m_options.imagePath, &error))
        qWarning("zarvento-devsim: %s", qPrintable(error));
}

void Simulator::removeLinksLocked()
{
    for (const QString &link : std::as_const(m_links))
        removeLink(link, m_ptyPath);
    m_links.clear();
    // Only while it still holds this unit's number: another unit may have taken the name.
    for (const QString &serialFile : std::as_const(m_serialFiles)) {
        QFile file(serialFile);
        if (file.open(QIODevice::ReadOnly) && file.readAll() == m_options.usbSerial.toUtf8() + '\n') {
            file.close();
            file.remove();
        }
    }
    m_serialFiles.clear();
}

void Simulator::vanish()
{
    // Links go first, so no moment exists in which they name a pty number that the system
    // may hand to someone else.
    {
        std::lock_guard lock(m_mutex);
        removeLinksLocked();
    }
    // Closing the master discards what the client has not read yet: give it the time to
    // take the last reply (which was answered, after all), but not forever.
    const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(kDrainMs);
    int pending = 0;
    while (waitUntil(Clock::now() + std::chrono::milliseconds(10)) && Clock::now() < giveUp &&
           ioctl(m_slave, TIOCINQ, &pending) == 0 && pending > 0) {
    }
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    m_running = false;
}

void Simulator::run()
{
    char buffer[4096];
    while (!m_stopping) {
        bool partial, trickling;
        {
            std::lock_guard lock(m_mutex);
            partial = m_core.inFrame();
            trickling = m_options.trickleFrom > 0 && m_core.requestCount() >= m_options.trickleFrom;
        }
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, trickling ? kTrickleMs : partial ? kFrameGapMs : -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || fds[1].revents) return;
        if (ready == 0) {
            if (trickling) {
                // Noise on a line nobody answers on: never a start byte.
                static const char stray[] = {0x55, 0x0A};
                if (!writeAll(&stray[m_trickled++ % 2], 1)) return;
                continue;
            }
            std::lock_guard lock(m_mutex);
            m_core.abandonPartialFrame();
            continue;
        }
        const ssize_t n = (fds[0].revents & POLLIN) ? ::read(m_master, buffer, sizeof buffer) : 0;
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            // Woken without anything to read (a hang-up while no client is attached): do not spin.
            if (!waitUntil(Clock::now() + std::chrono::milliseconds(10))) return;
            continue;
        }
        const Clock::time_point arrival = Clock::now();
        DeviceCore::Result result;
        {
            std::lock_guard lock(m_mutex);
            result = m_core.receive(QByteArrayView(buffer, n));
            if (result.memoryChanged) saveImageLocked();
        }
        for (const DeviceCore::Reply &reply : std::as_const(result.replies)) {
            if (!transmit(reply, arrival)) return;
            if (reply.vanish) {
                vanish();
                return;
            }
        }
    }
}

bool Simulator::transmit(const DeviceCore::Reply &reply, Clock::time_point arrival)
{
    using namespace std::chrono;
    if (reply.frame.isEmpty() && reply.injected.isEmpty() && reply.noise.isEmpty()) return true;
    Clock::time_point due = arrival;
    if (m_options.baud > 0) due += nanoseconds(qint64(reply.requestSize) * 10'000'000'000LL / m_options.baud);
    due += milliseconds(m_options.delayMs + reply.extraDelayMs);
    if (!waitUntil(due)) return false;

    QByteArray out = reply.noise + reply.frame;
    out.insert(qBound(0, reply.injectOffset, int(out.size())), reply.injected);
    if (!m_options.split) return sendPaced(out.constData(), int(out.size()));
    // 3 to 5 pieces of varying size with pauses of 2 to 5 ms between them.
    const int pieces = qMin(3 + reply.request % 3, int(out.size()));
    int sent = 0;
    for (int i = 0; i < pieces; ++i) {
        const int end = i == pieces - 1 ? int(out.size()) : int(out.size()) * (i + 1) / pieces - (i % 2);
        if (end > sent && !sendPaced(out.constData() + sent, end - sent)) return false;
        sent = qMax(sent, end);
        if (i < pieces - 1 && !waitUntil(Clock::now() + milliseconds(2 + (reply.request + i) % 4)))
            return false;
    }
    return true;
}

// Sends bytes at the line speed: byte i is due (i + 1) character times after the start,
// counted from one fixed start so that late wake-ups do not add up.
bool Simulator::sendPaced(const char *data, int size)
{
    if (m_options.baud <= 0) return writeAll(data, size);
    const Clock::time_point start = Clock::now();
    auto due = [&](int i) {
        return start + std::chrono::nanoseconds(qint64(i + 1) * 10'000'000'000LL / m_options.baud);
    };
    int i = 0;
    while (i < size) {
        if (!waitUntil(due(i))) return false;
        const Clock::time_point now = Clock::now();
        int end = i + 1;
        while (end < size && due(end) <= now)
            ++end;
        if (!writeAll(data + i, end - i)) return false;
        i = end;
    }
    return true;
}

bool Simulator::writeAll(const char *data, int size)
{
    Clock::time_point stallSince{};
    while (size > 0) {
        const ssize_t n = ::write(m_master, data, size_t(size));
        if (n > 0) {
            data += n;
            size -= int(n);
            stallSince = {};
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN)
            return !m_stopping; // the line is gone; the reply is lost, as on a real line
        const Clock::time_point now = Clock::now();
        if (stallSince == Clock::time_point{}) stallSince = now;
        if (now - stallSince > std::chrono::milliseconds(kWriteStallMs))
            return true; // nobody reads: drop the rest
        pollfd fds[2] = {{m_master, POLLOUT, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, 50) > 0 && fds[1].revents) return false;
    }
    return true;
}

// Sleeps until deadline; false when stop() was asked for meanwhile.
bool Simulator::waitUntil(Clock::time_point deadline)
{
    for (;;) {
        if (m_stopping) return false;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
        pollfd wake{m_wake[0], POLLIN, 0};
        if (::ppoll(&wake, 1, &timeout, nullptr) > 0) return false;
    }
}

} // namespace zc::devsim
