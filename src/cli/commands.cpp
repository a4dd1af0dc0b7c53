// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

#include "cli/area_files.h"
#include "cli/input_file.h"
#include "cli/page_compare.h"
#include "cli/signal_watch.h"
#include "cli/unit_job.h"
#include "history/history_csv.h"
#include "numbers/number_entry.h"
#include "numbers/numbers_model.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"
#include "sheets/export_folder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <unistd.h>

namespace zc::cli {

namespace {

constexpr const char *kExitCodes =
    "Exit codes (with several units, the worst of them):\n"
    "  0  done, and verified where asked\n"
    "  1  the unit refused (wrong password, a refused page), verification found a\n"
    "     difference, or diff found a change\n"
    "  2  usage or input-file error; nothing was sent\n"
    "  3  port error (absent, no permission, busy)\n"
    "  4  no reply (time-out, damaged replies, the unit went away)\n"
    "  130, 143  stopped by Ctrl-C or SIGTERM: each unit's line says what it holds\n";

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

void errLine(const QString &line)
{
    const QByteArray b = line.toUtf8() + '\n';
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fflush(stderr);
}

// Writes to standard output; false, after saying why, when the bytes did not all get there
// (a full disk behind a redirection, a closed pipe).
bool out(const QByteArray &bytes)
{
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) &&
        std::fflush(stdout) == 0)
        return true;
    errLine(QStringLiteral("zarvento-cli: cannot write to standard output: %1")
                .arg(errno ? ExportFolder::writeReason(errno) : QStringLiteral("write error")));
    return false;
}

bool outLine(const QString &line)
{
    return out(line.toUtf8() + '\n');
}

Exit usageError(const QString &message)
{
    errLine(QStringLiteral("zarvento-cli: ") + message);
    return Exit::Usage;
}

// The progress line: one entry per unit, redrawn in place, only on a terminal.
class ProgressLine
{
public:
    ProgressLine() : m_enabled(::isatty(STDERR_FILENO) == 1) {}

    void attach(UnitJob &job)
    {
        if (!m_enabled) return;
        job.onProgress = [this, port = job.port()](const QString &what, int percent) {
            const QString text = QStringLiteral("%1 %2 %3%").arg(port, what).arg(qBound(0, percent, 100));
            if (m_state[port] == text) return;
            m_state[port] = text;
            draw();
        };
    }
    void forget(const QString &port)
    {
        m_state.erase(port);
        clear();
    }
    void clear()
    {
        if (m_enabled && m_drawn) std::fputs("\r\033[K", stderr);
        m_drawn = false;
    }
    void draw()
    {
        if (!m_enabled || m_state.empty()) return;
        QStringList parts;
        for (const auto &[port, text] : m_state)
            parts << text;
        const QByteArray line = ("\r\033[K" + parts.join(QStringLiteral(" | "))).toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        m_drawn = true;
    }

private:
    bool m_enabled;
    bool m_drawn = false;
    std::map<QString, QString> m_state;
};

// Runs the jobs side by side in one event loop; their messages go to stderr as each ends.
Exit runJobs(const QList<UnitJob *> &jobs)
{
    ProgressLine progress;
    QEventLoop loop;
    int left = int(jobs.size());
    // Ctrl-C and SIGTERM end every job as Stop does, each saying what its unit holds.
    SignalWatch watch([&jobs](int signalNumber) {
        for (UnitJob *job : jobs)
            job->interrupt(signalNumber);
    });
    for (UnitJob *job : jobs) {
        progress.attach(*job);
        QObject::connect(job, &UnitJob::finished, &loop, [&, job] {
            progress.forget(job->port());
            for (const QString &m : job->messages())
                errLine(m);
            progress.draw();
            if (--left == 0) loop.quit();
        });
        job->start();
    }
    if (left > 0) loop.exec();
    Exit worst = Exit::Done;
    for (UnitJob *job : jobs)
        worst = worse(worst, job->exit());
    return worst;
}

struct DeviceArgs
{
    std::vector<std::string> ports;
    std::string password;
    int timeoutMs = 3000;
};

