// zarvento-cli audit: reads one or many units side by side (or a backup folder, or a
// profile and a list file) and reports what the audit's rules find. It only reads: the
// units see nothing but read requests.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "audit/audit_rules.h"
#include "cli/area_files.h"
#include "cli/audit_words.h"
#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/input_file.h"
#include "cli/json_reports.h"
#include "cli/names_file.h"
#include "cli/report_file.h"
#include "cli/units.h"
#include "history/history_csv.h"
#include "history/history_store.h"
#include "numbers/numbers_model.h"
#include "settings/settings_model.h"
#include "sheets/json_envelope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace zc::cli {

namespace {

struct AuditArgs
{
    std::string folder, profile, numbers, historyFile, report, countryCode, names;
    bool history = false, json = false;
    int withinDays = 14;
    std::vector<std::string> ignore;
};

// One unit's audit: where its tables came from, and what was found or why nothing was.
struct Audited
{
    QString port;
    Exit exit = Exit::Done;
    QString error; // why the unit or its files could not be read
    QList<Audit::Finding> findings;
    QList<QStringList> names; // with a names file: each finding's names, one per row or record
};

struct Tables
{
    SettingsModel settings;
    NumbersModel numbers;
    QList<HistoryModel::Record> history;
    bool hasSettings = false, hasNumbers = false, hasHistory = false;
};

// The findings over the tables at hand (null: not read).
QList<Audit::Finding> evaluate(const SettingsModel *settings, const NumbersModel *numbers,
                               const QList<HistoryModel::Record> *history, const AuditArgs &a)
{
    Audit::Input in;
    in.settings = settings;
    in.numbers = numbers;
    if (history) in.history = std::span<const HistoryModel::Record>(*history);
    in.now = QDateTime::currentDateTime();
    in.withinDays = a.withinDays;
    in.countryCode = q(a.countryCode);
    QStringList ignored;
    for (const std::string &id : a.ignore)
        ignored << q(id);
    return Audit::evaluate(in, ignored);
}

// The name of each row or record a finding concerns ("" when the file has none): a row by
// its number, a record by its executant.
QStringList namesOf(const Audit::Finding &f, const NumbersModel *numbers,
                    const QList<HistoryModel::Record> *history, const NamesFile &names)
{
    QStringList out;
    if (!f.rows.isEmpty()) {
        for (int row : f.rows)
            out << (numbers ? names.nameOf(numbers->text(row, NumberColumn::Number)) : QString());
        return out;
    }
    if (f.records.isEmpty()) return out;
    QHash<int, QString> executant; // by record number; a record holds the table columns from 1 on
    if (history)
        for (const HistoryModel::Record &r : *history)
            executant.insert(r[HistoryModel::NumberColumn - 1].toInt(), r[HistoryModel::ExecutantColumn - 1]);
    for (int record : f.records) {
        const QString who = executant.value(record);
        out << (who.isEmpty() ? QString() : names.nameOf(who));
    }
    return out;
}

// Audits the tables at hand; with a names file, names what each finding concerns.
void audit(Audited &u, const SettingsModel *settings, const NumbersModel *numbers,
           const QList<HistoryModel::Record> *history, const AuditArgs &a, const NamesFile &names)
{
    u.findings = evaluate(settings, numbers, history, a);
    if (a.names.empty()) return;
    for (const Audit::Finding &f : u.findings)
        u.names << namesOf(f, numbers, history, names);
}

// The newest file in folder whose name starts with prefix (the names end in the time they
// were written, so the last by name is the newest).
QString newestFile(const QDir &folder, const QString &prefix)
{
    const QStringList names = folder.entryList({prefix + u'*'}, QDir::Files, QDir::Name);
    return names.isEmpty() ? QString() : folder.filePath(names.last());
}

// Loads the files into the tables: "" or why not.
QString loadFiles(const QString &profile, const QString &numbers, const QString &history, Tables &t,
                  Units &host)
{
    // A FIFO, a folder or an oversized file is refused before it is opened.
    for (const QString &path : {profile, numbers, history})
        if (!path.isEmpty())
            if (const QString e = inputFileProblem(path); !e.isEmpty())
                return QStringLiteral("%1: %2").arg(path, e);
    if (!profile.isEmpty()) {
        if (const QString e = loadSettings(profile, t.settings); !e.isEmpty()) return e;
        t.hasSettings = true;
    }
    if (!numbers.isEmpty()) {
        QString warning;
        if (const QString e = loadNumbers(numbers, t.numbers, &warning); !e.isEmpty()) return e;
        if (!warning.isEmpty() && !host.quiet())
            errorLine(QStringLiteral("zarvento-cli: %1: %2").arg(numbers, warning));
        t.hasNumbers = true;
    }
    if (!history.isEmpty()) {
        QFile file(history);
        if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("%1: %2").arg(history, file.errorString());
        QString error;
        t.history = HistoryCsv::records(file.readAll(), &error);
        if (!error.isEmpty()) return QStringLiteral("%1: %2").arg(history, error);
        t.hasHistory = true;
    }
    return {};
}

QJsonObject findingJson(const Audit::Finding &f, const QStringList &names, const AuditArgs &a)
{
    QJsonObject o{{QStringLiteral("rule"), f.rule},
                  {QStringLiteral("severity"), Audit::severityName(f.severity)}};
    const auto array = [](const QList<int> &list) {
        QJsonArray out;
        for (int v : list)
            out.append(v);
        return out;
    };
    if (f.item) o.insert(QStringLiteral("item"), f.item);
    if (!f.rows.isEmpty()) o.insert(QStringLiteral("rows"), array(f.rows));
    if (!f.records.isEmpty()) o.insert(QStringLiteral("records"), array(f.records));
    if (!f.values.isEmpty()) o.insert(QStringLiteral("values"), QJsonArray::fromStringList(f.values));
    // One name per row or record, null where the names file has none.
    if (!a.names.empty() && !names.isEmpty()) {
        QJsonArray list;
        for (const QString &name : names)
            list.append(name.isEmpty() ? QJsonValue() : QJsonValue(name));
        o.insert(QStringLiteral("names"), list);
    }
    o.insert(QStringLiteral("message"), findingExplanation(f, a.withinDays));
    o.insert(QStringLiteral("fix"), findingFix(f));
    return o;
}

QByteArray auditJson(const QList<Audited> &units, const AuditArgs &a)
{
    QJsonObject top = JsonEnvelope::document(QStringLiteral("audit"));
    QJsonArray list;
    for (const Audited &u : units) {
        QJsonObject unit{{QStringLiteral("port"), u.port}};
        QJsonArray findings;
        for (qsizetype i = 0; i < u.findings.size(); ++i)
            findings.append(findingJson(u.findings[i], u.names.value(i), a));
        unit.insert(QStringLiteral("findings"), findings);
        if (u.exit != Exit::Done) {
            unit.insert(QStringLiteral("exit"), int(u.exit));
            unit.insert(QStringLiteral("error"), u.error);
        }
        list.append(unit);
    }
    top.insert(QStringLiteral("units"), list);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

// The arguments as a whole: "" or why they do not go together.
QString argsProblem(const AuditArgs &a, Units &host, bool offline)
{
    if (host.quiet() && host.verbose()) return QStringLiteral("give --quiet or --verbose, not both");
    if (offline && !host.ports().empty())
        return QStringLiteral("audit reads units (--port) or files (FOLDER, --profile, --numbers), not both");
    if (!offline && host.ports().empty())
        return QStringLiteral(
            "audit needs --port (once per unit), a backup FOLDER, or --profile and --numbers");
    if (!a.folder.empty() && (!a.profile.empty() || !a.numbers.empty() || !a.historyFile.empty()))
        return QStringLiteral("give a backup FOLDER or --profile/--numbers/--history-file, not both");
    if (offline && a.history)
        return QStringLiteral("--history reads a unit's log; offline, give --history-file");
    if (a.json && !a.report.empty()) return QStringLiteral("give --json or --report, not both");
    for (const std::string &id : a.ignore)
        if (!Audit::findRule(q(id)))
            return QStringLiteral("--ignore %1: no such rule (see 'man zarvento-cli')").arg(q(id));
    const QString cc = q(a.countryCode);
    const QString digits = cc.startsWith(u'+') ? cc.mid(1) : cc;
    if (!cc.isEmpty() && (digits.isEmpty() || digits.size() > 4 ||
                          !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); })))
        return QStringLiteral("--country-code %1: give the country's calling code, such as 44 or +44")
            .arg(cc);
    if (!a.report.empty())
        if (const QString e = reportProblem(q(a.report)); !e.isEmpty()) return e;
    return {};
}

