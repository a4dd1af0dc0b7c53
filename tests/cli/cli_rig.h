// Simulated units on fresh pseudo-terminals, one per options entry, and the real
// zarvento-cli program run against them.
#pragma once

#include "devsim/simulator.h"
#include "link/address_map.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

namespace zc::test {

struct CliRun
{
    int code = -1;
    QByteArray out, err;
    qint64 ms = 0;
};

// Runs zarvento-cli with args; a run that does not end within timeoutMs counts as a hang (-1).
// With shell, the program runs from bash after those commands (limits, redirections).
inline CliRun runCli(const QStringList &args, int timeoutMs = 30000, const QString &shell = {})
{
    CliRun r;
    QProcess p;
    QElapsedTimer t;
    t.start();
    if (shell.isEmpty())
        p.start(QStringLiteral(ZC_CLI_PROGRAM), args);
    else
        p.start(QStringLiteral("bash"),
                QStringList{QStringLiteral("-c"), shell + QStringLiteral("; exec \"$0\" \"$@\""),
                            QStringLiteral(ZC_CLI_PROGRAM)} +
                    args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.ms = t.elapsed();
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

struct Units
{
    std::vector<std::unique_ptr<devsim::Simulator>> sims;

    explicit Units(const QList<devsim::Options> &options)
    {
        for (const devsim::Options &o : options) {
            sims.push_back(std::make_unique<devsim::Simulator>(o));
            QString error;
            if (!sims.back()->start({}, &error)) qFatal("simulator: %s", qPrintable(error));
        }
    }
    QString port(int i) const { return sims[std::size_t(i)]->ptyPath(); }
    // Offers unit i in the port list as `name`, with the USB serial number its options give.
    void publish(int i, const QString &name)
    {
        QString error;
        if (!sims[std::size_t(i)]->publish(name, &error)) qFatal("publish: %s", qPrintable(error));
    }
    QByteArray area(int i, Area a) const
    {
        return sims[std::size_t(i)]->memory(areaMap(a).base, areaBytes(a));
    }
};

inline devsim::Options preset(devsim::Preset p)
{
    devsim::Options o;
    o.preset = p;
    return o;
}

} // namespace zc::test
