// The network side of TComm: a unit behind a network serial server (ser2net on a gate
// host), raw TCP or RFC 2217 telnet, either one over TLS. Opening blocks for at most five
// seconds in all and either gives a connected port or throws ECommsError with the reason;
// afterwards it runs on the event loop like the serial port. Received data (telnet commands
// taken out) comes out of `received`; a connection that ends while open raises `lost`.
#pragma once

#include "link/port_address.h"
#include "link/telnet_codec.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSslSocket>

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

    // Throws ECommsError("Error opening serial port", reason).
    void open(const PortAddress &address, const TlsFiles &tls);
    void close();
    bool isOpen() const { return m_open; }
    const PortAddress &address() const { return m_address; }

    // Sends data (0xFF doubled on a telnet connection) now; false when closed.
    bool write(const char *data, qint64 count);
    // The data received and not yet given out, without waiting.
    QByteArray readNow();

signals:
    void received(const QByteArray &data);
    // The server closed the connection or the network failed; the port is closed already.
    void lost(const QString &why);

private:
    // One connection: true when it stands, false when the server will not serve it now
    // (in use); throws ECommsError on anything else. clock runs from the open's start.
    bool connectOnce(const PortAddress &address, const TlsFiles &tls, const QElapsedTimer &clock);
    void onReadyRead();
    void onGone();
    QByteArray takeData();
    void configureTls(const TlsFiles &tls);
    QString tlsRefusal(const TlsFiles &tls) const;

    QSslSocket m_socket;
    PortAddress m_address;
    TelnetCodec m_telnet;
    QByteArray m_head; // the first bytes received after opening (a late refusal is told by them)
    bool m_open = false;
    bool m_opening = false;
    bool m_closedSilently = false; // the last refused try: closed after a TLS handshake, without a word
};

} // namespace zc
