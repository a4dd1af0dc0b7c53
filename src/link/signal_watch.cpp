#include "link/signal_watch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace zc {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = int(std::size(kSignals));

int g_writeFd = -1;
struct sigaction g_old[kSignalCount] = {};

extern "C" void writeSignal(int signalNumber)
{
    const char c = char(signalNumber);
    const int saved = errno;
    if (g_writeFd >= 0) (void)!::write(g_writeFd, &c, 1);
    errno = saved;
}

} // namespace

SignalWatch::SignalWatch(std::function<void(int)> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_fds) != 0) return;
    g_writeFd = m_fds[0];
    m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char c = 0;
        while (::read(m_fds[1], &c, 1) == 1)
            if (m_onSignal) m_onSignal(int(c));
    });
    struct sigaction sa
    {
    };
    sa.sa_handler = writeSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &sa, &g_old[i]);
}

SignalWatch::~SignalWatch()
{
    if (m_fds[0] < 0) return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &g_old[i], nullptr);
    g_writeFd = -1;
    delete m_notifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void SignalWatch::ignoreBrokenPipes()
{
    ::signal(SIGPIPE, SIG_IGN);
}

} // namespace zc
