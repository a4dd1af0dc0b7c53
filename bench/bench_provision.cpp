// provision.units_4.ratio: the number list written to four paced simulated units at once,
// through the command-line program's unit jobs in one event loop, divided by the time one
// unit alone takes. The units work in parallel, so the figure should stay near 1.
#include "bench_rig.h"
#include "cli/unit_job.h"
#include "devsim/simulator.h"
#include "numbers/numbers_model.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

using namespace zc;

namespace {

// Seconds to provision `units` paced simulated units at once; 0 on failure.
double provisionSeconds(int units)
{
    std::vector<std::unique_ptr<devsim::Simulator>> sims;
    QStringList ports;
    for (int i = 0; i < units; ++i) {
        sims.push_back(bench::startPacedUnit(115200, devsim::Preset::Factory));
        ports << sims.back()->ptyPath();
    }
    return bench::provisionSeconds(ports);
}

} // namespace

double bench::provisionSeconds(const QStringList &ports)
{
    QList<NumberRow> rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        NumberRow row;
        row[NumberColumn::Number] = QStringLiteral("+4477009%1").arg(r, 5, 10, QLatin1Char('0'));
        row[NumberColumn::Always] = QStringLiteral("yes");
        rows << row;
    }
    std::vector<std::unique_ptr<cli::UnitJob>> jobs;
    for (const QString &port : ports) {
        cli::UnitJob::Options jo;
        jo.port = port;
        jo.password = QStringLiteral("8530");
        jobs.push_back(std::make_unique<cli::UnitJob>(jo));
        jobs.back()->numbers().setRows(NumbersModel::FirstEntry, rows, NumberColumn::Number,
                                       NumberColumn::Always);
        jobs.back()->addOpenAndLogIn();
        jobs.back()->addSave(Area::Numbers);
    }
    QEventLoop loop;
    qsizetype left = ports.size();
    QElapsedTimer timer;
    timer.start();
    for (auto &job : jobs) {
        QObject::connect(job.get(), &cli::UnitJob::finished, &loop, [&] {
            if (--left == 0) loop.quit();
        });
        job->start();
    }
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    for (auto &job : jobs)
        if (!job->isFinished() || job->exit() != cli::Exit::Done) {
            std::fprintf(stderr, "provision %s: %s\n", qPrintable(job->port()),
                         qPrintable(job->messages().join(u' ')));
            return 0;
        }
    return seconds;
}

void benchProvision()
{
    const double one = provisionSeconds(1);
    const double four = provisionSeconds(4);
    std::printf("provision.units_1.paced.total: %.3f s\n", one);
    std::printf("provision.units_4.paced.total: %.3f s\n", four);
    std::printf("provision.units_4.ratio: %.3f x (target <= 1.1)\n", one > 0 ? four / one : 0.0);
    std::fflush(stdout);
}
