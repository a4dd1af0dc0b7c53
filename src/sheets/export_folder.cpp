#include "sheets/export_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    QString why;
    if (!file.open(QIODevice::WriteOnly)) {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        if (!QFileInfo(folder).isDir())
            why = QStringLiteral("the folder \"%1\" does not exist").arg(QDir::toNativeSeparators(folder));
        else if (info.isDir())
            why = QStringLiteral("a folder of that name exists");
        else
            why = file.errorString();
    } else if (file.write(bytes) != bytes.size() || !file.commit()) {
        why = file.errorString();
    }
    if (why.isEmpty()) return {};
    return QStringLiteral("Cannot save \"%1\": %2.").arg(QDir::toNativeSeparators(path), why);
}

} // namespace zc::ExportFolder
