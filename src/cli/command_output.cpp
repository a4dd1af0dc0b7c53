#include "cli/command_output.h"

#include "sheets/export_folder.h"
#include "sheets/sheet.h"
#include "sheets/workbook_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>

namespace zc::cli {

void errorLine(const QString &line)
{
    const QByteArray b = line.toUtf8() + '\n';
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fflush(stderr);
}

QString minuteText(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

bool outBytes(const QByteArray &bytes)
{
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) &&
        std::fflush(stdout) == 0)
        return true;
    errorLine(QStringLiteral("zarvento-cli: cannot write to standard output: %1")
                  .arg(errno ? ExportFolder::writeReason(errno) : QStringLiteral("write error")));
    return false;
}

bool outText(const QString &line)
{
    return outBytes(line.toUtf8() + '\n');
}

Exit refuse(const QString &message)
{
    errorLine(QStringLiteral("zarvento-cli: ") + message);
    return Exit::Usage;
}

QString exportType(std::string &output, const std::string &format, const QStringList &types, QString &type)
{
    if (output.empty() && !format.empty()) output = "-";
    const QString path = QString::fromStdString(output);
    if (path == QLatin1String("-")) {
        if (format.empty())
            return QStringLiteral("-o - (standard output) needs --format %1").arg(types.join(u'|'));
        type = QString::fromStdString(format);
        return {};
    }
    type = QFileInfo(path).suffix().toLower();
    if (!format.empty() && type != QString::fromStdString(format))
        return QStringLiteral("%1: --format %2 differs from the file's suffix, which names its type")
            .arg(path, QString::fromStdString(format));
    if (!types.contains(type))
        return QStringLiteral("%1: the output file must end in .%2")
            .arg(path, types.join(QStringLiteral(", .")));
    return {};
}

QString writeExport(const QString &path, const QString &type, const std::function<QByteArray()> &bytes,
                    const std::function<Sheet()> &sheet)
{
    const bool toStdout = path == QLatin1String("-");
    if (type != QLatin1String("xlsx")) {
        if (toStdout) return outBytes(bytes()) ? QString() : QStringLiteral("standard output");
        return ExportFolder::writeFile(path, bytes());
    }
    // A workbook for standard output is written in a private folder first.
    QTemporaryDir temp;
    if (toStdout && !temp.isValid())
        return QStringLiteral("cannot make a temporary folder: ") + temp.errorString();
    const QString target = toStdout ? temp.filePath(QStringLiteral("out.xlsx")) : path;
    const SheetSaveResult saved = WorkbookWriter::save(sheet(), target);
    if (!saved.error.isEmpty() || !toStdout) return saved.error;
    QFile file(saved.path);
    if (!file.open(QIODevice::ReadOnly)) return saved.path + QStringLiteral(": ") + file.errorString();
    return outBytes(file.readAll()) ? QString() : QStringLiteral("standard output");
}

} // namespace zc::cli
