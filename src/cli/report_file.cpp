#include "cli/report_file.h"

#include "cli/command_output.h"
#include "sheets/export_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zc::cli {

QString reportFolderProblem(const QString &folder)
{
    // Making a file says more than the folder's mode: a read-only mount, an ACL or a
    // file system that takes no files (/proc) refuse here, and root too.
    QByteArray probe = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".zarvento-cli-XXXXXX")));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return ExportFolder::writeReason(errno);
    ::close(fd);
    ::unlink(probe.constData());
    struct statvfs fs = {};
    if (::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 && fs.f_bavail == 0)
        return ExportFolder::writeReason(ENOSPC);
    return {};
}

Exit reportLost(const QString &path, const QString &why)
{
    // A file's failure names the file; standard output's was said as it happened.
    const QString what = path == QLatin1String("-") ? QStringLiteral("standard output did not take it") : why;
    const QByteArray line =
        QStringLiteral(
            "zarvento-cli: the units were written as their lines say, but the report was not: %1\n")
            .arg(what)
            .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return Exit::ReportLost;
}

QString reportProblem(const QString &path)
{
    if (path == QLatin1String("-")) return {};
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return QStringLiteral("%1: the folder %2 does not exist").arg(path, folder.filePath());
    if (!folder.isDir()) return QStringLiteral("%1: %2 is not a folder").arg(path, folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("%1: the folder %2 cannot be written").arg(path, folder.filePath());
    if (const QString why = reportFolderProblem(folder.filePath()); !why.isEmpty())
        return QStringLiteral("%1: the folder %2 cannot be written: %3").arg(path, folder.filePath(), why);
    if (file.exists() && (!file.isFile() || !file.isWritable()))
        return QStringLiteral("%1: cannot be written over").arg(path);
    return {};
}

QString writeOutput(const QString &path, const QByteArray &bytes)
{
    if (path == QLatin1String("-")) return outBytes(bytes) ? QString() : QStringLiteral("standard output");
    return ExportFolder::writeFile(path, bytes);
}

} // namespace zc::cli
