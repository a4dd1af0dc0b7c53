// Units behind a network serial server: a real ser2net on loopback in front of paced
// simulated units.
//   remote.read125.*: the 125-page number list read through RFC 2217 against the same read
//     on the pseudo-terminal (target ratio <= 1.05).
//   remote.proxy_R*.*: the same read through raw TCP behind a relay that delays each
//     direction by R/2, against the local time + 125 x R (target ratio <= 1.05).
//   remote.provision_16x4.*: a full list saved to 16 units behind 4 ser2net instances at once,
//     against one unit alone (target ratio <= 1.1).
//   remote.provision_16_pty.*: the same sixteen units on their pseudo-terminals, against one
//     of them alone: what this machine allows without a network.
// With fleetOnly, only the two fleet figures (for repeated runs).
#include "bench_print.h"
#include "bench_rig.h"
#include "cli/unit_job.h"
#include "common/delay_proxy.h"
#include "common/ser2net_rig.h"
#include "devsim/simulator.h"
#include "link/link_session.h"
#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"
#include "words/link_words.h"
#include "words/port_words.h"
#include "words/reporter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace zc;
using namespace zc::test;

namespace {

// Seconds for the whole list read through port (opened first, not counted); 0 on failure.
double readListSeconds(const QString &port)
{
    bench::QuietReporter reporter;
    LinkWords words{reporter};
    LinkSession session{&words};
    NumbersModel model;
    TtelephoneSend numbers(model);
    session.attach(numbers);
    try {
        session.open(port);
    } catch (const ECommsError &e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(port), qPrintable(portAdvice(e)));
        return 0;
    }
    QEventLoop loop;
    reporter.loop = &loop;
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    numbers.Read();
    loop.exec();
    const double s = clock.nsecsElapsed() / 1e9;
    return reporter.last == QStringLiteral("Authorized number list read to PC software success.") ? s : 0;
}

double best(int runs, const std::function<double()> &f)
{
    double b = 0;
    for (int i = 0; i < runs; ++i) {
        const double s = f();
        if (s > 0 && (b == 0 || s < b)) b = s;
    }
    return b;
}

} // namespace

void benchRemote(bool fleetOnly)
{
    if (!fleetOnly) {
        const auto sim = bench::startPacedUnit(115200);
        Ser2net gate(sim->ptyPath());
        const double pty = best(3, [&] { return readListSeconds(sim->ptyPath()); });
        const double telnet = best(3, [&] { return readListSeconds(gate.address(Ser2net::Telnet)); });
        print("remote.read125.pty", pty, "s");
        print("remote.read125.rfc2217", telnet, "s");
        print("remote.read125.ratio", pty > 0 ? telnet / pty : 0, "x (target <= 1.05)");

        for (const int r : {10, 40}) {
            DelayProxy far(gate.port(Ser2net::Raw), r / 2);
            const double through = best(
                2, [&] { return readListSeconds(QStringLiteral("socket://127.0.0.1:%1").arg(far.port())); });
            const double limit = pty + 125 * r / 1000.0;
            const QByteArray name = "remote.proxy_R" + QByteArray::number(r) + "ms";
            print((name + ".total").constData(), through, "s");
            print((name + ".local_plus_125R").constData(), limit, "s");
            print((name + ".ratio").constData(), limit > 0 ? through / limit : 0, "x (target <= 1.05)");
        }
    }
    {
        std::vector<std::unique_ptr<devsim::Simulator>> sims;
        for (int i = 0; i < 16; ++i)
            sims.push_back(bench::startPacedUnit(115200));
        std::vector<std::unique_ptr<Ser2net>> gates;
        QStringList all;
        for (int g = 0; g < 4; ++g) {
            QList<Ser2net::Accepter> accepters;
            for (int u = 0; u < 4; ++u)
                accepters.append({sims[std::size_t(g * 4 + u)]->ptyPath(), Ser2net::Telnet});
            gates.push_back(std::make_unique<Ser2net>(accepters));
            for (int u = 0; u < 4; ++u)
                all << gates.back()->address(u);
        }
        QStringList ptys;
        for (const auto &sim : sims)
            ptys << sim->ptyPath();
        // ser2net lets a device go a moment after its client left (longer on a busy machine):
        // each fleet starts once the last one's devices are free.
        const auto settled = [](const QStringList &ports) {
            QThread::msleep(300);
            return bench::provisionSeconds(ports);
        };
        const double one = settled({all.front()});
        const double sixteen = settled(all);
        const double onePty = settled({ptys.front()});
        const double sixteenPty = settled(ptys);
        print("remote.provision_16x4.one_unit", one, "s");
        print("remote.provision_16x4.sixteen_units", sixteen, "s");
        print("remote.provision_16x4.ratio", one > 0 ? sixteen / one : 0, "x (target <= 1.1)");
        print("remote.provision_16_pty.one_unit", onePty, "s");
        print("remote.provision_16_pty.sixteen_units", sixteenPty, "s");
        print("remote.provision_16_pty.ratio", onePty > 0 ? sixteenPty / onePty : 0, "x");
    }
}