// Reads every unit side by side and audits each that answered.
QList<Audited> auditUnits(const AuditArgs &a, Units &host, const NamesFile &names, Exit &worst)
{
    std::vector<std::unique_ptr<UnitJob>> jobs;
    QList<UnitJob *> list;
    for (const std::string &p : host.ports()) {
        auto job = std::make_unique<UnitJob>(host.jobOptions(p));
        job->addOpenAndLogIn();
        job->addRead(Area::Settings);
        job->addRead(Area::Numbers);
        if (a.history) job->addRead(Area::History);
        list << job.get();
        jobs.push_back(std::move(job));
    }
    worst = host.run(list);
    QList<Audited> out;
    for (UnitJob *job : list) {
        Audited u;
        u.port = job->port();
        u.exit = job->exit();
        if (u.exit != Exit::Done) {
            u.error = job->failure();
            out << u;
            continue;
        }
        HistoryStore log;
        log.takeFrom(job->history());
        audit(u, &job->settings(), &job->numbers(), a.history ? &log.records() : nullptr, a, names);
        out << u;
    }
    return out;
}

Exit runAudit(const AuditArgs &a, Units &host)
{
    const bool offline =
        !a.folder.empty() || !a.profile.empty() || !a.numbers.empty() || !a.historyFile.empty();
    if (const QString e = argsProblem(a, host, offline); !e.isEmpty()) return refuse(e);
    // A names file that is refused stops the audit before any unit is read.
    NamesFile names;
    if (!a.names.empty())
        if (const QString e = names.load(q(a.names)); !e.isEmpty()) return refuse(e);

    QList<Audited> units;
    Exit worst = Exit::Done;
    if (offline) {
        QString profile = q(a.profile), numbers = q(a.numbers), history = q(a.historyFile);
        Audited u;
        if (!a.folder.empty()) {
            const QDir dir(q(a.folder));
            if (!dir.exists()) return refuse(QStringLiteral("%1: no such folder").arg(q(a.folder)));
            // The names backup and the window's exports give.
            profile = newestFile(dir, QStringLiteral("basicinf_R"));
            numbers = newestFile(dir, QStringLiteral("telinf_R"));
            history = newestFile(dir, QStringLiteral("hisinf_CSV"));
            if (profile.isEmpty() && numbers.isEmpty())
                return refuse(
                    QStringLiteral(
                        "%1 holds no settings profile (basicinf_R…) and no list workbook (telinf_R…)")
                        .arg(q(a.folder)));
            u.port = q(a.folder);
        } else {
            u.port = !profile.isEmpty() ? profile : !numbers.isEmpty() ? numbers : history;
        }
        Tables t;
        if (const QString e = loadFiles(profile, numbers, history, t, host); !e.isEmpty()) return refuse(e);
        audit(u, t.hasSettings ? &t.settings : nullptr, t.hasNumbers ? &t.numbers : nullptr,
              t.hasHistory ? &t.history : nullptr, a, names);
        units << u;
    } else {
        if (const QString e = host.prepare(); !e.isEmpty()) return refuse(e);
        if (const QString e = host.portsGivenOnce(); !e.isEmpty()) return refuse(e);
        units = auditUnits(a, host, names, worst);
    }

    bool warned = false;
    for (const Audited &u : units)
        for (const Audit::Finding &f : u.findings)
            warned = warned || f.atLeastWarning();
    if (warned) worst = worse(worst, Exit::Unit);

    const QByteArray json = a.json || !a.report.empty() ? auditJson(units, a) : QByteArray();
    if (a.json) return outBytes(json) ? worst : worse(worst, Exit::Usage);
    // With the report on standard output, the finding lines go to stderr.
    const bool reportOut = a.report == "-";
    if (!host.quiet())
        for (const Audited &u : units) {
            if (u.exit == Exit::Done && u.findings.isEmpty())
                errorLine(u.port + QStringLiteral(": no findings"));
            for (qsizetype i = 0; i < u.findings.size(); ++i) {
                const Audit::Finding &f = u.findings[i];
                const QString place = findingPlace(f, u.names.value(i));
                const QString line =
                    QStringLiteral("%1: %2 %3: %4%5")
                        .arg(u.port, Audit::severityName(f.severity), f.rule,
                             findingExplanation(f, a.withinDays),
                             place.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(place));
                if (reportOut)
                    errorLine(line);
                else if (!outBytes(line.toUtf8() + '\n'))
                    return worse(worst, Exit::Usage);
            }
        }
    if (!a.report.empty()) {
        const QString e = writeOutput(q(a.report), json);
        if (!e.isEmpty()) worst = worse(worst, reportLost(q(a.report), e));
    }
    return worst;
}

