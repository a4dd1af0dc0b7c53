// Waits that end on events. QTest::qWaitFor and the QTRY_ macros sleep 10 ms between
// passes of the event loop, so a chain of requests and replies costs a sleep per step;
// these run the loop until the awaited event and check at once.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace zc::test {

// Runs the event loop until done() holds or ms pass; done() is checked after every batch of
// events. A short tick wakes the loop for conditions another thread changes (the simulator's
// counters) and that no event of this thread announces.
template <typename Done> bool waitUntil(Done done, int ms = 5000)
{
    if (done()) return true;
    const QDeadlineTimer deadline(ms);
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Runs a local event loop until sender emits signal with done() holding then, or ms pass.
// The loop ends only when the emitting call returns, so work done after the emission in the
// same call (a transfer's finishing pass) has run too.
template <typename Sender, typename Signal, typename Done>
bool waitForSignal(const Sender *sender, Signal signal, Done done, int ms = 5000)
{
    if (done()) return true;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&] {
        if (done()) loop.quit();
    });
    loop.exec();
    return done();
}

} // namespace zc::test

// QTRY_VERIFY and QTRY_COMPARE with the same checks and time-outs, waiting with waitUntil.
#define ZC_TRY_VERIFY_WITH_TIMEOUT(expr, ms)                                                                 \
    do {                                                                                                     \
        zc::test::waitUntil([&] { return bool(expr); }, ms);                                                 \
        QVERIFY(expr);                                                                                       \
    } while (false)
#define ZC_TRY_VERIFY(expr) ZC_TRY_VERIFY_WITH_TIMEOUT(expr, 5000)
#define ZC_TRY_COMPARE_WITH_TIMEOUT(actual, expected, ms)                                                    \
    do {                                                                                                     \
        zc::test::waitUntil([&] { return (actual) == (expected); }, ms);                                     \
        QCOMPARE(actual, expected);                                                                          \
    } while (false)
#define ZC_TRY_COMPARE(actual, expected) ZC_TRY_COMPARE_WITH_TIMEOUT(actual, expected, 5000)
