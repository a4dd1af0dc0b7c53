#include "cli/unit_writes.h"

#include "cli/json_reports.h"
#include "cli/page_compare.h"
#include "numbers/numbers_diff.h"
#include "settings/settings_diff.h"
#include "settings/settings_model.h"
#include "sheets/json_envelope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace zc::cli {

namespace {

const QString kBackupFile = QStringLiteral("backup.json");

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QString shownOrNone(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("none") : text;
}

} // namespace

void addKeepIdentity(UnitJob &job, bool setPassword, bool setSimNumber)
{
    job.addCheck([&job, setPassword, setSimNumber] {
        const QList<PageBytes> &held = job.pagesRead(Area::Settings);
        const std::unique_ptr<SettingsModel> unit = SettingsDiff::decode(held);
        if (!setPassword)
            job.settings().setText(kPasswordItem, SettingsModel::ContentColumn, unit->content(kPasswordItem));
        if (!setSimNumber)
            job.settings().setText(kSimNumberItem, SettingsModel::ContentColumn,
                                   unit->content(kSimNumberItem));
        job.itemsChanged.clear();
        for (const AreaDiff::Line &line : SettingsDiff::compare(held, settingsPages(job.settings())).lines)
            job.itemsChanged << line.at;
        job.itemsChangedKnown = true;
    });
}

QString readBackupIdentity(const QString &folder, BackupIdentity &identity, bool &found)
{
    const QString path = QDir(folder).filePath(kBackupFile);
    found = QFileInfo::exists(path);
    if (!found) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("%1: %2").arg(path, file.errorString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 20), &error);
    if (!doc.isObject()) return QStringLiteral("%1: not a JSON object (%2)").arg(path, error.errorString());
    const QJsonObject top = doc.object();
    if (const QString e = JsonEnvelope::kindProblem(top, QStringLiteral("backup")); !e.isEmpty())
        return QStringLiteral("%1: %2").arg(path, e);
    identity.simNumber = top.value(QLatin1String("sim_number")).toString().trimmed();
    identity.usbSerial = top.value(QLatin1String("usb_serial")).toString();
    return {};
}

void addIdentityCheck(UnitJob &job, const BackupIdentity &backup, bool confirmed, bool dryRun)
{
    job.addCheck(
        [&job, backup, confirmed, dryRun] {
            const std::unique_ptr<SettingsModel> unit = SettingsDiff::decode(job.pagesRead(Area::Settings));
            const QString sim = unit->content(kSimNumberItem).trimmed();
            const QString serial = job.resolved().usbSerial;
            QStringList differences;
            if (sim != backup.simNumber)
                differences << QStringLiteral("its SIM number %1 is not the backup's %2")
                                   .arg(shownOrNone(sim), shownOrNone(backup.simNumber));
            // A port whose serial number is unknown (a pseudo-terminal, a network port)
            // tells nothing about the unit behind it.
            if (!serial.isEmpty() && !backup.usbSerial.isEmpty() && serial != backup.usbSerial)
                differences << QStringLiteral("its USB serial number %1 is not the backup's %2")
                                   .arg(serial, backup.usbSerial);
            if (differences.isEmpty() || confirmed) return;
            const QString text = QStringLiteral("this may be another unit than the backup's: ") +
                                 differences.join(QStringLiteral(", and "));
            if (dryRun)
                job.note(text);
            else
                job.fail(Exit::Usage,
                         text + QStringLiteral("; add --yes to restore onto it. Nothing was written"));
        },
        StepRecord::Kind::IdentityCheck);
}

QString rowList(const QList<int> &rows)
{
    QStringList parts;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        parts << (j > i + 1 ? QStringLiteral("%1–%2").arg(rows[i]).arg(rows[j]) : QString::number(rows[i]));
        if (j == i + 1) parts << QString::number(rows[j]);
        i = j + 1;
    }
    if (parts.size() < 2) return parts.join(QString());
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + parts.last();
}

void addRemovalCheck(UnitJob &job, const QString &file, bool confirmed)
{
    job.addCheck(
        [&job, file, confirmed] {
            const AreaDiff diff =
                NumbersDiff::compare(job.pagesRead(Area::Numbers), numbersPages(job.numbers()));
            QList<int> removed;
            for (const AreaDiff::Line &line : diff.lines)
                if (line.kind == AreaDiff::Kind::Removed) removed << line.at;
            if (removed.isEmpty() || confirmed) return;
            job.fail(Exit::Usage,
                     QStringLiteral("writing %1 removes the number%2 of row%2 %3 that the unit holds; add "
                                    "--yes to remove %4, or see them with --dry-run. Nothing was written")
                         .arg(file, removed.size() == 1 ? QString() : QStringLiteral("s"), rowList(removed),
                              removed.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
        },
        StepRecord::Kind::RemovalCheck);
}

QString makeNewFolder(const QString &dir, const QString &base, QString &made)
{
    // mkdir fails on a name that exists, so two programs can never both take one name.
    for (int n = 1; n < 10000; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(n);
        const QString path = QDir(dir).filePath(name);
        if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) {
            made = path;
            return {};
        }
        if (errno != EEXIST)
            return QStringLiteral("%1: cannot make the folder %2: %3")
                .arg(dir, name, QString::fromLocal8Bit(std::strerror(errno)));
    }
    return QStringLiteral("%1: cannot make the folder %2: too many of that name").arg(dir, base);
}

QByteArray backupJson(UnitJob &job, const QDateTime &time)
{
    QJsonObject top = JsonEnvelope::document(QStringLiteral("backup"));
    top.insert(QStringLiteral("port"), job.port());
    top.insert(QStringLiteral("path"), textOrNull(job.resolved().path));
    top.insert(QStringLiteral("usb_serial"), textOrNull(job.resolved().usbSerial));
    top.insert(QStringLiteral("sim_number"), textOrNull(job.settings().content(kSimNumberItem).trimmed()));
    top.insert(QStringLiteral("time"), time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate));
    top.insert(QStringLiteral("tool_version"), QStringLiteral(ZC_VERSION_TEXT));
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace zc::cli
