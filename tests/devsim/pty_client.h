// The client end of a simulated unit's pseudo-terminal, opened the plain POSIX way.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace zc::devsim::test {

class PtyClient
{
public:
    explicit PtyClient(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio{};
        if (m_fd >= 0 && tcgetattr(m_fd, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~PtyClient() { close(); }
    PtyClient(const PtyClient &) = delete;
    PtyClient &operator=(const PtyClient &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close()
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    bool send(const QByteArray &bytes)
    {
        return m_fd >= 0 && ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until count bytes arrived, the line hung up or timeoutMs passed (0: only what is there).
    QByteArray read(int count, int timeoutMs = 5000)
    {
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (out.size() < count && !m_hungUp) {
            const qint64 left = qMax<qint64>(0, timeoutMs - timer.elapsed());
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(left)) > 0) {
                char buffer[512];
                const ssize_t n =
                    ::read(m_fd, buffer, qMin<size_t>(sizeof buffer, size_t(count - out.size())));
                if (n > 0)
                    out.append(buffer, n);
                else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                    m_hungUp = true;
            }
            if (left == 0) break;
        }
        return out;
    }

    // Reads one frame, skipping anything before its start byte; empty on timeout.
    QByteArray readFrame(int timeoutMs = 5000, QByteArray *skipped = nullptr)
    {
        QElapsedTimer timer;
        timer.start();
        QByteArray b;
        while ((b = read(1, int(timeoutMs - timer.elapsed()))) != "#") {
            if (b.isEmpty()) return {};
            if (skipped) skipped->append(b);
        }
        QByteArray frame = b + read(7, int(timeoutMs - timer.elapsed()));
        if (frame.size() < 8) return {};
        const int n = (quint8(frame[6]) << 8) | quint8(frame[7]);
        frame += read(n + 1, int(timeoutMs - timer.elapsed()));
        return frame.size() == n + 9 ? frame : QByteArray();
    }

    // True once reading shows the other side has gone.
    bool waitHangup(int timeoutMs = 5000)
    {
        read(1 << 20, timeoutMs);
        return m_hungUp;
    }

private:
    int m_fd = -1;
    bool m_hungUp = false;
};

} // namespace zc::devsim::test
