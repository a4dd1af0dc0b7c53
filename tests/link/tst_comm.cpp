// TComm against a pseudo-terminal made here: TComm opens the terminal side, the test
// plays the unit on the master side.
#include "common/wait.h"
#include "link/comm.h"
#include "words/port_words.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using zc::ECommsError;
using zc::TComm;
using LineChange = std::function<void(TComm &)>;
Q_DECLARE_METATYPE(LineChange)

namespace {

// A raw pseudo-terminal. The test keeps its own terminal-side descriptor open so the
// line settings TComm applies can be read back with tcgetattr.
struct Pty
{
    int master = -1;
    int slave = -1;
    QString path;

    Pty()
    {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        termios tio = {};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        closeMaster();
        if (slave >= 0) ::close(slave);
    }
    void closeMaster()
    {
        if (master >= 0) ::close(master);
        master = -1;
    }
    bool write(const QByteArray &bytes) const
    {
        return ::write(master, bytes.constData(), bytes.size()) == bytes.size();
    }
    // Reads from the master side until `count` bytes came or the deadline passed,
    // running the event loop meanwhile so TComm's queued writes go out.
    QByteArray read(qsizetype count, int timeoutMs = 5000) const
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd pfd{master, POLLIN, 0};
            if (::poll(&pfd, 1, 5) > 0) {
                char buf[512];
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0) got.append(buf, n);
            }
        }
        return got;
    }
    // Waits until `count` bytes sit in the terminal's input queue.
    bool waitQueued(int count) const
    {
        QDeadlineTimer deadline(5000);
        int queued = 0;
        while (!deadline.hasExpired()) {
            if (::ioctl(slave, FIONREAD, &queued) == 0 && queued >= count) return true;
            QThread::msleep(5);
        }
        return false;
    }
    termios line() const
    {
        termios tio = {};
        ::tcgetattr(slave, &tio);
        return tio;
    }
};

// Opens path as an unprivileged user would (root drops to nobody in a child) and returns
// 0 when it opened, else the errno: an exclusive mode refuses such an opener with EBUSY.
int openAsUser(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(255);
        const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::_exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

QByteArray frame265()
{
    QByteArray bytes(265, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + 0x23) & 0xFF);
    return bytes;
}

QByteArray received(const QSignalSpy &spy)
{
    QByteArray bytes;
    for (const QList<QVariant> &args : spy)
        bytes.append(char(args.at(0).value<std::uint8_t>()));
    return bytes;
}

// Runs the event loop for `ms`; it sleeps in poll() unless something keeps firing.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds()
{
    rusage use = {};
    ::getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

} // namespace

class TstComm : public QObject
{
    Q_OBJECT

private slots:
    void openApplies115200_8N1AndCloses();
    void openTwiceKeepsPortOpen();
    void openFailures_data();
    void openFailures();
    void portHeldByAnotherProgram_data();
    void portHeldByAnotherProgram();
    void foreignExclusiveModeKept();
    void permissionDenied();
    void writeFrameArrivesExact();
    void writeRefused();
    void replyArrivesOneBytePerCall();
    void staleInputFlushedOnOpen();
    void lineChangeReapplied_data();
    void lineChangeReapplied();
    void equalValueDoesNothing();
    void hangUpClosesPortOnce();
    void slotClosingPortStopsDelivery();
    void slotDeletingObjectStopsDelivery();
    void nestedEventLoopKeepsOrder();
};

void TstComm::openApplies115200_8N1AndCloses()
{
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    QVERIFY(comm.PortOpen());
    QVERIFY(comm.PortOpenError().isEmpty());

    const termios tio = pty.line();
    QCOMPARE(cfgetospeed(&tio), speed_t(B115200));
    QCOMPARE(cfgetispeed(&tio), speed_t(B115200));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF), tcflag_t(0));

    comm.ClosePort();
    QVERIFY(!comm.PortOpen());
    comm.ClosePort(); // closing a closed port does nothing
    QVERIFY(!comm.PortOpen());
    QVERIFY(comm.PortOpenError().isEmpty());

    comm.OpenPort(); // and it opens again
    QVERIFY(comm.PortOpen());
}

void TstComm::openTwiceKeepsPortOpen()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    comm.OpenPort(); // must not throw
    QCOMPARE(comm.PortOpenError(), QStringLiteral("This serial port already opened"));
    QVERIFY(comm.PortOpen());
    const QByteArray hello("hello");
    QVERIFY(comm.WriteData(reinterpret_cast<const std::uint8_t *>(hello.constData()), 5));
    QCOMPARE(pty.read(5), hello);

    comm.ClosePort();
    QVERIFY(comm.PortOpenError().isEmpty()); // close clears it
}