void addDeviceOptions(CLI::App *cmd, DeviceArgs &a, const char *portHelp)
{
    cmd->add_option("--port", a.ports, portHelp)->required()->type_name("P");
    cmd->add_option("--password", a.password, "The unit's password (default: the factory password)")
        ->type_name("PW");
    // Short reply time-outs for tests; not offered in the help.
    cmd->add_option("--timeout-ms", a.timeoutMs)->group("")->check(CLI::Range(50, 600000));
}

UnitJob::Options jobOptions(const DeviceArgs &a, const std::string &port)
{
    UnitJob::Options o;
    o.port = q(port);
    o.password = a.password.empty() ? QString::fromUtf8(SettingsItems::find(1)->content) : q(a.password);
    o.replyTimeoutMs = a.timeoutMs;
    return o;
}

// Reads an area back after it was written and compares it byte for byte with the pages the
// save actually sent.
void addVerify(UnitJob &job, Area area)
{
    job.addRead(area);
    job.addCheck([&job, area] {
        const QStringList lines = verifyDifferences(area, job.pagesSaved(area), job.pagesRead(area));
        if (lines.isEmpty()) {
            job.done << areaName(area) + QStringLiteral(" verified");
            return;
        }
        for (const QString &line : lines)
            job.note(QStringLiteral("verify: ") + line);
        job.fail(Exit::Unit, QStringLiteral("verification found %1 difference%2 in the %3 it holds")
                                 .arg(lines.size())
                                 .arg(lines.size() == 1 ? QString() : QStringLiteral("s"))
                                 .arg(areaName(area)));
    });
}

void addWritten(UnitJob &job, Area area)
{
    job.addCheck([&job, area] { job.done << areaName(area) + QStringLiteral(" written"); });
}

// Loads an area's file into its table through the checks Save makes: "" or the message.
QString loadInto(Area area, const InputFile &in, SettingsModel &settings, NumbersModel &numbers)
{
    if (!in.error().isEmpty()) return in.error();
    if (area == Area::Settings) return in.named(loadSettings(in.path(), settings));
    // A warning does not stop the run: it goes to stderr, naming the file.
    QString warning;
    const QString error = in.named(loadNumbers(in.path(), numbers, &warning));
    if (error.isEmpty() && !warning.isEmpty())
        errLine(QStringLiteral("zarvento-cli: ") + in.named(in.path()) + QStringLiteral(": ") + warning);
    return error;
}

// A unit's table takes the file's table as it was loaded and checked: each file is read once.
void copyTable(const SettingsModel &from, SettingsModel &to)
{
    for (int r = 0; r < SettingsModel::Rows; ++r)
        for (int c = 0; c < SettingsModel::Columns; ++c)
            to.setText(r, c, from.text(r, c));
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        if (SettingsModel::isPickItem(item)) to.setPickSelection(item, from.pickSelection(item));
}

void copyTable(const NumbersModel &from, NumbersModel &to)
{
    QList<NumberRow> rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        rows << from.row(r);
    to.setRows(NumbersModel::FirstEntry, rows, 0, NumbersModel::Columns - 1);
}

bool holdsNumbers(const NumbersModel &model)
{
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (!model.text(r, NumberColumn::Number).isEmpty()) return true;
    return false;
}

QString emptyListRefusal(const QString &file)
{
    return QStringLiteral("%1 holds no numbers: writing it empties the unit's whole list; add --yes to do it")
        .arg(file);
}

// --dry-run: reads the area and prints what writing the table would change on the unit.
void addPreview(UnitJob &job, Area area, const QList<PageBytes> &sent, bool namePort)
{
    job.addRead(area);
    job.addCheck([&job, area, sent, namePort] {
        const QString prefix = namePort ? job.port() + QStringLiteral(": ") : QString();
        const QStringList lines = area == Area::Settings ? settingsChanges(job.pagesRead(area), sent)
                                                         : numbersChanges(job.pagesRead(area), sent);
        if (lines.isEmpty())
            outLine(prefix + QStringLiteral("writing changes nothing in the %1").arg(areaName(area)));
        for (const QString &line : lines)
            outLine(prefix + line);
    });
}

