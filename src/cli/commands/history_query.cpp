// zarvento-cli history query: the records a history archive keeps, chosen by number, time
// and action, printed or exported.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/archive_steps.h"
#include "cli/area_files.h"
#include "cli/command_options.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/json_reports.h"
#include "cli/names_file.h"
#include "history/history_archive.h"
#include "history/history_csv.h"
#include "history/history_json.h"
#include "history/history_sheet.h"
#include "sheets/json_envelope.h"
#include "sheets/sheet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace zc::cli {

namespace {

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

class HistoryQueryCommand : public Command
{
public:
    HistoryQueryCommand()
        : Command("history", "query", "Print or export the records a history archive keeps",
                  {Ports::None, false, false, {"--archive", "--names"}})
    {
    }

    void addOptions(CLI::App &cmd, Units &) override
    {
        cmd.add_option("--archive", m_archive, "The history archive FILE")->required()->type_name("FILE");
        cmd.add_option("--number", m_number, "Only the records of this telephone number")->type_name("N");
        cmd.add_option("--from", m_from, "Only records at or after DATE (YYYY-MM-DD[ HH:MM[:SS]])")
            ->type_name("DATE");
        cmd.add_option("--to", m_to, "Only records at or before DATE (a day alone: to its end)")
            ->type_name("DATE");
        cmd.add_option("--action", m_action, "Only records of this action (\"Relay ON\"; any case)")
            ->type_name("NAME");
        cmd.add_option("-o,--output", m_output, "Write FILE.json, FILE.csv or FILE.xlsx; - for stdout")
            ->type_name("FILE");
        addFormatOption(&cmd, m_format, "The type to write to standard output (-o -)",
                        {"json", "csv", "xlsx"});
        addNamesOption(&cmd, m_names);
    }

    Exit run(Units &) override
    {
        NamesFile names;
        if (!m_names.empty())
            if (const QString e = names.load(q(m_names)); !e.isEmpty()) return refuse(e);
        return query(names);
    }

private:
    Exit query(const NamesFile &namesFile);

    std::string m_archive, m_number, m_from, m_to, m_action, m_output, m_format, m_names;
};

} // namespace

Exit HistoryQueryCommand::query(const NamesFile &namesFile)
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
    if (m_output.empty() && m_format.empty()) m_output = "-";
    QString type = QStringLiteral("json");
    if (!(m_output == "-" && m_format.empty()))
        if (const QString e = exportType(m_output, m_format, historyOutputTypes(), type); !e.isEmpty())
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
            names << namesFile.nameOf(rec[HistoryModel::ExecutantColumn - 1]);
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
        q(m_output), type, [&] { return type == QLatin1String("json") ? json() : csv(); },
        [&] { return HistorySheet::toSheet(*records, named ? names : QStringList{}); });
    return error.isEmpty() ? Exit::Done : refuse(error);
}

std::unique_ptr<Command> makeHistoryQueryCommand()
{
    return std::make_unique<HistoryQueryCommand>();
}

} // namespace zc::cli
