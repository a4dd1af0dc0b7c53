// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/archive_commands.h"

#include "cli/area_files.h"
#include "cli/command_output.h"
#include "cli/json_reports.h"
#include "history/history_archive.h"
#include "history/history_csv.h"
#include "history/history_json.h"
#include "history/history_model.h"
#include "history/history_sheet.h"
#include "history/history_store.h"
#include "sheets/json_envelope.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace zc::cli {

namespace {

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

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

QString gapText(const HistoryArchive::Gap &g)
{
    return g.from == g.to ? QStringLiteral("record %1 was overwritten before it was read").arg(g.from)
                          : QStringLiteral("records %1 to %2 were overwritten before they were read")
                                .arg(g.from)
                                .arg(g.to);
}

// "2024-05-06" or "2024-05-06 08:30[:15]" (or with a "T"); the time of a day alone is
// dayStart. False when the text is neither.
bool parseMoment(const QString &text, QDate &day, QTime &time, QTime dayStart)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch()) return false;
    day = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
    time = m.captured(2).isEmpty()
               ? dayStart
               : QTime(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    return day.isValid() && time.isValid();
}

// The records a read kept, in the unit's order.
QList<HistoryModel::Record> readRecords(const HistoryModel &model)
{
    HistoryStore store;
    store.takeFrom(model);
    return store.records();
}

// Merges the records the job read; on failure the job fails, so no later step (a delete)
// runs. With allKept, the archive must then hold every record read.
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
        QStringLiteral("archive history"));
}

} // namespace

void ArchiveCommands::add(const Tree &t)
{
    m_tree = t;
    const std::string archiveHelp = "Merge the log into the history archive FILE (created when absent)";
    t.historyRead->add_option("--archive", m_archive, archiveHelp)->type_name("FILE");
    t.historyDelete
        ->add_option("--archive", m_archive,
                     "Read the log and merge it into FILE first; delete only when FILE holds every record")
        ->type_name("FILE");

    m_query = t.history->add_subcommand("query", "Print or export the records a history archive keeps");
    m_query->add_option("--archive", m_archive, "The history archive FILE")->required()->type_name("FILE");
    m_query->add_option("--number", m_number, "Only the records of this telephone number")->type_name("N");
    m_query->add_option("--from", m_from, "Only records at or after DATE (YYYY-MM-DD[ HH:MM[:SS]])")
        ->type_name("DATE");
    m_query->add_option("--to", m_to, "Only records at or before DATE (a day alone: to its end)")
        ->type_name("DATE");
    m_query->add_option("--action", m_action, "Only records of this action (\"Relay ON\"; any case)")
        ->type_name("NAME");
    m_query->add_option("-o,--output", *t.output, "Write FILE.json, FILE.csv or FILE.xlsx; - for stdout")
        ->type_name("FILE");
    m_query->add_option("--format", *t.format, "The type to write to standard output (-o -)")
        ->check(CLI::IsMember({"json", "csv", "xlsx"}))
        ->type_name("json|csv|xlsx");

    const std::string namesHelp = "Add the names of a names file (CSV, XLSX or ODS: number, name, note)";
    m_query->add_option("--names", m_names, namesHelp)->type_name("FILE");
    t.numbersRead->add_option("--names", m_names, namesHelp)->type_name("FILE");
    t.numbersDiff->add_option("--names", m_names, namesHelp)->type_name("FILE");

    m_expiring = t.numbers->add_subcommand(
        "expiring", "List the rows whose window has ended or ends within DAYS (exit 1 when any)");
    m_expiring->add_option("FILE", *t.file, "A list .xlsx/.ods/.xls, .csv or .json instead of a unit");
    t.addDeviceOptions(m_expiring);
    m_expiring->get_option("--port")->required(false);
    m_expiring->add_option("--within", m_within, "Days ahead to look")
        ->required()
        ->check(CLI::Range(0, 36500))
        ->type_name("DAYS");
    m_expiring->add_flag("--json", *t.json, "Print the rows as JSON");
    m_expiring->add_option("--names", m_names, namesHelp)->type_name("FILE");
    m_expiring->add_option("--format", *t.format, "The type of standard input's file (FILE -)")
        ->check(CLI::IsMember({"json", "csv", "xlsx", "ods", "xls"}))
        ->type_name("json|csv|xlsx|ods|xls");

    m_sweep = t.numbers->add_subcommand("sweep", "Free the rows whose window ended before DATE");
    t.addDeviceOptions(m_sweep);
    m_sweep->add_option("--ended-before", m_endedBefore, "YYYY-MM-DD[ HH:MM]")->required()->type_name("DATE");
    m_sweep->add_flag("--dry-run", *t.dryRun, "Print the rows it would free and send nothing");
    m_sweep->add_flag("--verify", *t.verify, "Read the list back and compare byte for byte");
}

bool ArchiveCommands::takes() const
{
    return m_query->parsed() || m_expiring->parsed() || m_sweep->parsed() ||
           (!m_archive.empty() && (m_tree.historyRead->parsed() || m_tree.historyDelete->parsed())) ||
           (!m_names.empty() && (m_tree.numbersRead->parsed() || m_tree.numbersDiff->parsed()));
}

QString ArchiveCommands::loadNames()
{
    return m_names.empty() ? QString() : m_namesFile.load(q(m_names));
}

