// The port to the unit: QSerialPort on the UI thread's event loop, or, for a name such as
// "rfc2217://host:port" (see PortAddress), a connection to a network serial server. Received bytes
// reach OnReceiveData one byte per call, in order, and OnReceiveChunk as the blocks read. A failed open never
// looks like an open port; a device that vanishes while open closes the port and raises OnRequestHangup.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <cstdint>
#include <memory>

#include "link/open_verdict.h"
#include "link/port_address.h"
#include "link/port_problem.h"

namespace zc {

class NetPort;

class TComm : public QObject
{
    Q_OBJECT
public:
    enum class TByteSize { _5, _6, _7, _8 };
    enum class TParity { None, Odd, Even, Mark, Space };
    enum class TStopBits { _1, _1_5, _2 };
    enum class TDtrControl { DtrEnable, DtrDisable, DtrHandshake };
    enum class TRtsControl { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };

    explicit TComm(QObject *parent = nullptr);
    ~TComm() override; // closes an open port

    // Opens CommName. Throws ECommsError("Error opening serial port") when the device cannot be
    // opened and when the path is not a terminal (PortOpenError then reads "File handle is not a
    // comm handle "). An already open port sets "This serial port already opened" and returns.
    // The device is held exclusively: a second opener, under any name and root included, is
    // refused with the reason that another program uses it.
    // A network port name connects within five seconds or throws ECommsError saying why;
    // it waits, with the event loop held, until the server has had the time to refuse a
    // second client (a round trip and 25 ms).
    void OpenPort();
    // Opens as OpenPort does, without holding the event loop while a network port connects
    // and its server may refuse: the verdict comes from OnOpenEnded, once, on the event loop
    // (a serial port's too, which opens at once). The port is open exactly when the verdict
    // says so. Closing the port before then drops the verdict and the connection.
    void BeginOpenPort();
    void ClosePort();
    // Queues count bytes; false when closed or count is 0.
    bool WriteData(const std::uint8_t *bytes, std::uint16_t count);

    bool PortOpen() const;
    // The open port is a network connection: its replies take a network round trip longer.
    bool PortRemote() const;
    // The certificate files the next TLS connection uses.
    void SetTlsFiles(const TlsFiles &files) { m_tls = files; }
    const TlsFiles &tlsFiles() const { return m_tls; }
    // Reads what the device holds now, without waiting, and returns every received byte not
    // yet handed to OnReceiveChunk (they will not be). OnReceiveData still gets them all,
    // in order, later. Called before a request is written: those bytes came before it.
    QByteArray takeUnread();
    QString PortOpenError() const { return m_openError; }

    QString CommName() const { return m_name; }
    void SetCommName(const QString &name) { m_name = name; }
    // The name the traffic log gives this port's lines; none by default.
    void setTrafficLabel(const QString &label) { m_trafficLabel = label; }
    std::uint8_t CommPort() const { return m_commPort; }
    void SetCommPort(std::uint8_t n);

    std::uint32_t BaudRate() const { return m_baud; }
    void SetBaudRate(std::uint32_t v);
    TByteSize ByteSize() const { return m_byteSize; }
    void SetByteSize(TByteSize v);
    TParity Parity() const { return m_parity; }
    void SetParity(TParity v);
    TStopBits StopBits() const { return m_stopBits; }
    void SetStopBits(TStopBits v);
    bool Outx_CtsFlow() const { return m_ctsFlow; }
    void SetOutx_CtsFlow(bool v);
    bool Outx_XonXoffFlow() const { return m_xonXoff; }
    void SetOutx_XonXoffFlow(bool v);
    TDtrControl DtrControl() const { return m_dtr; }
    void SetDtrControl(TDtrControl v);
    TRtsControl RtsControl() const { return m_rts; }
    void SetRtsControl(TRtsControl v);

    // The serial port as configured now (for tests that check the line settings).
    const QSerialPort &port() const { return m_port; }

signals:
    void OnOpenEnded(const zc::OpenVerdict &verdict);
    void OnReceiveData(std::uint8_t byte);
    // The same bytes, everything read so far in one call (the reply handler takes these).
    void OnReceiveChunk(const QByteArray &bytes);
    void OnReceiveError(quint32 errorMask, const QString &text);
    // The device went away while open (USB pulled, the other side of a pty closed), or the
    // network connection was lost. The port is already closed when this is raised.
    void OnRequestHangup(const zc::PortProblem &why);

private:
    [[noreturn]] void failOpen(const QString &message, const PortProblem &problem,
                               OpenResult result = OpenResult::Refused);
    // Opens the device on a descriptor of our own and locks it, or throws why not; the lock
    // and that descriptor are held until the port closes.
    void takeDeviceLock(const QString &path, bool mayUse);
    void releaseDeviceLock();
    void applyLine();
    void applyModemLines();
    void onReadyRead();
    void deliverPending();
    void onError(QSerialPort::SerialPortError error);
    void hangUp(const PortProblem &why);
    void received(const QByteArray &in);
    // wait: as OpenPort; else as BeginOpenPort.
    void openRemote(bool wait);
    bool closeRemote();
    // A network port's open ended (either way).
    void endOpen(const OpenVerdict &verdict);

    QSerialPort m_port;
    std::unique_ptr<NetPort> m_net; // made on the first network open
    TlsFiles m_tls;
    int m_lockFd = -1;             // holds the device's lock while the port is open
    bool m_foundExclusive = false; // the device was in exclusive mode before we opened it
    // Bytes read from the port and not yet handed to OnReceiveData; m_rxPos is the next one.
    QByteArray m_rx;
    qsizetype m_rxPos = 0;
    qsizetype m_chunkEnd = 0; // bytes up to here went to OnReceiveChunk already
    bool m_deliveryQueued = false;
    // Counts opens and closes so that a delivery or a hang-up notice from an earlier
    // session of the port is dropped.
    quint64 m_session = 0;
    // Counts BeginOpenPort's and ClosePort's calls: a serial port's verdict for an earlier one is dropped.
    quint64 m_openTicket = 0;
    bool m_opening = false;          // inside QSerialPort::open: its outcome is handled there
    bool m_quietModemErrors = false; // DTR/RTS refused (a pseudo-terminal has none): not an error
    QString m_name = QStringLiteral("COM1");
    QString m_trafficLabel;
    QString m_openError;
    std::uint8_t m_commPort = 1;
    std::uint32_t m_baud = 115200;
    TByteSize m_byteSize = TByteSize::_8;
    TParity m_parity = TParity::None;
    TStopBits m_stopBits = TStopBits::_1;
    bool m_ctsFlow = false;
    bool m_xonXoff = false;
    TDtrControl m_dtr = TDtrControl::DtrDisable;
    TRtsControl m_rts = TRtsControl::RtsDisable;
};

} // namespace zc
