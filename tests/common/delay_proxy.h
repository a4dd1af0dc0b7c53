// A TCP relay on loopback that holds every byte for a fixed time in each direction: a
// network with round trip 2 × delayMs in front of a serial server, without emulating one.
// It runs its own thread, so a program the test waits for blocking sees it answer.
#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <deque>
#include <memory>

namespace zc::test {

class DelayProxy : public QThread
{
public:
    DelayProxy(quint16 targetPort, int delayMs) : m_target(targetPort), m_delayMs(delayMs)
    {
        start();
        m_ready.acquire();
    }
    ~DelayProxy() override
    {
        quit();
        wait();
    }
    quint16 port() const { return m_port; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        std::vector<std::unique_ptr<Pipe>> pipes;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket *client = server.nextPendingConnection()) {
                auto up = new QTcpSocket(client);
                up->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                up->connectToHost(QHostAddress::LocalHost, m_target);
                pipes.push_back(std::make_unique<Pipe>(client, up, m_delayMs));
                pipes.push_back(std::make_unique<Pipe>(up, client, m_delayMs));
                const auto close = [client, up] {
                    client->disconnectFromHost();
                    up->disconnectFromHost();
                };
                QObject::connect(client, &QTcpSocket::disconnected, up, close);
                QObject::connect(up, &QTcpSocket::disconnected, client, close);
            }
        });
        m_ready.release();
        exec();
        pipes.clear();
    }

private:
    // One direction: what `from` sends reaches `to` delayMs later, in order.
    struct Pipe
    {
        QTcpSocket *from, *to;
        int delayMs;
        std::deque<std::pair<qint64, QByteArray>> queue;
        QElapsedTimer clock;
        QTimer timer;
        Pipe(QTcpSocket *f, QTcpSocket *t, int d) : from(f), to(t), delayMs(d)
        {
            clock.start();
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(from, &QTcpSocket::readyRead, &timer, [this] {
                queue.emplace_back(clock.elapsed() + delayMs, from->readAll());
                if (!timer.isActive()) timer.start(delayMs);
            });
            QObject::connect(&timer, &QTimer::timeout, [this] {
                while (!queue.empty() && queue.front().first <= clock.elapsed()) {
                    to->write(queue.front().second);
                    queue.pop_front();
                }
                to->flush();
                if (!queue.empty()) timer.start(int(qMax<qint64>(0, queue.front().first - clock.elapsed())));
            });
        }
    };

    quint16 m_target;
    int m_delayMs;
    quint16 m_port = 0;
    QSemaphore m_ready;
};

} // namespace zc::test
