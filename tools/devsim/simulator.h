// The simulated unit on a real pseudo-terminal. start() opens the pty, optionally links a
// stable path to it, and answers requests on a thread of its own until stop(), so a client
// on any thread (a Qt event loop included) talks to it as to the real unit.
#pragma once

#include "devsim/device_core.h"
#include "devsim/options.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace zc::devsim {

class Simulator
{
public:
    explicit Simulator(const Options &options = {});
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Loads the image (when set), opens the pty in raw mode and starts answering. With a
    // linkPath, that path becomes a symlink to the pty (an old symlink there is replaced; any
    // other file is left alone and start fails).
    bool start(const QString &linkPath = {}, QString *error = nullptr);
    // Links publishDir()/name to the pty, for the tool's port list, with the options' USB
    // serial number beside it. Needs a running unit.
    bool publish(const QString &name, QString *error = nullptr);
    // Stops answering, removes the links and closes the pty. Safe to call more than once.
    void stop();

    // True from start() until stop() or until the unit vanished.
    bool isRunning() const { return m_running; }
    QString ptyPath() const { return m_ptyPath; }

    // Device memory by protocol address (see DeviceMemory::read/write); thread-safe.
    QByteArray memory(quint32 address, int length) const;
    bool setMemory(quint32 address, const QByteArray &bytes);

    int requestCount() const;
    // The request frames received so far (the most recent DeviceCore::kKeptRequests).
    QList<QByteArray> requests() const;

private:
    using Clock = std::chrono::steady_clock;

    void run();
    bool transmit(const DeviceCore::Reply &reply, Clock::time_point arrival);
    bool sendPaced(const char *data, int size);
    bool writeAll(const char *data, int size);
    bool waitUntil(Clock::time_point deadline);
    void saveImageLocked();
    void removeLinksLocked();
    void vanish();
    void closeFds();

    const Options m_options;
    mutable std::mutex m_mutex; // guards m_core, m_links and m_serialFiles
    DeviceCore m_core;
    QStringList m_links;
    QStringList m_serialFiles; // the published USB serial numbers
    QString m_ptyPath;
    int m_master = -1;
    int m_slave = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    int m_trickled = 0; // stray bytes sent by a trickling unit
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_running{false};
};

} // namespace zc::devsim