void TstComm::openFailures_data()
{
    // "@file" and "@dir" stand for a temporary regular file and folder.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("hint");
    const QString failed = QStringLiteral("Error opening serial port");
    const QString notComm = QStringLiteral("File handle is not a comm handle ");
    QTest::newRow("empty name") << "" << failed << "No serial port";
    QTest::newRow("missing path") << "/dev/zc-no-such-port" << failed << "Check the cable";
    QTest::newRow("missing name") << "ttyZcNoSuchPort" << failed << "Check the cable";
    QTest::newRow("missing folder") << "/zc-no-such-dir/ttyUSB0" << failed << "Check the cable";
    QTest::newRow("regular file") << "@file" << notComm << "not a serial port";
    QTest::newRow("folder") << "@dir" << notComm << "not a serial port";
    // A character device without terminal settings; QSerialPort takes a lock file per
    // device name, so this uses one that other programs leave alone.
    QTest::newRow("not a terminal") << "/dev/full" << notComm << "not a serial port";
}

void TstComm::openFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    QFETCH(QString, hint);
    QTemporaryDir dir;
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("#\x83 not a port");
    file.flush();
    if (name == QLatin1String("@file"))
        name = file.fileName();
    else if (name == QLatin1String("@dir"))
        name = dir.path();

    TComm comm;
    comm.SetCommName(name);
    bool thrown = false;
    try {
        comm.OpenPort();
    } catch (const ECommsError &e) {
        thrown = true;
        QCOMPARE(e.message(), error);
        QVERIFY2(portAdvice(e).contains(hint), qPrintable(portAdvice(e)));
    }
    QVERIFY(thrown);
    QCOMPARE(comm.PortOpenError(), error);
    QVERIFY(!comm.PortOpen());
    QVERIFY(!comm.WriteData(reinterpret_cast<const std::uint8_t *>("x"), 1));
}

void TstComm::portHeldByAnotherProgram_data()
{
    QTest::addColumn<bool>("twoNames");
    QTest::newRow("same name") << false;
    // One device under two names, as a by-id link and ttyUSB0 are: still one holder, root
    // included.
    QTest::newRow("two links to one device") << true;
}

void TstComm::portHeldByAnotherProgram()
{
    QFETCH(bool, twoNames);
    Pty pty;
    QTemporaryDir links;
    QString firstName = pty.path, secondName = pty.path;
    if (twoNames) {
        firstName = links.filePath(QStringLiteral("by-id-link"));
        secondName = links.filePath(QStringLiteral("ttyLINK0"));
        QVERIFY(QFile::link(pty.path, firstName) && QFile::link(pty.path, secondName));
    }
    // Anyone may open the device but for its exclusive mode.
    QVERIFY(::chmod(QFile::encodeName(pty.path).constData(), 0666) == 0);
    auto first = std::make_unique<TComm>();
    first->SetCommName(firstName);
    first->OpenPort();
    QCOMPARE(openAsUser(pty.path), EBUSY);
    // The holder's line, as the refused opener must leave it.
    termios held = pty.line();
    ::cfsetspeed(&held, B9600);
    QVERIFY(::tcsetattr(pty.slave, TCSANOW, &held) == 0);

    TComm second;
    second.SetCommName(secondName);
    try {
        second.OpenPort();
        QFAIL("a port held by another program opened");
    } catch (const ECommsError &e) {
        QCOMPARE(e.message(), QStringLiteral("Error opening serial port"));
        QVERIFY2(portAdvice(e).contains(QLatin1String("another program")), qPrintable(portAdvice(e)));
    }
    QVERIFY(!second.PortOpen());
    QVERIFY(first->PortOpen());
    // The refused opener touched neither the holder's line nor its exclusive mode.
    const termios after = pty.line();
    QCOMPARE(::cfgetospeed(&after), speed_t(B9600));
    QCOMPARE(openAsUser(pty.path), EBUSY);

    first.reset(); // destroying the holder closes its port
    second.OpenPort();
    QVERIFY(second.PortOpen());
}

// An exclusive mode that another program set is set again when the port closes; one this
// port set is cleared, so that the next open is not refused.
void TstComm::foreignExclusiveModeKept()
{
    if (::geteuid() != 0) QSKIP("only root opens a device in another program's exclusive mode");
    Pty pty;
    QVERIFY(::chmod(QFile::encodeName(pty.path).constData(), 0666) == 0);
    QVERIFY(::ioctl(pty.slave, TIOCEXCL) == 0);
    {
        TComm comm;
        comm.SetCommName(pty.path);
        comm.OpenPort();
    }
    QCOMPARE(openAsUser(pty.path), EBUSY);
    QVERIFY(::ioctl(pty.slave, TIOCNXCL) == 0);
    {
        TComm comm;
        comm.SetCommName(pty.path);
        comm.OpenPort();
        QCOMPARE(openAsUser(pty.path), EBUSY);
    }
    QCOMPARE(openAsUser(pty.path), 0);
}

