// The network side of TComm: a unit behind a network serial server (ser2net on a gate
// host), raw TCP or RFC 2217 telnet, either one over TLS. An open takes at most five seconds
// in all and ends with a verdict: open, in use, refused or unreachable. startOpen() runs it
// on the event loop and hands the verdict to `opened`; open() waits for it and returns it. Either way it is
// one course of steps (connect, handshake, listen for the server's refusal, ask again a moment later), so the
// two cannot differ. Once open the port runs on the event loop like the serial port. Received data (telnet
// commands taken out) comes out of `received`; a connection that ends while open raises `lost`.
#pragma once

#include "link/open_verdict.h"
#include "link/port_address.h"
#include "link/telnet_codec.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSslSocket>
#include <QTimer>

#include <optional>

namespace zc {

class NetPort : public QObject
{
    Q_OBJECT
public:
    // The bound on reaching the server, and on its handshake, in all.
    static constexpr int kConnectMs = 5000;
    // How long a port the server says is in use is asked for again.
    static constexpr int kInUseRetryMs = 1000;

    explicit NetPort(QObject *parent = nullptr);
    ~NetPort() override;

    // Returns at once; the verdict comes from `opened`, once, on the event loop and never
    // from within this call. Closing or opening again before then drops it.
    void startOpen(const PortAddress &address, const TlsFiles &tls);
    // Waits for the verdict (the event loop does not run meanwhile) and returns it. A verdict
    // other than open carries its problem, not a message: that is TComm's.
    OpenVerdict open(const PortAddress &address, const TlsFiles &tls);
    void close();
    bool isOpen() const { return m_open; }
    bool opening() const { return m_phase != Phase::Idle; }
    const PortAddress &address() const { return m_address; }

    // Sends data (0xFF doubled on a telnet connection) now; false when closed.
    bool write(const char *data, qint64 count);
    // The data received and not yet given out, without waiting.
    QByteArray readNow();

signals:
    void opened(const zc::OpenVerdict &verdict);
    void received(const QByteArray &data);
    // The server closed the connection or the network failed; the port is closed already.
    void lost(const zc::PortProblem &why);

private:
    // An open's course: each phase ends by an event of the socket or at m_deadline, in
    // endPhase(). The socket's signals only record what happened and end the phase early
    // (hurry), so the verdict is never reached inside one of them.
    enum class Phase {
        Idle,       // no open runs
        Connecting, // TCP connection asked for
        Encrypting, // TLS handshake
        Listening,  // connected: the server may still refuse this client
        Pausing,    // the server refused as in use: ask again in a moment
    };

    void begin(const PortAddress &address, const TlsFiles &tls, bool async);
    void connectOnce();
    void enter(Phase phase, qint64 deadline);
    void hurry();
    void endPhase();
    void onConnected();
    void onEncrypted();
    void startListening();
    // The listen ended (a refusal heard, the connection closed, or the window over).
    void judge();
    void conclude(OpenResult result, const PortProblem &problem = {});
    void onReadyRead();
    void onGone();
    QByteArray takeData();
    // Kind::None when the files do; else why not.
    PortProblem configureTls();
    // Why the server's certificate was refused; Kind::None when it was not.
    PortProblem tlsRefusal() const;

    QSslSocket m_socket;
    QTimer m_timer; // ends the phase at m_deadline when the event loop runs the open
    PortAddress m_address;
    TlsFiles m_tls;
    TelnetCodec m_telnet;
    QByteArray m_head;  // the first bytes received after opening (a late refusal is told by them)
    QByteArray m_early; // what the server sent while listened to
    Phase m_phase = Phase::Idle;
    bool m_async = false;
    QElapsedTimer m_clock;  // from the open's start
    qint64 m_attemptAt = 0; // m_clock's time when this connection was asked for
    qint64 m_connectMs = 0; // how long the connection took: a round trip and a little
    qint64 m_deadline = 0;  // m_clock's time when the phase ends
    PortProblem m_refusal;  // known before connecting (the TLS files): the verdict
    // The first failure the socket reported in this connection, as it said it.
    bool m_failed = false;
    QAbstractSocket::SocketError m_failError = QAbstractSocket::UnknownSocketError;
    QString m_failText;
    PortProblem m_failTls;                // why the certificate was refused, when it was
    std::optional<OpenVerdict> m_verdict; // for open(), which waits for it
    bool m_open = false;
    bool m_closedSilently = false; // the last refused try: closed after a TLS handshake, without a word
};

} // namespace zc
