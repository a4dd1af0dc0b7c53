#include "cli/report_file.h"

#include "sheets/export_folder.h"

#include <QDir>
#include <QFile>

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

} // namespace zc::cli