void TstComm::permissionDenied()
{
    if (::geteuid() == 0) QSKIP("root may open any device");
    Pty pty;
    QVERIFY(::chmod(QFile::encodeName(pty.path).constData(), 0) == 0);
    TComm comm;
    comm.SetCommName(pty.path);
    try {
        comm.OpenPort();
        QFAIL("a device without permission opened");
    } catch (const ECommsError &e) {
        QCOMPARE(e.message(), QStringLiteral("Error opening serial port"));
        QVERIFY2(portAdvice(e).contains(QLatin1String("dialout")), qPrintable(portAdvice(e)));
    }
    QVERIFY(!comm.PortOpen());
}

void TstComm::writeFrameArrivesExact()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    const QByteArray frame = frame265();
    QVERIFY(comm.WriteData(reinterpret_cast<const std::uint8_t *>(frame.constData()), 265));
    QCOMPARE(pty.read(265), frame);
    QCOMPARE(pty.read(1, 100), QByteArray()); // nothing after it
}

void TstComm::writeRefused()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    const std::uint8_t bytes[] = {0x23, 0x83};
    QVERIFY(!comm.WriteData(bytes, 2)); // closed
    comm.OpenPort();
    QVERIFY(!comm.WriteData(bytes, 0));
    QVERIFY(!comm.WriteData(nullptr, 2));
    QCOMPARE(pty.read(1, 100), QByteArray());
}

void TstComm::replyArrivesOneBytePerCall()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    QSignalSpy spy(&comm, &TComm::OnReceiveData);
    bool offThread = false;
    connect(&comm, &TComm::OnReceiveData, this,
            [&] { offThread = offThread || QThread::currentThread() != thread(); });

    const QByteArray reply = frame265();
    QVERIFY(pty.write(reply));
    ZC_TRY_COMPARE(spy.count(), 265);
    QCOMPARE(received(spy), reply);
    QVERIFY(!offThread);
}

void TstComm::staleInputFlushedOnOpen()
{
    Pty pty;
    QVERIFY(pty.write("stale bytes"));
    QVERIFY(pty.waitQueued(11));

    TComm comm;
    comm.SetCommName(pty.path);
    QSignalSpy spy(&comm, &TComm::OnReceiveData);
    comm.OpenPort();
    QVERIFY(pty.write("new"));
    ZC_TRY_COMPARE(spy.count(), 3);
    spin(100);
    QCOMPARE(received(spy), QByteArray("new"));
}

void TstComm::lineChangeReapplied_data()
{
    // A pseudo-terminal keeps speed, stop bits and flow control in its termios but always
    // has 8 bits without parity: data bits and parity are read back from the port
    // settings, and where the terminal refuses them the refusal must be reported.
    QTest::addColumn<LineChange>("change");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<tcflag_t>("cflag"); // CSTOPB and CRTSCTS
    QTest::addColumn<tcflag_t>("iflag"); // IXON and IXOFF
    const int none = QSerialPort::NoParity;
    const tcflag_t off = 0;
    QTest::newRow("baud") << LineChange([](TComm &c) { c.SetBaudRate(9600); }) << 8 << none << speed_t(B9600)
                          << off << off;
    QTest::newRow("7 bits") << LineChange([](TComm &c) { c.SetByteSize(TComm::TByteSize::_7); }) << 7 << none
                            << speed_t(B115200) << off << off;
    QTest::newRow("even") << LineChange([](TComm &c) { c.SetParity(TComm::TParity::Even); }) << 8
                          << int(QSerialPort::EvenParity) << speed_t(B115200) << off << off;
    QTest::newRow("2 stop") << LineChange([](TComm &c) { c.SetStopBits(TComm::TStopBits::_2); }) << 8 << none
                            << speed_t(B115200) << tcflag_t(CSTOPB) << off;
    QTest::newRow("cts") << LineChange([](TComm &c) { c.SetOutx_CtsFlow(true); }) << 8 << none
                         << speed_t(B115200) << tcflag_t(CRTSCTS) << off;
    QTest::newRow("xon/xoff") << LineChange([](TComm &c) { c.SetOutx_XonXoffFlow(true); }) << 8 << none
                              << speed_t(B115200) << off << tcflag_t(IXON | IXOFF);
}

