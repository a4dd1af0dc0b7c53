// zarvento-cli numbers expiring: the rows of a unit's list (or a list file) whose window
// has ended or ends within some days; exit 1 when any.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/area_files.h"
#include "cli/command_options.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/input_file.h"
#include "cli/json_reports.h"
#include "cli/names_file.h"
#include "cli/units.h"
#include "numbers/number_window.h"
#include "numbers/numbers_model.h"
#include "sheets/json_envelope.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace zc::cli {

namespace {

struct Ending
{
    int row;
    QString number;
    QDateTime end;
    bool ended;
};

// Rows whose window ended before now or ends within `days` after it, by end, then row.
QList<Ending> endingRows(const NumbersModel &model, const QDateTime &now, int days)
{
    QList<Ending> rows;
    const QDateTime horizon = now.addDays(days);
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        const NumberRow row = model.row(r);
        const auto end = NumberWindow::end(row);
        if (!end) continue;
        const bool ended = NumberWindow::ended(row, now);
        if (ended || *end <= horizon) rows << Ending{r, row[NumberColumn::Number], *end, ended};
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Ending &a, const Ending &b) { return a.end < b.end; });
    return rows;
}

class ExpiringCommand : public Command
{
public:
    ExpiringCommand()
        : Command("numbers", "expiring",
                  "List the rows whose window has ended or ends within DAYS (exit 1 when any)",
                  {Ports::One, false, false, {"FILE", "--names"}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        cmd.add_option("FILE", m_file, "A list .xlsx/.ods/.xls, .csv or .json instead of a unit");
        units.addOptions(&cmd, declaration());
        cmd.add_option("--within", m_within, "Days ahead to look")
            ->required()
            ->check(CLI::Range(0, 36500))
            ->type_name("DAYS");
        cmd.add_flag("--json", m_json, "Print the rows as JSON");
        addNamesOption(&cmd, m_names);
        addFormatOption(&cmd, m_format, "The type of standard input's file (FILE -)");
    }

    Exit run(Units &units) override
    {
        // A list file stands in for the unit, yet the unit options are checked as for any command.
        if (const QString e = units.prepare(); !e.isEmpty()) return refuse(e);
        NamesFile names;
        if (!m_names.empty())
            if (const QString e = names.load(q(m_names)); !e.isEmpty()) return refuse(e);
        return list(units, names);
    }

private:
    Exit list(Units &units, const NamesFile &names);

    std::string m_file, m_format, m_names;
    int m_within = -1;
    bool m_json = false;
};

} // namespace

Exit ExpiringCommand::list(Units &units, const NamesFile &names)
{
    const bool fromFile = !m_file.empty();
    if (fromFile == !units.ports().empty())
        return refuse(
            QStringLiteral("numbers expiring reads a unit (--port) or a list FILE: give one of them"));
    NumbersModel fileModel;
    std::unique_ptr<UnitJob> job;
    if (fromFile) {
        const InputFile in(q(m_file), q(m_format));
        if (!in.error().isEmpty()) return refuse(in.error());
        if (const QString e = in.named(loadNumbers(in.path(), fileModel)); !e.isEmpty()) return refuse(e);
    } else {
        job = std::make_unique<UnitJob>(units.jobOptions(units.ports().front()));
        job->addOpenAndLogIn();
        job->addRead(Area::Numbers);
        if (const Exit e = units.run({job.get()}); e != Exit::Done) return e;
    }
    const NumbersModel &model = fromFile ? fileModel : job->numbers();
    const QDateTime now = QDateTime::currentDateTime();
    const QList<Ending> rows = endingRows(model, now, m_within);
    const bool named = !m_names.empty();
    if (m_json) {
        QJsonArray list;
        for (const Ending &e : rows) {
            QJsonObject o{
                {QStringLiteral("row"), e.row},
                {QStringLiteral("number"), e.number},
                {QStringLiteral("end_date"), e.end.toString(QStringLiteral("yyyy-MM-dd"))},
                {QStringLiteral("end_time"), e.end.toString(QStringLiteral("HH:mm"))},
                {QStringLiteral("state"), e.ended ? QStringLiteral("ended") : QStringLiteral("ending")}};
            if (named) o.insert(QStringLiteral("name"), nameValue(names, e.number));
            list.append(o);
        }
        QJsonObject top = JsonEnvelope::document(QStringLiteral("expiring"));
        top.insert(QStringLiteral("now"), minuteText(now));
        top.insert(QStringLiteral("within_days"), m_within);
        top.insert(QStringLiteral("rows"), list);
        if (!outBytes(QJsonDocument(top).toJson(QJsonDocument::Indented))) return Exit::Usage;
    } else {
        for (const Ending &e : rows)
            if (!outText(QStringLiteral("row %1: %2 %3 %4%5")
                             .arg(e.row)
                             .arg(e.number, e.ended ? QStringLiteral("ended") : QStringLiteral("ends"),
                                  minuteText(e.end), named ? namedSuffix(names, e.number) : QString())))
                return Exit::Usage;
    }
    return rows.isEmpty() ? Exit::Done : Exit::Unit;
}

std::unique_ptr<Command> makeExpiringCommand()
{
    return std::make_unique<ExpiringCommand>();
}

} // namespace zc::cli
