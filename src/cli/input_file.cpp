#include "cli/input_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace zc::cli {

QString inputFileProblem(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == ENOENT) return QStringLiteral("the file does not exist");
        if (errno == ELOOP) return QStringLiteral("too many levels of symbolic links");
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) return QStringLiteral("a folder, not a file");
    if (S_ISFIFO(st.st_mode)) return QStringLiteral("a FIFO (named pipe), not a file");
    if (S_ISSOCK(st.st_mode)) return QStringLiteral("a socket, not a file");
    if (!S_ISREG(st.st_mode)) return QStringLiteral("a device, not a file");
    if (st.st_size > kMaxInputBytes) return QStringLiteral("the file is larger than 32 MB");
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return QStringLiteral("the file cannot be read: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

InputFile::InputFile(const QString &path, const QString &format) : m_given(path), m_format(format)
{
    if (path != QLatin1String("-")) {
        if (const QString problem = inputFileProblem(path); !problem.isEmpty())
            m_error = path + QStringLiteral(": ") + problem;
        return;
    }
    static const QStringList kFormats = {QStringLiteral("json"), QStringLiteral("csv"),
                                         QStringLiteral("xlsx"), QStringLiteral("ods"),
                                         QStringLiteral("xls")};
    if (!kFormats.contains(format)) {
        m_error = QStringLiteral("standard input (-) needs --format %1").arg(kFormats.join(u'|'));
        return;
    }
    m_stdin = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/zarvento-stdin-XXXXXX.") +
                                               format);
    if (!m_stdin->open()) {
        m_error = QStringLiteral("standard input: cannot keep a copy: ") + m_stdin->errorString();
        return;
    }
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, chunk.data(), size_t(chunk.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            m_error = QStringLiteral("standard input: ") + QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        if (n == 0) break;
        total += n;
        if (total > kMaxInputBytes) {
            m_error = QStringLiteral("standard input: more than 32 MB");
            return;
        }
        if (m_stdin->write(chunk.constData(), n) != n) {
            m_error = QStringLiteral("standard input: cannot keep a copy: ") + m_stdin->errorString();
            return;
        }
    }
    if (!m_stdin->flush())
        m_error = QStringLiteral("standard input: cannot keep a copy: ") + m_stdin->errorString();
}

QString InputFile::path() const
{
    return m_stdin ? m_stdin->fileName() : m_given;
}

QString InputFile::named(QString message) const
{
    if (m_stdin) message.replace(m_stdin->fileName(), QStringLiteral("standard input"));
    return message;
}

} // namespace zc::cli
