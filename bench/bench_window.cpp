// window.*: the real main window reading the settings, the number list and the history log
// and saving the list through its buttons' handlers, against a simulated unit paced at
// 115200 baud. Each operation is timed beside a raw client on a second, identical unit in
// the same run, runs alternating: the raw client only writes request frames and waits for
// whole replies on a plain file descriptor, so it is the floor the line allows. Printed per
// operation: the window's time, the raw time, their ratio (target 1.01) and the median
// overhead per page, window minus raw divided by the pages (limit 0.1 ms). With ZC_BENCH_TRACE
// set, each window run also says how long the click itself took and how long the window
// worked after the last page (the fixed costs inside the overhead).
#include "bench_print.h"
#include "bench_rig.h"
#include "devsim/simulator.h"
#include "link/frame.h"
#include "ui/history_page.h"
#include "ui/main_window.h"
#include "ui/number_list_page.h"
#include "ui/settings_page.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace zc;

namespace {

constexpr int kBaud = 115200;
QString g_only; // runs only the operations whose name contains this

// Answers every question with yes at once and shows nothing.
class AnsweringReporter : public Reporter
{
public:
    void setStatus(const QString &) override {}
    void setStatusDirect(const QString &) override {}
    void setProgress(int) override {}
    void messageBox(const QString &) override {}
    void messageDialog(const QString &) override {}
    bool question(const QString &) override { return true; }
    bool warningOkCancel(const QString &) override { return true; }
};

// The floor: request frames written to the pty, each reply read whole before the next
// request goes out. Nothing but the bytes.
class RawClient
{
public:
    explicit RawClient(const QString &path)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (m_fd < 0) {
            std::perror("raw client: open");
            std::exit(1);
        }
        termios t{};
        tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, B115200);
        tcsetattr(m_fd, TCSANOW, &t);
        tcflush(m_fd, TCIOFLUSH);
    }
    ~RawClient() { ::close(m_fd); }

    // Sends one request and waits for its whole reply; false on a time-out or write error.
    bool transact(const FrameBytes &request)
    {
        for (int sent = 0; sent < request.size;) {
            const ssize_t n = ::write(m_fd, request.bytes.data() + sent, std::size_t(request.size - sent));
            if (n <= 0) return false;
            sent += int(n);
        }
        std::uint8_t buf[512];
        int have = 0;
        int need = kHeaderSize + 1;
        while (have < need) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 3000) <= 0) return false;
            const ssize_t n = ::read(m_fd, buf + have, std::size_t(int(sizeof buf) - have));
            if (n <= 0) return false;
            have += int(n);
            if (have >= kHeaderSize) need = kHeaderSize + ((buf[6] << 8) | buf[7]) + 1;
        }
        return true;
    }
    // Reads (or, with pages given, writes) `count` pages from `base`; seconds, or -1 on failure.
    double run(std::int32_t base, int count, const std::vector<QByteArray> &writePages = {})
    {
        QElapsedTimer clock;
        clock.start();
        for (int p = 0; p < count; ++p) {
            const auto address = std::uint32_t(base + p * kPageSize);
            const FrameBytes f = writePages.empty()
                                     ? buildRequest(kCmdReadBlock, address)
                                     : buildRequest(kCmdWriteBlock, address, kPageSize,
                                                    reinterpret_cast<const std::uint8_t *>(
                                                        writePages[std::size_t(p)].constData()));
            if (!transact(f)) return -1;
        }
        return clock.nsecsElapsed() / 1e9;
    }

private:
    int m_fd = -1;
};

// The main window as a user runs it, its port open on a simulated unit.
struct Window
{
    AnsweringReporter dialogs;
    std::unique_ptr<TForm1> form;

