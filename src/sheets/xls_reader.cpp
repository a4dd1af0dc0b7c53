#include "sheets/xls_reader.h"

#include "sheets/cell_text.h"
#include "sheets/sheet_filler.h"

#include <QByteArray>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>

#include <freexl.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zc::XlsReader {

namespace {

QString reason(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("there is not enough memory to read it");
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        // Seen with very small .xls files whose streams sit in the mini stream.
        return QStringLiteral("the .xls reader cannot follow this file's short-stream storage; open it in a "
                              "spreadsheet program and save it as .xlsx");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("it holds no Excel workbook");
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        return QStringLiteral("its texts are in a character set that cannot be read");
    default:
        return QStringLiteral("the .xls file is damaged (reader error %1)").arg(code);
    }
}

QString cellText(const FreeXL_CellValue &v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return CellText::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return CellText::number(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(v.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
        return CellText::fromIsoDate(QString::fromLatin1(v.value.text_value));
    case FREEXL_CELL_TIME:
        return CellText::fromIsoTime(QString::fromLatin1(v.value.text_value));
    default:
        return {};
    }
}

// Reads the file with libfreexl into a sheet of its own; runs in the helper process.
QString readInHelper(const QString &path, Sheet &sheet)
{
    SheetFiller out(sheet);
    const void *handle = nullptr;
    int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    QString error;
    unsigned int sheets = 0, password = 0, rows = 0;
    unsigned short columns = 0;
    if (rc == FREEXL_OK) rc = freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password);
    if (rc == FREEXL_OK) rc = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    if (rc == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        error = QStringLiteral("it is protected with a password");
    else if (rc == FREEXL_OK && sheets == 0)
        error = QStringLiteral("the workbook has no sheet");
    if (rc == FREEXL_OK && error.isEmpty()) rc = freexl_select_active_worksheet(handle, 0);
    if (rc == FREEXL_OK && error.isEmpty()) rc = freexl_worksheet_dimensions(handle, &rows, &columns);
    // The dimensions are counts: cells are 0 .. rows-1, 0 .. columns-1.
    for (unsigned int r = 0; rc == FREEXL_OK && error.isEmpty() && r < rows; ++r)
        for (unsigned short c = 0; rc == FREEXL_OK && c < columns; ++c) {
            FreeXL_CellValue value;
            rc = freexl_get_cell_value(handle, r, c, &value);
            if (rc == FREEXL_OK && !out.add(qint64(r) + 1, qint64(c) + 1, cellText(value))) {
                error = out.error();
                break;
            }
        }
    if (error.isEmpty() && rc != FREEXL_OK) error = reason(rc);
    // The handle must be released even after a failed open.
    freexl_close(handle);
    return error;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

} // namespace

bool recognises(const QByteArray &head)
{
    return head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

QString read(const QString &path, SheetFiller &out)
{
    // libfreexl can write past its buffers on a damaged file, so it runs in a helper
    // process: a file that breaks the reader ends that process, not the tool. The helper
    // sends back the message and the cells; the tool stops waiting after kHelperSeconds.
    constexpr int kHelperSeconds = 20;
    const QString broken = QStringLiteral("the .xls file is damaged (the reader stopped on it)");
    int fds[2];
    if (::pipe(fds) != 0) return QString::fromLocal8Bit(strerror(errno));
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return QString::fromLocal8Bit(strerror(errno));
    }
    if (pid == 0) {
        ::close(fds[0]);
        // What the library or a sanitizer prints about a damaged file means nothing to the user.
        if (const int null = ::open("/dev/null", O_WRONLY); null >= 0) ::dup2(null, 2);
        Sheet sheet;
        const QString error = readInHelper(path, sheet);
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << error << qint32(sheet.cellCount());
        for (const auto &[pos, text] : sheet.cells())
            stream << qint32(pos.first) << qint32(pos.second) << text;
        ::_exit(writeAll(fds[1], bytes) ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    bool timedOut = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int left = int(qMax<qint64>(0, kHelperSeconds * 1000 - clock.elapsed()));
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buf[65536];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buf, n);
    }
    ::close(fds[0]);
    if (timedOut) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        return QStringLiteral("the .xls reader did not finish within %1 seconds").arg(kHelperSeconds);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return broken;

    QDataStream stream(bytes);
    QString error;
    qint32 count = 0;
    stream >> error >> count;
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        qint32 row = 0, column = 0;
        QString text;
        stream >> row >> column >> text;
        if (stream.status() == QDataStream::Ok && !out.add(row, column, text)) return out.error();
    }
    if (stream.status() != QDataStream::Ok) return broken;
    return error;
}

} // namespace zc::XlsReader