void TstComm::lineChangeReapplied()
{
    QFETCH(LineChange, change);
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    QSignalSpy lineErrors(&comm, &TComm::OnReceiveError);
    change(comm);
    QVERIFY(comm.PortOpen());
    if (comm.port().dataBits() != dataBits || comm.port().parity() != parity) {
        ZC_TRY_COMPARE(lineErrors.count(), 1);
        QCOMPARE(lineErrors.at(0).at(0).toUInt(), quint32(QSerialPort::UnsupportedOperationError));
        QVERIFY(lineErrors.at(0).at(1).toString().startsWith(pty.path));
    } else {
        spin(20);
        QCOMPARE(lineErrors.count(), 0);
    }
    const termios tio = pty.line();
    QTEST(cfgetospeed(&tio), "speed");
    QTEST(tio.c_cflag & (CSTOPB | CRTSCTS), "cflag");
    QTEST(tio.c_iflag & (IXON | IXOFF), "iflag");

    // The port still carries data after the change.
    QSignalSpy spy(&comm, &TComm::OnReceiveData);
    QVERIFY(pty.write("ok"));
    ZC_TRY_COMPARE(spy.count(), 2);
}

void TstComm::equalValueDoesNothing()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();

    // Change the line behind TComm's back: setting the current value must not touch it.
    termios tio = pty.line();
    cfsetspeed(&tio, B9600);
    QVERIFY(::tcsetattr(pty.slave, TCSANOW, &tio) == 0);
    comm.SetBaudRate(115200);
    comm.SetParity(TComm::TParity::None);
    tio = pty.line();
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));

    comm.SetBaudRate(57600);
    tio = pty.line();
    QCOMPARE(cfgetospeed(&tio), speed_t(B57600));
}

void TstComm::hangUpClosesPortOnce()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    QSignalSpy hangups(&comm, &TComm::OnRequestHangup);
    QSignalSpy portErrors(&comm.port(), &QSerialPort::errorOccurred);

    pty.closeMaster();
    ZC_TRY_COMPARE(hangups.count(), 1);
    QVERIFY(!comm.PortOpen());
    QCOMPARE(hangups.at(0).at(0).value<zc::PortProblem>().kind, zc::PortProblem::Kind::Lost);

    // Nothing keeps firing once the port is closed, and the process stays idle.
    const double cpuBefore = cpuSeconds();
    spin(300);
    const double cpuUsed = cpuSeconds() - cpuBefore;
    QCOMPARE(hangups.count(), 1);
    QVERIFY2(portErrors.count() < 10, qPrintable(QString::number(portErrors.count())));
    QVERIFY2(cpuUsed < 0.2, qPrintable(QString::number(cpuUsed)));
    QVERIFY(!comm.WriteData(reinterpret_cast<const std::uint8_t *>("x"), 1));
}

void TstComm::slotClosingPortStopsDelivery()
{
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    QByteArray got;
    connect(&comm, &TComm::OnReceiveData, this, [&](std::uint8_t byte) {
        got.append(char(byte));
        if (got.size() == 3) comm.ClosePort();
    });
    QVERIFY(pty.write("0123456789"));
    ZC_TRY_VERIFY(!comm.PortOpen());
    spin(100);
    QCOMPARE(got, QByteArray("012"));
}

void TstComm::slotDeletingObjectStopsDelivery()
{
    Pty pty;
    auto *comm = new TComm;
    comm->SetCommName(pty.path);
    comm->OpenPort();
    int calls = 0;
    connect(comm, &TComm::OnReceiveData, this, [&] {
        ++calls;
        delete comm;
    });
    QVERIFY(pty.write("0123456789"));
    ZC_TRY_COMPARE(calls, 1);
    spin(100);
    QCOMPARE(calls, 1);
}

void TstComm::nestedEventLoopKeepsOrder()
{
    // A message box shown from a received byte runs a nested event loop while more bytes
    // arrive; they must still be handed over in the order they came.
    Pty pty;
    TComm comm;
    comm.SetCommName(pty.path);
    comm.OpenPort();
    QByteArray got;
    connect(&comm, &TComm::OnReceiveData, this, [&](std::uint8_t byte) {
        got.append(char(byte));
        if (byte == 'A') {
            pty.write("DEF");
            QDeadlineTimer deadline(5000);
            while (got.size() < 6 && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    });
    QVERIFY(pty.write("ABC"));
    ZC_TRY_COMPARE(got.size(), 6);
    spin(50);
    QCOMPARE(got, QByteArray("ABCDEF"));
}

QTEST_GUILESS_MAIN(TstComm)
#include "tst_comm.moc"