    explicit Window(const QString &path)
    {
        TForm1::Options o;
        o.dialogs = &dialogs;
        o.discoverPorts = false;
        form = std::make_unique<TForm1>(o);
        form->show();
        form->findChild<QComboBox *>(QStringLiteral("cbb9"))->setEditText(path);
        form->btn8Click();
        if (!form->portStateOpen()) {
            std::fprintf(stderr, "window: the port did not open\n");
            std::exit(1);
        }
        QCoreApplication::processEvents();
    }
    template <typename T> T *page(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    // The tab holding `page` becomes the current one, as when the user picks it.
    void showPage(QWidget *page) const
    {
        auto *tabs = form->findChild<QTabWidget *>(QStringLiteral("pgc1"));
        for (int i = 0; tabs && i < tabs->count(); ++i)
            if (tabs->widget(i) == page || tabs->widget(i)->isAncestorOf(page)) tabs->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }
    // Presses a button through its handler and runs the event loop until the transfer
    // finished; seconds, or -1 when it ended early or took over two minutes.
    double run(Tsend_rec_command &transfer, const std::function<void()> &click) const
    {
        QEventLoop loop;
        bool completed = false;
        const auto done = QObject::connect(&transfer, &Tsend_rec_command::done, &loop, [&](const Outcome &o) {
            completed = o.completed();
            loop.quit();
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        qint64 lastPage = 0;
        std::vector<double> periods;
        const auto page = QObject::connect(&transfer, &Tsend_rec_command::pageRead, &loop, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (lastPage) periods.push_back((now - lastPage) / 1e6);
            lastPage = now;
        });
        click();
        const qint64 clicked = clock.nsecsElapsed();
        if (transfer.active()) loop.exec();
        const double s = clock.nsecsElapsed() / 1e9;
        QObject::disconnect(page);
        if (qEnvironmentVariableIsSet("ZC_BENCH_TRACE")) {
            std::sort(periods.begin(), periods.end());
            const auto at = [&](double q) {
                return periods.empty() ? 0.0 : periods[std::size_t(q * (periods.size() - 1))];
            };
            std::fprintf(
                stderr,
                "click %.3f ms, after last page %.3f ms, page to page: median %.3f, p90 %.3f, max %.3f ms\n",
                clicked / 1e6, lastPage ? (clock.nsecsElapsed() - lastPage) / 1e6 : 0.0, at(0.5), at(0.9),
                at(1.0));
        }
        QObject::disconnect(done);
        return completed ? s : -1;
    }
};

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Alternates `runs` window and raw runs and prints the figures of one operation.
void compare(const char *name, int pages, int runs, const std::function<double()> &window,
             const std::function<double()> &raw)
{
    if (!QString::fromLatin1(name).contains(g_only)) return;
    std::vector<double> w, r, perPage;
    for (int i = 0; i < runs; ++i) {
        const double ws = window();
        const double rs = raw();
        if (ws < 0 || rs < 0) {
            std::fprintf(stderr, "%s: run %d did not complete (window %.3f, raw %.3f)\n", name, i + 1, ws,
                         rs);
            continue;
        }
        w.push_back(ws);
        r.push_back(rs);
        perPage.push_back((ws - rs) * 1000 / pages);
    }
    const QString n = QStringLiteral("window.") + QLatin1String(name);
    const double wm = median(w), rm = median(r);
    print(qPrintable(n + QStringLiteral(".window")), wm, "s");
    print(qPrintable(n + QStringLiteral(".raw")), rm, "s");
    print(qPrintable(n + QStringLiteral(".ratio")), rm > 0 ? wm / rm : 0, "x");
    print(qPrintable(n + QStringLiteral(".ratio.target")), 1.01, "x");
    print(qPrintable(n + QStringLiteral(".overhead_per_page.median")), median(perPage), "ms");
    print(qPrintable(n + QStringLiteral(".overhead_per_page.limit")), 0.1, "ms");
}

} // namespace

// `runs` alternating runs per operation (the settings read at least 9, the history read,
// about 12 s, half as many and at least 3); only the operations whose name contains `only`.
void benchWindow(int runs, const QString &only)
{
    g_only = only;
    const auto windowUnit = bench::startPacedUnit(kBaud);
    const auto rawUnit = bench::startPacedUnit(kBaud);
    Window win(windowUnit->ptyPath());
    RawClient raw(rawUnit->ptyPath());

    auto *settings = win.page<SettingsPage>("ts1");
    auto *numbers = win.page<NumberListPage>("ts2");
    auto *history = win.page<HistoryPage>("ts3");
    if (!settings || !numbers || !history) {
        std::fprintf(stderr, "window: a page was not found\n");
        return;
    }

    win.showPage(settings);
    compare(
        "settings.read", kSettingsPages, std::max(runs, 9),
        [&] { return win.run(settings->transfer(), [&] { win.form->btn21Click(); }); },
        [&] { return raw.run(kSettingsBase, kSettingsPages); });

    win.showPage(numbers);
    compare(
        "numbers.read", kNumberPages, runs,
        [&] { return win.run(numbers->transfer(), [&] { numbers->btn10Click(); }); },
        [&] { return raw.run(kNumbersBase, kNumberPages); });

    // The raw client writes back what its unit holds, as the window saves what it read.
    std::vector<QByteArray> listPages;
    for (int p = 1; p <= kNumberPages; ++p)
        listPages.push_back(rawUnit->memory(quint32(numberPageAddress(p)), kPageSize));
    compare(
        "numbers.save", kNumberPages, runs,
        [&] { return win.run(numbers->transfer(), [&] { numbers->btn9Click(); }); },
        [&] { return raw.run(kNumbersBase, kNumberPages, listPages); });

    win.showPage(history);
    compare(
        "history.read", kHistoryPages, std::max(3, runs / 2),
        [&] { return win.run(history->transfer(), [&] { history->btn19Click(); }); },
        [&] { return raw.run(kHistoryBase, kHistoryPages); });
}