class AuditCommand : public Command
{
public:
    AuditCommand()
        : Command(
              "", "audit",
              "Check units (or a backup) for who can open the gate and who will be locked out; reads only",
              {Ports::Several,
               false,
               false,
               {"FOLDER", "--profile", "--numbers", "--history-file", "--names"}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        cmd.add_option("FOLDER", m_args.folder, "Audit a folder that backup wrote instead of a unit");
        cmd.add_flag("--history", m_args.history, "Also read each unit's log and check it");
        cmd.add_option("--within", m_args.withinDays, "Report windows that end within DAYS (default 14)")
            ->check(CLI::Range(0, 3650))
            ->type_name("DAYS");
        cmd.add_option("--country-code", m_args.countryCode,
                       "Read a national number 0... as +CC... when looking for the same subscriber twice")
            ->type_name("CC");
        cmd.add_option("--ignore", m_args.ignore, "Leave out the rule ID (repeatable)")
            ->type_name("ID")
            ->allow_extra_args(false);
        cmd.add_flag("--json", m_args.json, "Print the findings as JSON");
        cmd.add_option("--report", m_args.report, "Write the findings as JSON to FILE; - for stdout")
            ->type_name("FILE");
        cmd.add_option("--profile", m_args.profile, "Audit a settings profile file instead of a unit")
            ->type_name("FILE");
        cmd.add_option("--numbers", m_args.numbers, "Audit a number list file instead of a unit")
            ->type_name("FILE");
        cmd.add_option("--history-file", m_args.historyFile, "Audit a history CSV file as well")
            ->type_name("FILE");
        cmd.add_option(
               "--names", m_args.names,
               "Name the rows and records of each finding from a names file (CSV, XLSX or ODS: number, "
               "name, note)")
            ->type_name("FILE");
        // A backup folder or files need no unit.
        units.addOptions(&cmd, declaration());
        units.addPasswordFor(&cmd);
    }

    Exit run(Units &units) override { return runAudit(m_args, units); }

private:
    AuditArgs m_args;
};

} // namespace

std::unique_ptr<Command> makeAuditCommand()
{
    return std::make_unique<AuditCommand>();
}

} // namespace zc::cli
