#include "cli/archive_steps.h"

#include "history/history_archive.h"
#include "history/history_model.h"
#include "history/history_store.h"

namespace zc::cli {

namespace {

QString gapText(const HistoryArchive::Gap &g)
{
    return g.from == g.to ? QStringLiteral("record %1 was overwritten before it was read").arg(g.from)
                          : QStringLiteral("records %1 to %2 were overwritten before they were read")
                                .arg(g.from)
                                .arg(g.to);
}

// The records a read kept, in the unit's order.
QList<HistoryModel::Record> readRecords(const HistoryModel &model)
{
    HistoryStore store;
    store.takeFrom(model);
    return store.records();
}

} // namespace

QString archiveProblem(const HistoryArchive &a, const QString &path)
{
    QString why;
    switch (a.error()) {
    case HistoryArchive::Error::None:
        return {};
    case HistoryArchive::Error::Missing:
        why = QStringLiteral("no such archive");
        break;
    case HistoryArchive::Error::CannotOpen:
        why = QStringLiteral("cannot be opened or created");
        break;
    case HistoryArchive::Error::NotAnArchive:
        why = QStringLiteral("is no history archive");
        break;
    case HistoryArchive::Error::CannotWrite:
        why = QStringLiteral("cannot be written");
        break;
    case HistoryArchive::Error::CannotRead:
        why = QStringLiteral("cannot be read");
        break;
    }
    return QStringLiteral("%1: %2%3")
        .arg(path, why, a.detail().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(a.detail()));
}

void addMerge(UnitJob &job, HistoryArchive &archive, const QString &path, bool quiet, bool allKept)
{
    job.addCheck(
        [&job, &archive, path, quiet, allKept] {
            const QList<HistoryModel::Record> records = readRecords(job.history());
            const auto merged = archive.merge(records);
            if (!merged) {
                job.fail(Exit::Usage,
                         archiveProblem(archive, path) + QStringLiteral("; nothing was deleted"));
                return;
            }
            if (allKept) {
                const int missing = archive.missing(records);
                if (missing != 0) {
                    job.fail(Exit::Usage,
                             missing < 0
                                 ? archiveProblem(archive, path) + QStringLiteral("; nothing was deleted")
                                 : QStringLiteral("%1: %2 records read are not in the archive; nothing "
                                                  "was deleted")
                                       .arg(path)
                                       .arg(missing));
                    return;
                }
            }
            if (quiet) return;
            job.note(QStringLiteral("%1: %2 records read, %3 new, %4 kept")
                         .arg(path)
                         .arg(merged->read)
                         .arg(merged->added)
                         .arg(archive.count()));
            for (const HistoryArchive::Gap &g : merged->gaps)
                job.note(QStringLiteral("%1: %2").arg(path, gapText(g)));
        },
        StepRecord::Kind::ArchiveHistory);
}

} // namespace zc::cli
