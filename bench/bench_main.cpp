// zarvento-bench: transfer timings against the simulated unit over a real pseudo-terminal.
// Prints one figure a line as "name: value unit", with the wire-time limit beside paced runs.
#include "settings/basic_inf.h"
#include "link/comm.h"
#include "link/reply_handler.h"
#include "link/reporter.h"
#include "link/request.h"
#include "link/rule_timer.h"
#include "settings/settings_model.h"
#include "devsim/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zc;

namespace {

// Says nothing, answers yes, and ends the wait when a completion message arrives.
class QuietReporter : public Reporter
{
public:
    QEventLoop *loop = nullptr;
    QString last;
    void setStatus(const QString &) override {}
    void setStatusDirect(const QString &) override {}
    void setProgress(int) override {}
    void messageBox(const QString &t) override { done(t); }
    void messageDialog(const QString &t) override { done(t); }
    bool question(const QString &) override { return true; }
    bool warningOkCancel(const QString &) override { return true; }
    void done(const QString &t)
    {
        last = t;
        if (loop)
            loop->quit();
    }
};

void print(const char *name, double value, const char *unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double wireSeconds(int bytes, int baud)
{
    return bytes * 10.0 / baud;
}

// A paced run: its total, the time the bytes alone need on the line, and their ratio.
void printPaced(const QString &name, double total, double limit, const char *unit)
{
    print(qPrintable(name + QStringLiteral(".paced.total")), total, unit);
    print(qPrintable(name + QStringLiteral(".paced.wire_limit")), limit, unit);
    print(qPrintable(name + QStringLiteral(".paced.ratio")), total / limit, "x");
}

struct Rig
{
    devsim::Simulator sim;
    TComm comm;
    QuietReporter reporter;
    RuleTimer timer{3000};
    ReplyHandler handler{reporter, timer};

    explicit Rig(const devsim::Options &o) : sim(o)
    {
        QString error;
        if (!sim.start({}, &error)) {
            std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
            std::exit(1);
        }
        comm.SetCommName(sim.ptyPath());
        comm.OpenPort();
        QObject::connect(&comm, &TComm::OnReceiveData, &handler, &ReplyHandler::cm1ReceiveData);
        QObject::connect(&timer, &QTimer::timeout, &handler, &ReplyHandler::tmr1Timer);
    }
    LinkContext link() { return {&comm, &reporter, &timer}; }
    // Runs the event loop until a message or 60 s; true when the message is `success`.
    bool wait(const QString &success)
    {
        QEventLoop loop;
        reporter.loop = &loop;
        reporter.last.clear();
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        reporter.loop = nullptr;
        return reporter.last == success;
    }
};

// Reads the 125 pages of the number list; returns per-page tool overhead in ms (from the
// first byte of a reply to the next request written) and the total time in s.
struct ChainResult
{
    std::vector<double> overheadMs;
    double totalS = 0;
    bool ok = false;
};

ChainResult read125(int baud)
{
    devsim::Options o;
    o.preset = devsim::Preset::Demo;
    o.baud = baud;
    Rig rig(o);
    Tsend_rec_command numbers;
    ChainResult r;
    QElapsedTimer clock;
    qint64 firstByte = -1;
    QObject::connect(&rig.comm, &TComm::OnReceiveData, [&](std::uint8_t) {
        if (firstByte < 0)
            firstByte = clock.nsecsElapsed();
    });
    auto step = [&] {
        if (numbers.step() == Tsend_rec_command::Step::SendPage) {
            sendPage(numbers, rig.link(), kCmdReadBlock, std::uint32_t(numberPageAddress(numbers.nextPage)), 0,
                     nullptr, QStringLiteral("Reading telephone number information"));
        } else if (numbers.step() == Tsend_rec_command::Step::Complete) {
            rig.reporter.done(QStringLiteral("complete"));
        }
    };
    ReplyHandler::Targets t;
    t.numbers = &numbers;
    t.decodeNumberListPage = [&] {
        step();
        if (firstByte >= 0)
            r.overheadMs.push_back((clock.nsecsElapsed() - firstByte) / 1e6);
        firstByte = -1;
    };
    rig.handler.setTargets(t);
    clock.start();
    numbers.start(kNumberPages);
    step();
    r.ok = rig.wait(QStringLiteral("complete"));
    r.totalS = clock.nsecsElapsed() / 1e9;
    return r;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void benchRead125()
{
    const ChainResult fast = read125(0);
    if (!fast.ok)
        std::fprintf(stderr, "read125: unpaced chain did not complete\n");
    print("read125.overhead_per_page.median", median(fast.overheadMs), "ms");
    print("read125.overhead_per_page.worst",
          fast.overheadMs.empty() ? 0 : *std::max_element(fast.overheadMs.begin(), fast.overheadMs.end()), "ms");
    const ChainResult paced = read125(115200);
    if (!paced.ok)
        std::fprintf(stderr, "read125: paced chain did not complete\n");
    printPaced(QStringLiteral("read125"), paced.totalS, wireSeconds(125 * (9 + 265), 115200), "s");
}

void benchSettings()
{
    devsim::Options o;
    o.baud = 115200;
    Rig rig(o);
    SettingsModel model;
    TBasicInf basic(model, rig.link());
    ReplyHandler::Targets t;
    t.settings = &basic;
    t.decodeSettingsPage = [&] { basic.DecodeSettingsPage(); };
    t.sendNextSettingsPage = [&] { basic.SendNextSettingsPage(); };
    rig.handler.setTargets(t);

    QElapsedTimer clock;
    clock.start();
    basic.Read();
    if (!rig.wait(QStringLiteral("Basic settings read to PC software success.")))
        std::fprintf(stderr, "settings read did not complete: %s\n", qPrintable(rig.reporter.last));
    printPaced(QStringLiteral("settings.read"), clock.nsecsElapsed() / 1e6,
               wireSeconds(2 * (9 + 265), 115200) * 1000, "ms");

    clock.restart();
    basic.Save();
    if (!rig.wait(QStringLiteral("Basic setting saved success")))
        std::fprintf(stderr, "settings save did not complete: %s\n", qPrintable(rig.reporter.last));
    printPaced(QStringLiteral("settings.save"), clock.nsecsElapsed() / 1e6,
               wireSeconds(2 * (265 + 10), 115200) * 1000, "ms");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchRead125();
    benchSettings();
    return 0;
}
