#include "sheets/export_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zc::ExportFolder {

namespace {

const QString kFolderName = QStringLiteral("configuration");

bool usable(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

QString locate(const QString &programFolder, const QString &documentsFolder)
{
    const QString beside = QDir(programFolder).filePath(kFolderName);
    if (usable(beside)) return QDir::cleanPath(beside);
    const QString own = QDir::cleanPath(
        QDir(documentsFolder).filePath(QStringLiteral("Zarvento Configurator/") + kFolderName));
    QDir().mkpath(own);
    return own;
}

QString locate()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::home().filePath(QStringLiteral("Documents"));
    return locate(QCoreApplication::applicationDirPath(), documents);
}

QString stampedName(const QString &prefix, const QDateTime &now)
{
    return prefix + now.toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss"));
}

QString writeReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
    case EFBIG:
        return QStringLiteral("the file would be larger than the system allows");
    case EROFS:
        return QStringLiteral("the disk is read-only");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case EIO:
        return QStringLiteral("the disk reported an error");
    default:
        return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const auto fail = [&path](const QString &why) {
        return QStringLiteral("Cannot save \"%1\": %2.").arg(QDir::toNativeSeparators(path), why);
    };
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("the folder \"%1\" does not exist").arg(QDir::toNativeSeparators(folder)));
    if (info.isDir()) return fail(QStringLiteral("a folder of that name exists"));

    QByteArray tmp = QFile::encodeName(QDir(folder).filePath(QLatin1Char('.') + info.fileName())) + ".XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return fail(writeReason(errno));
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0)
            error = EIO;
        else if (errno != EINTR)
            error = errno;
    }
    // The bytes reach the disk before the name points at them: a disk that fills up while
    // writing back its cache reports it here, not after the file was said to be saved.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    // A replaced file keeps its permissions; a new one is readable by all, writable by its owner.
    struct stat old = {};
    const mode_t mode = ::stat(QFile::encodeName(path).constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(tmp.constData(), QFile::encodeName(path).constData()) != 0) error = errno;
    if (error == 0) return {};
    ::unlink(tmp.constData());
    return fail(error == EISDIR ? QStringLiteral("a folder of that name exists") : writeReason(error));
}

} // namespace zc::ExportFolder