Exit ArchiveCommands::run(const Runner &r)
{
    if (const QString e = loadNames(); !e.isEmpty()) return refuse(e);
    if (m_query->parsed()) return runQuery();
    if (m_expiring->parsed()) return runExpiring(r);
    if (m_sweep->parsed()) return runSweep(r);
    if (m_tree.historyRead->parsed()) return runArchiveRead(r);
    if (m_tree.historyDelete->parsed()) return runArchiveDelete(r);
    if (m_tree.numbersRead->parsed()) return runNamedNumbersRead(r);
    return runNamedDiff(r);
}

Exit ArchiveCommands::runArchiveRead(const Runner &r)
{
    QString type;
    std::string &output = *m_tree.output;
    if (!output.empty() || !m_tree.format->empty())
        if (const QString e = exportType(output, *m_tree.format, historyOutputTypes(), type); !e.isEmpty())
            return refuse(e);
    // The archive must take a merge before the unit is read.
    HistoryArchive archive;
    if (!archive.open(q(m_archive), true)) return refuse(archiveProblem(archive, q(m_archive)));
    UnitJob job(r.jobOptions(r.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(Area::History);
    addMerge(job, archive, q(m_archive), *m_tree.quiet, false);
    const Exit e = r.runJobs({&job});
    if (e != Exit::Done || output.empty()) return e;
    const HistoryModel &model = job.history();
    const QString error = writeExport(
        q(output), type,
        [&] {
            return type == QLatin1String("json") ? HistoryJson::bytes(model) : HistoryCsv::fileBytes(model);
        },
        [&] { return HistorySheet::toSheet(model); });
    return error.isEmpty() ? Exit::Done : refuse(error);
}

Exit ArchiveCommands::runArchiveDelete(const Runner &r)
{
    if (!*m_tree.yes)
        return refuse(
            QStringLiteral("history delete removes the whole log from the unit; add --yes to do it"));
    HistoryArchive archive;
    if (!archive.open(q(m_archive), true))
        return refuse(archiveProblem(archive, q(m_archive)) +
                      QStringLiteral("; nothing was read or deleted"));
    UnitJob::Options o = r.jobOptions(r.ports.front());
    o.answerYes = true;
    UnitJob job(o);
    job.addOpenAndLogIn();
    job.addRead(Area::History);
    addMerge(job, archive, q(m_archive), *m_tree.quiet, true);
    job.addDeleteHistory();
    return r.runJobs({&job});
}

Exit ArchiveCommands::runQuery()
{
    HistoryArchive::Query query;
    // The unit writes a number as it was dialled or sent: "+44..." and "0044..." are both asked for.
    if (const QString number = q(m_number).trimmed(); !number.isEmpty()) {
        const QString plus = NamesFile::key(number);
        query.executants << plus;
        if (plus.startsWith(u'+')) query.executants << QStringLiteral("00") + plus.mid(1);
    }
    query.action = q(m_action).trimmed();
    if (!m_from.empty()) {
        QDate day;
        QTime time;
        if (!parseMoment(q(m_from), day, time, QTime(0, 0, 0)))
            return refuse(
                QStringLiteral("--from %1: give YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS]").arg(q(m_from)));
        query.fromDay = day;
        query.fromTime = time;
    }
    if (!m_to.empty()) {
        QDate day;
        QTime time;
        if (!parseMoment(q(m_to), day, time, QTime(23, 59, 59)))
            return refuse(QStringLiteral("--to %1: give YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS]").arg(q(m_to)));
        query.toDay = day;
        query.toTime = time;
    }
    std::string &output = *m_tree.output;
    if (output.empty() && m_tree.format->empty()) output = "-";
    QString type = QStringLiteral("json");
    if (!(output == "-" && m_tree.format->empty()))
        if (const QString e = exportType(output, *m_tree.format, historyOutputTypes(), type); !e.isEmpty())
            return refuse(e);

    HistoryArchive archive;
    if (!archive.open(q(m_archive), false)) return refuse(archiveProblem(archive, q(m_archive)));
    const auto records = archive.query(query);
    const auto gaps = archive.gaps();
    if (!records || !gaps) return refuse(archiveProblem(archive, q(m_archive)));

    const bool named = !m_names.empty();
    QStringList names;
    if (named)
        for (const HistoryModel::Record &rec : *records)
            names << m_namesFile.nameOf(rec[HistoryModel::ExecutantColumn - 1]);
    const auto json = [&] {
        QJsonArray list;
        for (qsizetype i = 0; i < records->size(); ++i) {
            QJsonObject o = HistoryJson::entry(int(i) + 1, records->at(i));
            if (named)
                o.insert(QStringLiteral("name"), names[i].isEmpty() ? QJsonValue() : QJsonValue(names[i]));
            list.append(o);
        }
        QJsonArray gapList;
        for (const HistoryArchive::Gap &g : *gaps)
            gapList.append(QJsonObject{{QStringLiteral("from"), g.from}, {QStringLiteral("to"), g.to}});
        QJsonObject top = JsonEnvelope::document(HistoryJson::kKind);
        top.insert(QStringLiteral("records"), list);
        top.insert(QStringLiteral("gaps"), gapList);
        return QJsonDocument(top).toJson(QJsonDocument::Indented);
    };
    const auto csv = [&] {
        QByteArray out;
        for (qsizetype i = 0; i < records->size(); ++i)
            out +=
                HistoryCsv::line(int(i) + 1, records->at(i), named ? QStringList{names[i]} : QStringList{});
        return out;
    };
    const QString error = writeExport(
        q(output), type, [&] { return type == QLatin1String("json") ? json() : csv(); },
        [&] { return HistorySheet::toSheet(*records, named ? names : QStringList{}); });
    return error.isEmpty() ? Exit::Done : refuse(error);
}

} // namespace zc::cli
