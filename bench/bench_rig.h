// What the benchmarks share: a reporter that says nothing and answers yes, a simulated unit
// paced like a real line, and the timed provisioning of a number list to several units.
#pragma once

#include "devsim/simulator.h"
#include "words/reporter.h"

#include <QEventLoop>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace zc::bench {

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
        if (loop) loop->quit();
    }
};

// A started simulated unit at `baud`; the benchmark ends when none can be started.
inline std::unique_ptr<devsim::Simulator> startPacedUnit(int baud,
                                                         devsim::Preset preset = devsim::Preset::Demo)
{
    devsim::Options o;
    o.preset = preset;
    o.baud = baud;
    auto sim = std::make_unique<devsim::Simulator>(o);
    QString error;
    if (!sim->start({}, &error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        std::exit(1);
    }
    return sim;
}

// Seconds to log in to every port at once and save a full list to each, through the
// command line's unit jobs in one event loop; 0 on failure (said on stderr).
double provisionSeconds(const QStringList &ports);

} // namespace zc::bench