// A report file must be writable before any unit is touched: "" or why not.
QString reportProblem(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return QStringLiteral("%1: the folder %2 does not exist").arg(path, folder.filePath());
    if (!folder.isDir()) return QStringLiteral("%1: %2 is not a folder").arg(path, folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("%1: the folder %2 cannot be written").arg(path, folder.filePath());
    if (file.exists() && (!file.isFile() || !file.isWritable()))
        return QStringLiteral("%1: cannot be written over").arg(path);
    return {};
}

struct Commands
{
    CLI::App app{"Reads, writes, compares and provisions Zarvento GSM relay units over their serial port.",
                 "zarvento-cli"};
    DeviceArgs dev;
    std::string file, output, profile, numbersFile, report, format;
    bool json = false, verify = false, yes = false, dryRun = false;

    CLI::App *ports, *settingsRead, *settingsWrite, *settingsDiff, *numbersRead, *numbersWrite, *numbersDiff,
        *historyRead, *historyDelete, *provision, *backup;

    Commands()
    {
        app.footer(kExitCodes);
        app.require_subcommand(1);
        app.set_version_flag("--version", std::string(ZC_VERSION_TEXT));
        const char *onePort = "The unit's port: a device path or a name that 'ports' lists";

        ports = app.add_subcommand("ports", "List the ports the window would offer, one per line");
        ports->add_flag("--json", json, "Print them as JSON");

        CLI::App *settings = app.add_subcommand("settings", "Read, write or compare the unit's settings");
        settings->require_subcommand(1);
        settingsRead = settings->add_subcommand("read", "Read the settings (JSON on stdout without -o)");
        addDeviceOptions(settingsRead, dev, onePort);
        settingsRead->add_option("-o,--output", output, "Write FILE.xlsx (the profile workbook) or FILE.json")
            ->type_name("FILE");
        settingsWrite =
            settings->add_subcommand("write", "Write a profile workbook or settings JSON to the unit");
        settingsWrite->add_option("FILE", file, "Profile .xlsx/.ods/.xls or .json, or - for stdin")
            ->required();
        addDeviceOptions(settingsWrite, dev, onePort);
        settingsWrite->add_flag("--verify", verify, "Read the settings back and compare byte for byte");
        addInputOptions(settingsWrite);
        settingsDiff = settings->add_subcommand("diff", "Show item by item what writing FILE would change");
        settingsDiff->add_option("FILE", file, "Profile .xlsx/.ods/.xls or .json, or - for stdin")
            ->required();
        addFormatOption(settingsDiff);
        addDeviceOptions(settingsDiff, dev, onePort);

        CLI::App *numbers =
            app.add_subcommand("numbers", "Read, write or compare the authorized number list");
        numbers->require_subcommand(1);
        numbersRead = numbers->add_subcommand("read", "Read the list (JSON on stdout without -o)");
        addDeviceOptions(numbersRead, dev, onePort);
        numbersRead
            ->add_option("-o,--output", output, "Write FILE.xlsx (list workbook), FILE.csv or FILE.json")
            ->type_name("FILE");
        numbersWrite =
            numbers->add_subcommand("write", "Write a list workbook, list CSV or JSON to the unit");
        numbersWrite->add_option("FILE", file, "List .xlsx/.ods/.xls, .csv or .json, or - for stdin")
            ->required();
        addDeviceOptions(numbersWrite, dev, onePort);
        numbersWrite->add_flag("--verify", verify, "Read the list back and compare byte for byte");
        addInputOptions(numbersWrite);
        numbersWrite->add_flag("--yes", yes,
                               "Confirm writing a list that holds no numbers (it empties the unit's list)");
        numbersDiff = numbers->add_subcommand("diff", "Show row by row what writing FILE would change");
        numbersDiff->add_option("FILE", file, "List .xlsx/.ods/.xls, .csv or .json, or - for stdin")
            ->required();
        addFormatOption(numbersDiff);
        addDeviceOptions(numbersDiff, dev, onePort);

        CLI::App *history = app.add_subcommand("history", "Read or delete the unit's event log");
        history->require_subcommand(1);
        historyRead = history->add_subcommand("read", "Read the log (JSON on stdout without -o)");
        addDeviceOptions(historyRead, dev, onePort);
        historyRead->add_option("-o,--output", output, "Write FILE.xlsx, FILE.csv or FILE.json")
            ->type_name("FILE");
        historyDelete = history->add_subcommand("delete", "Delete the whole log on the unit");
        addDeviceOptions(historyDelete, dev, onePort);
        historyDelete->add_flag("--yes", yes, "Confirm the delete (without it nothing is done, exit 2)");

        provision = app.add_subcommand("provision", "Write a profile and/or a list to several units at once");
        addDeviceOptions(provision, dev, "A unit's port; give --port once per unit");
        provision->add_option("--profile", profile, "Settings profile .xlsx/.ods/.xls or .json")
            ->type_name("FILE");
        provision->add_option("--numbers", numbersFile, "Number list .xlsx/.ods/.xls, .csv or .json")
            ->type_name("FILE");
        provision->add_flag("--verify", verify, "Read back what was written and compare byte for byte");
        provision->add_option("--report", report, "Write a JSON report per unit to FILE.json")
            ->type_name("FILE");
        addInputOptions(provision);
        provision->add_flag("--yes", yes,
                            "Confirm writing a list that holds no numbers (it empties each unit's list)");

        backup = app.add_subcommand("backup", "Save settings profile, list workbook and history CSV in DIR");
        addDeviceOptions(backup, dev, onePort);
        backup->add_option("-o,--output", output, "The folder to write to (created when missing)")
            ->required()
            ->type_name("DIR");
    }

    QString onlyPort() const { return q(dev.ports.front()); }

    // The steps that write the area's table to the job's unit: save it, and read it back
    // with --verify; with --dry-run, read the unit and print what writing would change.
    void addWriteSteps(UnitJob &job, Area area, bool namePort) const
    {
        if (dryRun) {
            addPreview(job, area,
                       area == Area::Settings ? settingsPages(job.settings()) : numbersPages(job.numbers()),
                       namePort);
            return;
        }
        job.addSave(area);
        addWritten(job, area);
        if (verify) addVerify(job, area);
    }

    void addFormatOption(CLI::App *cmd)
    {
        cmd->add_option("--format", format, "The type of standard input's file (FILE -)")
            ->check(CLI::IsMember({"json", "csv", "xlsx", "ods", "xls"}))
            ->type_name("json|csv|xlsx|ods|xls");
    }
    void addInputOptions(CLI::App *cmd)
    {
        addFormatOption(cmd);
        cmd->add_flag("--dry-run", dryRun, "Show what writing would change on each unit, and write nothing");
    }

    Exit runPorts();
    Exit runRead(Area area);
    Exit runWrite(Area area);
    Exit runDiff(Area area);
    Exit runDelete();
    Exit runProvision();
    Exit runBackup();
    Exit dispatch();
};

Exit Commands::runPorts()
{
    const QList<PortName> list = listPorts();
    if (json) {
        QJsonArray a;
        for (const PortName &p : list)
            a.append(QJsonObject{{QStringLiteral("name"), p.name}, {QStringLiteral("path"), p.path}});
        return out(QJsonDocument(a).toJson(QJsonDocument::Indented)) ? Exit::Done : Exit::Usage;
    }
    for (const PortName &p : list)
        if (!outLine(p.name + u'\t' + p.path)) return Exit::Usage;
    return Exit::Done;
}

Exit Commands::runRead(Area area)
{
    const QStringList types = area == Area::Settings  ? settingsOutputTypes()
                              : area == Area::Numbers ? numbersOutputTypes()
                                                      : historyOutputTypes();
    if (!output.empty())
        if (const QString e = checkOutputType(q(output), types); !e.isEmpty()) return usageError(e);
    UnitJob job(jobOptions(dev, dev.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(area);
    const Exit e = runJobs({&job});
    if (e != Exit::Done) return e;
    if (output.empty())
        return out(area == Area::Settings  ? settingsJson(job.settings())
                   : area == Area::Numbers ? numbersJson(job.numbers())
                                           : historyJson(job.history()))
                   ? Exit::Done
                   : Exit::Usage;
    const QString path = q(output);
    const QString error = area == Area::Settings  ? saveSettings(job.settings(), path)
                          : area == Area::Numbers ? saveNumbers(job.numbers(), path)
                                                  : saveHistory(job.history(), path);
    return error.isEmpty() ? Exit::Done : usageError(error);
}

Exit Commands::runWrite(Area area)
{
    UnitJob job(jobOptions(dev, dev.ports.front()));
    const InputFile in(q(file), q(format));
    if (const QString e = loadInto(area, in, job.settings(), job.numbers()); !e.isEmpty())
        return usageError(e);
    if (area == Area::Numbers && !yes && !dryRun && !holdsNumbers(job.numbers()))
        return usageError(emptyListRefusal(q(file)));
    job.addOpenAndLogIn();
    addWriteSteps(job, area, false);
    return runJobs({&job});
}

Exit Commands::runDiff(Area area)
{
    SettingsModel settingsFile;
    NumbersModel numbersFile;
    const InputFile in(q(file), q(format));
    if (const QString e = loadInto(area, in, settingsFile, numbersFile); !e.isEmpty()) return usageError(e);
    UnitJob job(jobOptions(dev, dev.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(area);
    const Exit e = runJobs({&job});
    if (e != Exit::Done) return e;
    const QStringList lines = area == Area::Settings
                                  ? settingsChanges(job.pagesRead(area), settingsPages(settingsFile))
                                  : numbersChanges(job.pagesRead(area), numbersPages(numbersFile));
    for (const QString &line : lines)
        outLine(line);
    return lines.isEmpty() ? Exit::Done : Exit::Unit;
}

Exit Commands::runDelete()
{
    if (!yes)
        return usageError(
            QStringLiteral("history delete removes the whole log from the unit; add --yes to do it"));
    UnitJob::Options o = jobOptions(dev, dev.ports.front());
    o.answerYes = true;
    UnitJob job(o);
    job.addOpenAndLogIn();
    job.addDeleteHistory();
    return runJobs({&job});
}

Exit Commands::runProvision()
{
    if (profile.empty() && numbersFile.empty())
        return usageError(QStringLiteral("provision needs --profile FILE, --numbers FILE or both"));
    QSet<QString> seen;
    for (const std::string &p : dev.ports) {
        const QString path = QFileInfo(resolvePort(q(p))).absoluteFilePath();
        if (seen.contains(path)) return usageError(QStringLiteral("the port %1 is given twice").arg(q(p)));
        seen.insert(path);
    }
    if (profile == "-" && numbersFile == "-")
        return usageError(QStringLiteral("standard input (-) can give one of --profile and --numbers"));
    // Every file, every value and the report's folder are checked before any unit is opened:
    // exit 2 means that nothing was sent to any unit.
    const InputFile profileIn(q(profile), q(format)), numbersIn(q(numbersFile), q(format));
    SettingsModel s;
    NumbersModel n;
    {
        if (!profile.empty())
            if (const QString e = loadInto(Area::Settings, profileIn, s, n); !e.isEmpty())
                return usageError(e);
        if (!numbersFile.empty()) {
            if (const QString e = loadInto(Area::Numbers, numbersIn, s, n); !e.isEmpty())
                return usageError(e);
            if (!yes && !dryRun && !holdsNumbers(n)) return usageError(emptyListRefusal(q(numbersFile)));
        }
        if (!report.empty())
            if (const QString e = reportProblem(q(report)); !e.isEmpty()) return usageError(e);
    }
    std::vector<std::unique_ptr<UnitJob>> jobs;
    QList<UnitJob *> list;
    for (const std::string &p : dev.ports) {
        auto job = std::make_unique<UnitJob>(jobOptions(dev, p));
        job->addOpenAndLogIn();
        if (!profile.empty()) {
            copyTable(s, job->settings());
            addWriteSteps(*job, Area::Settings, true);
        }
        if (!numbersFile.empty()) {
            copyTable(n, job->numbers());
            addWriteSteps(*job, Area::Numbers, true);
        }
        list << job.get();
        jobs.push_back(std::move(job));
    }
    Exit worst = runJobs(list);

    QJsonArray units;
    for (UnitJob *job : list) {
        const bool ok = job->exit() == Exit::Done;
        QStringList written, verified;
        for (const QString &d : job->done) {
            if (d.endsWith(QLatin1String(" written"))) written << d.chopped(8);
            if (d.endsWith(QLatin1String(" verified"))) verified << d.chopped(9);
        }
        QStringList errors;
        for (const QString &m : job->messages())
            errors << m.mid(job->port().size() + 2);
        outLine(ok ? QStringLiteral("%1: ok: %2").arg(job->port(), job->done.join(QStringLiteral(", ")))
                   : QStringLiteral("%1: failed (exit %2): %3")
                         .arg(job->port())
                         .arg(int(job->exit()))
                         .arg(errors.isEmpty() ? QString() : errors.last()));
        QJsonObject u{
            {QStringLiteral("port"), job->port()},
            {QStringLiteral("exit"), int(job->exit())},
            {QStringLiteral("written"), QJsonArray::fromStringList(written)},
            {QStringLiteral("verified"), verify && ok},
            {QStringLiteral("error"), errors.isEmpty() ? QJsonValue() : QJsonValue(errors.join(u'\n'))}};
        units.append(u);
    }
    if (!report.empty()) {
        const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("units"), units}}).toJson();
        if (const QString e = ExportFolder::writeFile(q(report), bytes); !e.isEmpty())
            worst = worse(worst, usageError(e));
    }
    return worst;
}

Exit Commands::runBackup()
{
    const QString dir = q(output);
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isWritable())
        return usageError(QStringLiteral("%1: cannot write to this folder").arg(dir));
    UnitJob job(jobOptions(dev, dev.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(Area::Settings);
    job.addRead(Area::Numbers);
    job.addRead(Area::History);
    const Exit e = runJobs({&job});
    if (e != Exit::Done) return e;
    // The window's export names, one time stamp for the three files.
    const QDateTime now = QDateTime::currentDateTime();
    const QDir folder(dir);
    QString written;
    // Every file is tried; any that failed makes the backup fail.
    Exit result = Exit::Done;
    for (int i = 0; i < 3; ++i) {
        QString error;
        if (i == 0)
            error =
                saveSettings(job.settings(),
                             folder.filePath(ExportFolder::stampedName(QStringLiteral("basicinf_R"), now) +
                                             QStringLiteral(".xlsx")),
                             &written);
        else if (i == 1)
            error = saveNumbers(job.numbers(),
                                folder.filePath(ExportFolder::stampedName(QStringLiteral("telinf_R"), now) +
                                                QStringLiteral(".xlsx")),
                                &written);
        else {
            written = folder.filePath(ExportFolder::stampedName(QStringLiteral("hisinf_CSV"), now));
            error = ExportFolder::writeFile(written, HistoryCsv::fileBytes(job.history()));
        }
        if (!error.isEmpty())
            result = usageError(error);
        else if (!outLine(written))
            result = Exit::Usage;
    }
    return result;
}

Exit Commands::dispatch()
{
    if (ports->parsed()) return runPorts();
    if (dev.ports.size() > 1 && !provision->parsed())
        return usageError(QStringLiteral("this command takes one --port; provision takes several"));
    if (settingsRead->parsed()) return runRead(Area::Settings);
    if (numbersRead->parsed()) return runRead(Area::Numbers);
    if (historyRead->parsed()) return runRead(Area::History);
    if (settingsWrite->parsed()) return runWrite(Area::Settings);
    if (numbersWrite->parsed()) return runWrite(Area::Numbers);
    if (settingsDiff->parsed()) return runDiff(Area::Settings);
    if (numbersDiff->parsed()) return runDiff(Area::Numbers);
    if (historyDelete->parsed()) return runDelete();
    if (provision->parsed()) return runProvision();
    if (backup->parsed()) return runBackup();
    return usageError(QStringLiteral("no command given; see --help"));
}

} // namespace

int run(int argc, char **argv)
{
    Commands c;
    try {
        c.app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        if (e.get_exit_code() == int(CLI::ExitCodes::Success)) return c.app.exit(e);
        errLine(QStringLiteral("zarvento-cli: ") + QString::fromStdString(e.what()));
        errLine(QStringLiteral("Run 'zarvento-cli --help' for the commands and options."));
        return int(Exit::Usage);
    }
    return int(c.dispatch());
}

} // namespace zc::cli
