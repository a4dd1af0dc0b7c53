// audit.units_16.ratio: zarvento-cli audit over sixteen paced simulated units at once,
// divided by the time one unit's read of the same areas takes alone (settings and list;
// with --history the log too). The units are read side by side and the rules take no
// measurable time, so the figure should stay near 1.
#include "cli/commands.h"
#include "cli/unit_job.h"
#include "devsim/simulator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

using namespace zc;

namespace {

std::vector<std::unique_ptr<devsim::Simulator>> pacedUnits(int count)
{
    std::vector<std::unique_ptr<devsim::Simulator>> sims;
    for (int i = 0; i < count; ++i) {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        o.baud = 115200;
        sims.push_back(std::make_unique<devsim::Simulator>(o));
        if (!sims.back()->start()) sims.clear();
    }
    return sims;
}

// Seconds to log in to one paced unit and read its settings, list and (with history) log.
double readSeconds(bool history)
{
    const auto sims = pacedUnits(1);
    if (sims.empty()) return 0;
    cli::UnitJob::Options o;
    o.port = sims.front()->ptyPath();
    o.password = QStringLiteral("8530");
    cli::UnitJob job(o);
    job.addOpenAndLogIn();
    job.addRead(Area::Settings);
    job.addRead(Area::Numbers);
    if (history) job.addRead(Area::History);
    QEventLoop loop;
    QObject::connect(&job, &cli::UnitJob::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    job.start();
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    return job.isFinished() && job.exit() == cli::Exit::Done ? timer.nsecsElapsed() / 1e9 : 0;
}

// Seconds the audit command takes over `units` paced units; 0 when it failed.
double auditSeconds(int units, bool history)
{
    const auto sims = pacedUnits(units);
    if (sims.empty()) return 0;
    QList<QByteArray> args{"zarvento-cli", "audit", "--quiet"};
    if (history) args << "--history";
    for (const auto &sim : sims)
        args << "--port" << sim->ptyPath().toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    QElapsedTimer timer;
    timer.start();
    // Exit 1 means the demo units' findings were found: the audit ran.
    const int code = cli::run(int(argv.size()), argv.data());
    return code == 0 || code == 1 ? timer.nsecsElapsed() / 1e9 : 0;
}

} // namespace

void benchAudit()
{
    for (const bool history : {false, true}) {
        const char *kind = history ? "history" : "settings_list";
        const double one = readSeconds(history);
        const double sixteen = auditSeconds(16, history);
        std::printf("audit.%s.read_1.paced.total: %.3f s\n", kind, one);
        std::printf("audit.%s.units_16.paced.total: %.3f s\n", kind, sixteen);
        std::printf("audit.%s.units_16.ratio: %.3f x (target <= 1.1)\n", kind, one > 0 ? sixteen / one : 0.0);
        std::fflush(stdout);
    }
}
