// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_output.h"
#include "cli/commands.h"

#include "cli/archive_commands.h"
#include "cli/area_files.h"
#include "cli/audit_command.h"
#include "cli/input_file.h"
#include "cli/json_reports.h"
#include "cli/page_compare.h"
#include "cli/remote_options.h"
#include "cli/report_file.h"
#include "cli/unit_job.h"
#include "cli/unit_writes.h"
#include "history/history_csv.h"
#include "history/history_json.h"
#include "link/signal_watch.h"
#include "numbers/number_entry.h"
#include "numbers/numbers_json.h"
#include "numbers/numbers_model.h"
#include "settings/settings_items.h"
#include "settings/settings_json.h"
#include "settings/settings_model.h"
#include "sheets/export_folder.h"
#include "sheets/json_envelope.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
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
    "  5  the units were reached as their lines say, but the report could not be written\n"
    "  129, 130, 143  stopped by SIGHUP, Ctrl-C or SIGTERM: each unit's line says what it holds\n";

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

// The command line's output (cli/command_output.h) under this file's short names.
void errLine(const QString &line)
{
    errorLine(line);
}

bool out(const QByteArray &bytes)
{
    return outBytes(bytes);
}

bool outLine(const QString &line)
{
    return outText(line);
}

Exit usageError(const QString &message)
{
    return refuse(message);
}

// The progress line: one entry per unit, redrawn in place, only on a terminal.
class ProgressLine
{
public:
    explicit ProgressLine(bool wanted) : m_enabled(wanted && ::isatty(STDERR_FILENO) == 1) {}

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
        // Wider than the terminal, the line would wrap and every redraw would add a line.
        QString text = parts.join(QStringLiteral(" | "));
        winsize size{};
        if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && text.size() >= size.ws_col)
            text = text.left(size.ws_col - 2) + QChar(0x2026);
        const QByteArray line = ("\r\033[K" + text).toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        m_drawn = true;
    }

private:
    bool m_enabled;
    bool m_drawn = false;
    std::map<QString, QString> m_state;
};

// How much goes to stderr besides the errors.
enum class Talk { Quiet, Normal, Verbose };

// Runs the jobs side by side in one event loop; their messages go to stderr as each ends.
// Quiet leaves out the progress line; verbose adds a line per page and per step. With
// holdFailure a failed job's last message (why it failed) is left to its result line, so
// that it is printed once.
Exit runJobs(const QList<UnitJob *> &jobs, Talk talk, bool holdFailure = false)
{
    ProgressLine progress(talk != Talk::Quiet);
    QEventLoop loop;
    int left = int(jobs.size());
    // Ctrl-C, SIGTERM and SIGHUP end every job as Stop does, each saying what its unit holds.
    SignalWatch watch([&jobs](int signalNumber) {
        for (UnitJob *job : jobs)
            job->interrupt(signalNumber);
    });
    for (UnitJob *job : jobs) {
        progress.attach(*job);
        if (talk == Talk::Verbose)
            job->onDetail = [&progress, port = job->port()](const QString &line) {
                progress.clear();
                errLine(port + QStringLiteral(": ") + line);
                progress.draw();
            };
        QObject::connect(job, &UnitJob::finished, &loop, [&, job] {
            progress.forget(job->port());
            QStringList messages = job->messages();
            if (holdFailure && job->exit() != Exit::Done && !messages.isEmpty()) messages.removeLast();
            for (const QString &m : messages)
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
    std::string password, passwordFile;
    std::vector<std::string> passwordFor;
    int timeoutMs = 3000;
    bool quiet = false, verbose = false;
    RemoteArgs remote;
};

void addDeviceOptions(CLI::App *cmd, DeviceArgs &a, const char *portHelp)
{
    // One value per --port: a word after it is the command's own argument, never a second port.
    cmd->add_option("--port", a.ports, portHelp)->required()->type_name("P")->allow_extra_args(false);
    cmd->add_option("--password", a.password,
                    "The unit's password (default: ZARVENTO_PASSWORD, else the factory password); "
                    "other users see it in ps")
        ->type_name("PW");
    cmd->add_option("--password-file", a.passwordFile, "Take the password from FILE's first line")
        ->type_name("FILE");
    cmd->add_option("--timeout-ms", a.timeoutMs, "How long to wait for each reply (default 3000)")
        ->check(CLI::Range(50, 600000))
        ->type_name("MS");
    cmd->add_flag("--quiet", a.quiet, "Print errors only (no progress line, no result lines)");
    cmd->add_flag("--verbose", a.verbose, "Print each page and step, and the traffic log, on stderr");
    addRemoteOptions(cmd, a.remote);
}

// The first line of a password file, its line end stripped; "" and why in error.
QString readPasswordFile(const QString &path, QString &error)
{
    struct stat st
    {
    };
    // A pipe (as from <(...)) is fine; a folder or a device is not.
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        error = QStringLiteral("%1: %2").arg(path, inputFileProblem(path));
    else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode))
        error = QStringLiteral("%1: %2").arg(path, inputFileProblem(path));
    if (!error.isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    QByteArray line = file.readLine(4096);
    if (line.endsWith('\n')) line.chop(1);
    if (line.endsWith('\r')) line.chop(1);
    return QString::fromUtf8(line);
}

// "" when the password can be the unit's: the unit compares exactly 4 characters.
QString passwordProblem(const QString &password, const QString &source)
{
    if (password.size() == 4) return {};
    return QStringLiteral("the password from %1 has %2 character%3; the unit's password has exactly 4")
        .arg(source)
        .arg(password.size())
        .arg(password.size() == 1 ? QString() : QStringLiteral("s"));
}

// Reads an area back after it was written and compares it byte for byte with the pages the
// save actually sent.
void addVerify(UnitJob &job, Area area)
{
    job.addRead(area);
    job.addCheck(
        [&job, area] {
            const QStringList lines = verifyDifferences(area, job.pagesSaved(area), job.pagesRead(area));
            job.setDifferences(int(lines.size()));
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
        },
        QStringLiteral("verify ") + areaName(area), area);
}

// "settings written", naming the items the write changed when they are known.
void addWritten(UnitJob &job, Area area)
{
    job.addCheck([&job, area] {
        QString line = areaName(area) + QStringLiteral(" written");
        if (area == Area::Settings && job.itemsChangedKnown)
            line += job.itemsChanged.isEmpty()
                        ? QStringLiteral(" (no item changed)")
                        : QStringLiteral(" (item%1 %2 changed)")
                              .arg(job.itemsChanged.size() == 1 ? QString() : QStringLiteral("s"),
                                   rowList(job.itemsChanged));
        job.done << line;
    });
}

// Loads an area's file into its table through the checks Save makes: "" or the message.
QString loadInto(Area area, const InputFile &in, SettingsModel &settings, NumbersModel &numbers, bool quiet,
                 bool acceptNumberCells = true)
{
    if (!in.error().isEmpty()) return in.error();
    const LoadOptions options{in.format(), acceptNumberCells};
    if (area == Area::Settings) return in.named(loadSettings(in.path(), settings, options));
    // A warning does not stop the run: it goes to stderr, naming the file.
    QString warning;
    const QString error = in.named(loadNumbers(in.path(), numbers, &warning, options));
    if (error.isEmpty() && !warning.isEmpty() && !quiet)
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

// --dry-run, after the area was read: prints what writing the table, as it is then, would
// change on the unit.
void addPreview(UnitJob &job, Area area, bool namePort)
{
    job.addCheck([&job, area, namePort] {
        const QList<PageBytes> sent =
            area == Area::Settings ? settingsPages(job.settings()) : numbersPages(job.numbers());
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
    if (path == QLatin1String("-")) return {};
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return QStringLiteral("%1: the folder %2 does not exist").arg(path, folder.filePath());
    if (!folder.isDir()) return QStringLiteral("%1: %2 is not a folder").arg(path, folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("%1: the folder %2 cannot be written").arg(path, folder.filePath());
    if (const QString why = reportFolderProblem(folder.filePath()); !why.isEmpty())
        return QStringLiteral("%1: the folder %2 cannot be written: %3").arg(path, folder.filePath(), why);
    if (file.exists() && (!file.isFile() || !file.isWritable()))
        return QStringLiteral("%1: cannot be written over").arg(path);
    return {};
}

// Writes bytes to the file, or to standard output for "-": "" or why not.
QString writeOutput(const QString &path, const QByteArray &bytes)
{
    if (path == QLatin1String("-")) return out(bytes) ? QString() : QStringLiteral("standard output");
    return ExportFolder::writeFile(path, bytes);
}

// A file name made of a unit's identity: what a file system and a shell take without quotes.
QString fileNamePart(const QString &text)
{
    QString s;
    for (const QChar c : text)
        s += c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.' ? c : u'_';
    while (s.startsWith(u'.'))
        s.remove(0, 1);
    return s.isEmpty() ? QStringLiteral("unit") : s;
}

// The newest file in folder whose name starts with prefix and ends in one of the suffixes.
QString newestFile(const QDir &folder, const QString &prefix, const QStringList &suffixes)
{
    QStringList patterns;
    for (const QString &suffix : suffixes)
        patterns << prefix + QStringLiteral("*.") + suffix;
    // The names end in the time they were written, so the last by name is the newest.
    const QStringList names = folder.entryList(patterns, QDir::Files, QDir::Name);
    return names.isEmpty() ? QString() : folder.filePath(names.last());
}

struct Commands
{
    CLI::App app{"Reads, writes, compares and provisions Zarvento GSM relay units over their serial port.",
                 "zarvento-cli"};
    DeviceArgs dev;
    std::string file, output, profile, numbersFile, report, format, folder;
    bool json = false, verify = false, yes = false, dryRun = false, acceptNumberCells = false;
    bool setPassword = false, setSimNumber = false;

    CLI::App *ports, *identify, *settingsRead, *settingsWrite, *settingsDiff, *numbersRead, *numbersWrite,
        *numbersDiff, *historyRead, *historyDelete, *provision, *backup, *restore, *audit;
    AuditArgs auditArgs;
    ArchiveCommands archive; // history archive, expiring windows, names

    // The password for each port as given, and for any other.
    QString password;
    std::map<QString, QString> passwords;

    Commands()
    {
        app.footer(kExitCodes);
        app.require_subcommand(1);
        app.set_version_flag("--version", std::string(ZC_VERSION_TEXT));
        const char *onePort =
            "The unit's port: a device path, a name that 'ports' lists, serial:NUMBER (its USB serial), "
            "or a network serial server as socket://HOST:PORT or rfc2217://HOST:PORT (+tls: socket+tls://…)";
        const char *manyPorts = "A unit's port, as for the other commands; give --port once per unit";

        ports = app.add_subcommand("ports", "List the ports the window would offer, one per line");
        ports->add_flag("--json", json, "Print them as JSON");

        identify = app.add_subcommand("identify", "Print the unit's SIM number and its port's USB serial");
        addDeviceOptions(identify, dev, onePort);
        identify->add_flag("--json", json, "Print them as JSON");

        CLI::App *settings = app.add_subcommand("settings", "Read, write or compare the unit's settings");
        settings->require_subcommand(1);
        settingsRead = settings->add_subcommand("read", "Read the settings (JSON on stdout without -o)");
        addDeviceOptions(settingsRead, dev, onePort);
        settingsRead
            ->add_option("-o,--output", output,
                         "Write FILE.xlsx (the profile workbook) or FILE.json; - for stdout")
            ->type_name("FILE");
        addFormatOption(settingsRead, "The type to write to standard output (-o -)", {"json", "xlsx"});
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
        settingsDiff->add_flag("--json", json, "Print the changes as JSON");

        CLI::App *numbers =
            app.add_subcommand("numbers", "Read, write or compare the authorized number list");
        numbers->require_subcommand(1);
        numbersRead = numbers->add_subcommand("read", "Read the list (JSON on stdout without -o)");
        addDeviceOptions(numbersRead, dev, onePort);
        numbersRead
            ->add_option("-o,--output", output,
                         "Write FILE.xlsx (list workbook), FILE.csv or FILE.json; - for stdout")
            ->type_name("FILE");
        addFormatOption(numbersRead, "The type to write to standard output (-o -)", {"json", "csv", "xlsx"});
        numbersWrite =
            numbers->add_subcommand("write", "Write a list workbook, list CSV or JSON to the unit");
        numbersWrite->add_option("FILE", file, "List .xlsx/.ods/.xls, .csv or .json, or - for stdin")
            ->required();
        addDeviceOptions(numbersWrite, dev, onePort);
        numbersWrite->add_flag("--verify", verify, "Read the list back and compare byte for byte");
        addInputOptions(numbersWrite);
        numbersWrite->add_flag("--yes", yes,
                               "Confirm removing numbers the unit holds (without it such a write is refused, "
                               "exit 2), or writing a list that holds no numbers");
        numbersDiff = numbers->add_subcommand("diff", "Show row by row what writing FILE would change");
        numbersDiff->add_option("FILE", file, "List .xlsx/.ods/.xls, .csv or .json, or - for stdin")
            ->required();
        addFormatOption(numbersDiff);
        addDeviceOptions(numbersDiff, dev, onePort);
        numbersDiff->add_flag("--json", json, "Print the changes as JSON");

        CLI::App *history = app.add_subcommand("history", "Read or delete the unit's event log");
        history->require_subcommand(1);
        historyRead = history->add_subcommand("read", "Read the log (JSON on stdout without -o)");
        addDeviceOptions(historyRead, dev, onePort);
        historyRead->add_option("-o,--output", output, "Write FILE.xlsx, FILE.csv or FILE.json; - for stdout")
            ->type_name("FILE");
        addFormatOption(historyRead, "The type to write to standard output (-o -)", {"json", "csv", "xlsx"});
        historyDelete = history->add_subcommand("delete", "Delete the whole log on the unit");
        addDeviceOptions(historyDelete, dev, onePort);
        historyDelete->add_flag("--yes", yes, "Confirm the delete (without it nothing is done, exit 2)");

        provision = app.add_subcommand("provision", "Write a profile and/or a list to several units at once");
        addDeviceOptions(provision, dev, manyPorts);
        provision
            ->add_option("--profile", profile, "Settings profile .xlsx/.ods/.xls or .json, or - for stdin")
            ->type_name("FILE");
        provision
            ->add_option("--numbers", numbersFile,
                         "Number list .xlsx/.ods/.xls, .csv or .json, or - for stdin")
            ->type_name("FILE");
        addUnitWriteOptions(provision);
        provision->add_flag("--set-password", setPassword,
                            "Write the profile's password (item 1) too; without it each unit keeps its own");
        provision->add_flag(
            "--set-sim-number", setSimNumber,
            "Write the profile's SIM number (item 2) too; without it each unit keeps its own");

        restore = app.add_subcommand("restore", "Write a backup folder's profile and list back to units");
        restore->add_option("FOLDER", folder, "A folder that backup wrote")->required();
        addDeviceOptions(restore, dev, manyPorts);
        addUnitWriteOptions(restore);

        backup = app.add_subcommand("backup", "Save settings profile, list workbook and history CSV in DIR");
        addDeviceOptions(backup, dev, manyPorts);
        backup
            ->add_option("-o,--output", output,
                         "The folder to write into (created when missing); each unit's files go into a new "
                         "folder named by the unit and the time")
            ->required()
            ->type_name("DIR");
        addPasswordFor(backup);

        archive.add({history, historyRead, historyDelete, numbers, numbersRead, numbersDiff, &output, &format,
                     &file, &json, &yes, &dryRun, &verify, &dev.quiet,
                     [this, onePort](CLI::App *cmd) { addDeviceOptions(cmd, dev, onePort); }});

        audit = addAuditCommand(app, auditArgs);
        addDeviceOptions(audit, dev, manyPorts);
        audit->get_option("--port")->required(false); // a backup folder or files need no unit
        addPasswordFor(audit);
    }

    AuditHost auditHost()
    {
        return {dev.ports,
                dev.quiet,
                dev.verbose,
                [this] {
                    const QString e = choosePasswords();
                    return e.isEmpty() ? remoteProblem(dev.ports, dev.remote) : e;
                },
                [this](const std::string &p) { return jobOptions(p); },
                [this](const QList<UnitJob *> &jobs) { return runJobs(jobs, talk()); },
                usageError,
                out,
                errLine,
                reportProblem,
                writeOutput};
    }

    Talk talk() const { return dev.quiet ? Talk::Quiet : dev.verbose ? Talk::Verbose : Talk::Normal; }

    UnitJob::Options jobOptions(const std::string &port) const
    {
        UnitJob::Options o;
        o.port = q(port);
        const auto it = passwords.find(o.port);
        o.password = it != passwords.end() ? it->second : password;
        o.replyTimeoutMs = dev.timeoutMs;
        o.tls = dev.remote.files();
        return o;
    }

    // The steps that write the area's table to the job's unit: save it, and read it back
    // with --verify; with --dry-run, read the unit (unless readDone: an earlier step read
    // it) and print what writing would change. load, when given, puts the file's table
    // into the job's first: a read of the unit decodes into that same table.
    void addWriteSteps(UnitJob &job, Area area, bool namePort, bool readDone = false,
                       const std::function<void()> &load = {}) const
    {
        if (dryRun && !readDone) job.addRead(area);
        if (load) job.addCheck(load);
        if (dryRun) {
            addPreview(job, area, namePort);
            return;
        }
        job.addSave(area);
        addWritten(job, area);
        if (verify) addVerify(job, area);
    }

    void addFormatOption(CLI::App *cmd, const char *help = "The input file's type (needed for FILE -)",
                         const std::vector<std::string> &types = {"json", "csv", "xlsx", "ods", "xls"})
    {
        std::string names;
        for (const std::string &t : types)
            names += (names.empty() ? "" : "|") + t;
        cmd->add_option("--format", format, help)->check(CLI::IsMember(types))->type_name(names);
    }
    void addInputOptions(CLI::App *cmd)
    {
        addFormatOption(cmd);
        cmd->add_flag("--dry-run", dryRun, "Show what writing would change on each unit, and write nothing");
        if (cmd != numbersWrite)
            cmd->add_flag(
                "--accept-number-cells", acceptNumberCells,
                "Write a profile whose password or SIM number is a number cell (a leading 0 may be lost)");
    }
    void addPasswordFor(CLI::App *cmd)
    {
        cmd->add_option("--password-for", dev.passwordFor,
                        "The password of one unit, from FILE's first line; PORT as given to --port "
                        "(split at the first =)")
            ->type_name("PORT=FILE")
            ->allow_extra_args(false);
    }
    void addUnitWriteOptions(CLI::App *cmd)
    {
        addPasswordFor(cmd);
        cmd->add_flag("--verify", verify, "Read back what was written and compare byte for byte");
        cmd->add_option("--report", report, "Write a JSON report per unit to FILE.json; - for stdout")
            ->type_name("FILE");
        if (cmd == provision)
            addInputOptions(cmd);
        else
            cmd->add_flag("--dry-run", dryRun,
                          "Show what writing would change on each unit, and write nothing");
        cmd->add_flag("--yes", yes,
                      cmd == restore ? "Confirm restoring onto a unit whose SIM number or USB serial differs "
                                       "from the backup's, or writing a list that holds no numbers"
                                     : "Confirm writing a list that holds no numbers (it empties each unit's "
                                       "list)");
    }

    QString choosePasswords();
    Exit runPorts();
    Exit runIdentify();
    Exit runRead(Area area);
    Exit runWrite(Area area);
    Exit runDiff(Area area);
    Exit runDelete();
    Exit runUnits(const QString &command, const QString &profilePath, const QString &numbersPath,
                  std::optional<BackupIdentity> backup = {});
    Exit runProvision();
    Exit runRestore();
    Exit runBackup();
    Exit writeBackup(UnitJob &job, const QString &dir, const QDateTime &now);
    QString portsGivenOnce() const;
    Exit dispatch();
};

// The password for every unit: --password, --password-file or ZARVENTO_PASSWORD (else the
// factory password), and per port --password-for. "" or why not.
QString Commands::choosePasswords()
{
    if (!dev.password.empty() && !dev.passwordFile.empty())
        return QStringLiteral("give --password or --password-file, not both");
    QString source;
    if (!dev.password.empty()) {
        password = q(dev.password);
        source = QStringLiteral("--password");
    } else if (!dev.passwordFile.empty()) {
        QString error;
        password = readPasswordFile(q(dev.passwordFile), error);
        if (!error.isEmpty()) return QStringLiteral("--password-file ") + error;
        source = q(dev.passwordFile);
    } else if (const QByteArray env = qgetenv("ZARVENTO_PASSWORD"); !env.isEmpty()) {
        password = QString::fromLocal8Bit(env);
        source = QStringLiteral("ZARVENTO_PASSWORD");
    } else {
        password = QString::fromUtf8(SettingsItems::find(1)->content);
    }
    if (!source.isEmpty())
        if (const QString e = passwordProblem(password, source); !e.isEmpty()) return e;
    for (const std::string &given : dev.passwordFor) {
        // Port names never hold "="; by-path names hold ":", so ":" is never a separator.
        const QString pair = q(given);
        const qsizetype eq = pair.indexOf(u'=');
        if (eq <= 0 || eq == pair.size() - 1)
            return QStringLiteral("--password-for needs PORT=FILE, not '%1'").arg(pair);
        const QString port = pair.left(eq), path = pair.mid(eq + 1);
        if (std::find(dev.ports.begin(), dev.ports.end(), port.toStdString()) == dev.ports.end())
            return QStringLiteral("--password-for names the port %1, which no --port gives").arg(port);
        if (passwords.count(port)) return QStringLiteral("--password-for gives the port %1 twice").arg(port);
        QString error;
        const QString pw = readPasswordFile(path, error);
        if (!error.isEmpty()) return QStringLiteral("--password-for ") + error;
        if (const QString e = passwordProblem(pw, path); !e.isEmpty()) return e;
        passwords[port] = pw;
    }
    return {};
}

Exit Commands::runPorts()
{
    const QList<PortName> list = listPorts();
    if (json) {
        QJsonArray a;
        const auto orNull = [](const QString &s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
        for (const PortName &p : list)
            a.append(QJsonObject{{QStringLiteral("name"), p.name},
                                 {QStringLiteral("path"), p.path},
                                 {QStringLiteral("usb_serial"), orNull(p.usbSerial)},
                                 {QStringLiteral("vid_pid"), orNull(p.vidPid)},
                                 {QStringLiteral("by_id"), orNull(p.byId)}});
        QJsonObject top = JsonEnvelope::document(QStringLiteral("ports"));
        top.insert(QStringLiteral("ports"), a);
        return out(QJsonDocument(top).toJson(QJsonDocument::Indented)) ? Exit::Done : Exit::Usage;
    }
    // Name, path, USB serial, VID:PID and by-id link, tab-separated; "-" where unknown.
    const auto field = [](const QString &s) { return s.isEmpty() ? QStringLiteral("-") : s; };
    for (const PortName &p : list)
        if (!outLine(
                QStringList{p.name, p.path, field(p.usbSerial), field(p.vidPid), field(p.byId)}.join(u'\t')))
            return Exit::Usage;
    return Exit::Done;
}

Exit Commands::runIdentify()
{
    UnitJob job(jobOptions(dev.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(Area::Settings);
    const Exit e = runJobs({&job}, talk());
    if (e != Exit::Done) return e;
    const QString sim = job.settings().content(2).trimmed();
    const QString serial = job.resolved().usbSerial;
    if (json) {
        QJsonObject top = JsonEnvelope::document(QStringLiteral("identify"));
        top.insert(QStringLiteral("port"), job.port());
        top.insert(QStringLiteral("path"), job.resolved().path);
        top.insert(QStringLiteral("sim_number"), sim.isEmpty() ? QJsonValue() : QJsonValue(sim));
        top.insert(QStringLiteral("usb_serial"), serial.isEmpty() ? QJsonValue() : QJsonValue(serial));
        return out(QJsonDocument(top).toJson(QJsonDocument::Indented)) ? Exit::Done : Exit::Usage;
    }
    const bool ok =
        outLine(QStringLiteral("SIM number: ") +
                (sim.isEmpty() ? QStringLiteral("not set (settings item 2 is empty)") : sim)) &&
        outLine(QStringLiteral("USB serial: ") +
                (serial.isEmpty() ? QStringLiteral("none known for %1").arg(job.resolved().path) : serial));
    return ok ? Exit::Done : Exit::Usage;
}

Exit Commands::runRead(Area area)
{
    const QStringList types = area == Area::Settings  ? settingsOutputTypes()
                              : area == Area::Numbers ? numbersOutputTypes()
                                                      : historyOutputTypes();
    // --format without -o: that type to standard output.
    if (output.empty() && !format.empty()) output = "-";
    const bool toStdout = output == "-";
    if (toStdout && format.empty())
        return usageError(QStringLiteral("-o - (standard output) needs --format %1").arg(types.join(u'|')));
    if (!toStdout && !format.empty() && QFileInfo(q(output)).suffix().toLower() != q(format))
        return usageError(
            QStringLiteral("%1: --format %2 differs from the file's suffix, which names its type")
                .arg(q(output), q(format)));
    if (!output.empty() && !toStdout)
        if (const QString e = checkOutputType(q(output), types); !e.isEmpty()) return usageError(e);
    UnitJob job(jobOptions(dev.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(area);
    const Exit e = runJobs({&job}, talk());
    if (e != Exit::Done) return e;
    if (output.empty())
        return out(area == Area::Settings  ? SettingsJson::bytes(job.settings())
                   : area == Area::Numbers ? NumbersJson::bytes(job.numbers())
                                           : HistoryJson::bytes(job.history()))
                   ? Exit::Done
                   : Exit::Usage;
    // Standard output gets the file as it would be written, through a private folder.
    QTemporaryDir temp;
    if (toStdout && !temp.isValid())
        return usageError(QStringLiteral("cannot make a temporary folder: ") + temp.errorString());
    const QString path = toStdout ? temp.filePath(QStringLiteral("out.") + q(format)) : q(output);
    const QString error = area == Area::Settings  ? saveSettings(job.settings(), path)
                          : area == Area::Numbers ? saveNumbers(job.numbers(), path)
                                                  : saveHistory(job.history(), path);
    if (!error.isEmpty()) return usageError(error);
    if (!toStdout) return Exit::Done;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return usageError(path + QStringLiteral(": ") + file.errorString());
    return out(file.readAll()) ? Exit::Done : Exit::Usage;
}

Exit Commands::runWrite(Area area)
{
    UnitJob job(jobOptions(dev.ports.front()));
    SettingsModel settingsFile;
    NumbersModel numbersFile;
    const InputFile in(q(file), q(format));
    if (const QString e = loadInto(area, in, settingsFile, numbersFile, dev.quiet, acceptNumberCells);
        !e.isEmpty())
        return usageError(e);
    if (area == Area::Numbers && !yes && !dryRun && !holdsNumbers(numbersFile))
        return usageError(emptyListRefusal(q(file)));
    const std::function<void()> load = [&] {
        if (area == Area::Settings)
            copyTable(settingsFile, job.settings());
        else
            copyTable(numbersFile, job.numbers());
    };
    job.addOpenAndLogIn();
    // Numbers the unit holds are removed only when confirmed: the unit's list is read first.
    const bool checkRemovals = area == Area::Numbers && !yes && !dryRun;
    if (checkRemovals) {
        job.addRead(Area::Numbers);
        job.addCheck(load);
        addRemovalCheck(job, file == "-" ? QStringLiteral("standard input") : q(file), false);
    }
    addWriteSteps(job, area, false, checkRemovals, load);
    return runJobs({&job}, talk());
}

Exit Commands::runDiff(Area area)
{
    SettingsModel settingsFile;
    NumbersModel numbersFile;
    const InputFile in(q(file), q(format));
    if (const QString e = loadInto(area, in, settingsFile, numbersFile, dev.quiet); !e.isEmpty())
        return usageError(e);
    UnitJob job(jobOptions(dev.ports.front()));
    job.addOpenAndLogIn();
    job.addRead(area);
    const Exit e = runJobs({&job}, talk());
    if (e != Exit::Done) return e;
    const QList<PageBytes> written =
        area == Area::Settings ? settingsPages(settingsFile) : numbersPages(numbersFile);
    const QStringList lines = area == Area::Settings ? settingsChanges(job.pagesRead(area), written)
                                                     : numbersChanges(job.pagesRead(area), written);
    if (json) {
        if (!out(diffJson(area, job.port(), job.pagesRead(area), written))) return Exit::Usage;
    } else {
        for (const QString &line : lines)
            if (!outLine(line)) return Exit::Usage;
    }
    return lines.isEmpty() ? Exit::Done : Exit::Unit;
}

Exit Commands::runDelete()
{
    if (!yes)
        return usageError(
            QStringLiteral("history delete removes the whole log from the unit; add --yes to do it"));
    UnitJob::Options o = jobOptions(dev.ports.front());
    o.answerYes = true;
    UnitJob job(o);
    job.addOpenAndLogIn();
    job.addDeleteHistory();
    return runJobs({&job}, talk());
}

// provision and restore: the profile and/or the list written to every unit at once, a
// result line per unit and the report.
Exit Commands::runUnits(const QString &command, const QString &profilePath, const QString &numbersPath,
                        std::optional<BackupIdentity> backup)
{
    if (const QString e = portsGivenOnce(); !e.isEmpty()) return usageError(e);
    if (profilePath == QLatin1String("-") && numbersPath == QLatin1String("-"))
        return usageError(QStringLiteral("standard input (-) can give one of --profile and --numbers"));
    // Every file, every value and the report's folder are checked before any unit is opened:
    // exit 2 means that nothing was sent to any unit.
    const InputFile profileIn(profilePath, q(format)), numbersIn(numbersPath, q(format));
    SettingsModel s;
    NumbersModel n;
    {
        if (!profilePath.isEmpty())
            if (const QString e = loadInto(Area::Settings, profileIn, s, n, dev.quiet, acceptNumberCells);
                !e.isEmpty())
                return usageError(e);
        if (!numbersPath.isEmpty()) {
            if (const QString e = loadInto(Area::Numbers, numbersIn, s, n, dev.quiet); !e.isEmpty())
                return usageError(e);
            if (!yes && !dryRun && !holdsNumbers(n)) return usageError(emptyListRefusal(numbersPath));
        }
        if (!report.empty())
            if (const QString e = reportProblem(q(report)); !e.isEmpty()) return usageError(e);
        // A backup without its record is known by the SIM number in its profile.
        if (backup && !backup->recorded && !profilePath.isEmpty())
            backup->simNumber = s.content(kSimNumberItem).trimmed();
    }
    std::vector<std::unique_ptr<UnitJob>> jobs;
    QList<UnitJob *> list;
    for (const std::string &p : dev.ports) {
        auto job = std::make_unique<UnitJob>(jobOptions(p));
        job->addOpenAndLogIn();
        // The unit's settings are read first: they tell whose unit it is, and what the
        // profile changes on it.
        const bool readSettings = !profilePath.isEmpty() || backup;
        if (readSettings) job->addRead(Area::Settings);
        if (backup) addIdentityCheck(*job, *backup, yes, dryRun);
        // A restore writes the backup's own identity back; a profile keeps the unit's.
        // The files' tables go into the job's after the unit's were read into them.
        UnitJob &j = *job;
        if (!profilePath.isEmpty()) {
            job->addCheck([&s, &j] { copyTable(s, j.settings()); });
            addKeepIdentity(*job, backup || setPassword, backup || setSimNumber);
            addWriteSteps(*job, Area::Settings, true, readSettings);
        }
        if (!numbersPath.isEmpty())
            addWriteSteps(*job, Area::Numbers, true, false, [&n, &j] { copyTable(n, j.numbers()); });
        list << job.get();
        jobs.push_back(std::move(job));
    }
    Exit worst = runJobs(list, talk(), true);

    // With the report on standard output, the result lines go to stderr.
    const bool reportOut = report == "-";
    for (UnitJob *job : list) {
        const bool ok = job->exit() == Exit::Done;
        if (ok && dev.quiet) continue;
        const QStringList messages = job->messages();
        QString line =
            ok ? QStringLiteral("%1: ok: %2")
                     .arg(job->port(), job->done.isEmpty() ? QStringLiteral("nothing written (--dry-run)")
                                                           : job->done.join(QStringLiteral(", ")))
               : QStringLiteral("%1: failed (exit %2): %3")
                     .arg(job->port())
                     .arg(int(job->exit()))
                     .arg(messages.isEmpty() ? QString() : messages.last().mid(job->port().size() + 2));
        // After the login, an area whose save never ran is named; before it, the line
        // already says that nothing was written.
        const QList<StepRecord> &steps = job->records();
        if (!steps.isEmpty() && steps.first().result == StepRecord::Result::Completed)
            for (const QString &area : notWritten(*job))
                line += QStringLiteral("; the %1 %2 not written")
                            .arg(area, area == areaName(Area::Settings) ? QStringLiteral("were")
                                                                        : QStringLiteral("was"));
        if (reportOut || (!ok && dev.quiet))
            errLine(line);
        else
            outLine(line);
    }
    if (!report.empty()) {
        const QString e = writeOutput(q(report), runReport(command, list, verify));
        if (!e.isEmpty()) worst = worse(worst, reportLost(q(report), e));
    }
    return worst;
}

// "" when no unit is given twice (under any of its names), else which one is.
QString Commands::portsGivenOnce() const
{
    QSet<QString> seen;
    for (const std::string &p : dev.ports) {
        const ResolvedPort port = resolvePort(q(p));
        // A serial number that names no port, or several, is said when its unit is opened.
        const QString path = port.error.isEmpty() ? QFileInfo(port.path).absoluteFilePath() : q(p);
        if (seen.contains(path)) return QStringLiteral("the port %1 is given twice").arg(q(p));
        seen.insert(path);
    }
    return {};
}

Exit Commands::runProvision()
{
    if (profile.empty() && numbersFile.empty())
        return usageError(QStringLiteral("provision needs --profile FILE, --numbers FILE or both"));
    return runUnits(QStringLiteral("provision"), q(profile), q(numbersFile));
}

Exit Commands::runRestore()
{
    const QDir dir(q(folder));
    if (!dir.exists()) return usageError(QStringLiteral("%1: no such folder").arg(q(folder)));
    // The window's names, as backup writes them; the newest when a folder holds several.
    const QStringList workbooks{QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("xls")};
    const QString profilePath = newestFile(dir, QStringLiteral("basicinf_R"), workbooks);
    const QString numbersPath = newestFile(dir, QStringLiteral("telinf_R"), workbooks);
    if (profilePath.isEmpty() && numbersPath.isEmpty())
        return usageError(QStringLiteral("%1 holds no settings profile (basicinf_R…) and no list workbook "
                                         "(telinf_R…)")
                              .arg(q(folder)));
    BackupIdentity identity;
    if (const QString e = readBackupIdentity(dir.path(), identity, identity.recorded); !e.isEmpty())
        return usageError(e);
    if (!dev.quiet)
        for (const QString &path : {profilePath, numbersPath})
            if (!path.isEmpty()) errLine(QStringLiteral("zarvento-cli: restoring ") + path);
    return runUnits(QStringLiteral("restore"), profilePath, numbersPath, identity);
}

Exit Commands::runBackup()
{
    const QString dir = q(output);
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isWritable())
        return usageError(QStringLiteral("%1: cannot write to this folder").arg(dir));
    if (const QString e = portsGivenOnce(); !e.isEmpty()) return usageError(e);
    std::vector<std::unique_ptr<UnitJob>> jobs;
    QList<UnitJob *> list;
    for (const std::string &p : dev.ports) {
        auto job = std::make_unique<UnitJob>(jobOptions(p));
        job->addOpenAndLogIn();
        job->addRead(Area::Settings);
        job->addRead(Area::Numbers);
        job->addRead(Area::History);
        list << job.get();
        jobs.push_back(std::move(job));
    }
    Exit result = runJobs(list, talk());
    // One time for the run: units backed up together carry the same time.
    const QDateTime now = QDateTime::currentDateTime();
    for (UnitJob *job : list)
        if (job->exit() == Exit::Done) result = worse(result, writeBackup(*job, dir, now));
    return result;
}

// One unit's backup: a new folder named by its SIM number (with its USB serial number when
// known), else its USB serial number, else its port, and the time (and a count when that
// name is taken: two units may share a SIM number); the window's export names inside, one
// time stamp for the three files, and backup.json saying whose it is.
Exit Commands::writeBackup(UnitJob &job, const QString &dir, const QDateTime &now)
{
    const QString sim = job.settings().content(kSimNumberItem).trimmed();
    const QString serial = job.resolved().usbSerial;
    QString unit = !sim.isEmpty() ? sim : !serial.isEmpty() ? serial : QFileInfo(job.port()).fileName();
    unit = fileNamePart(unit);
    if (!sim.isEmpty() && !serial.isEmpty()) unit += u'_' + fileNamePart(serial);
    QString folderPath;
    if (const QString e = makeNewFolder(dir, ExportFolder::stampedName(unit + u'_', now), folderPath);
        !e.isEmpty())
        return usageError(e);
    const QDir folder(folderPath);
    QString written;
    // Every file is tried; any that failed makes the backup fail.
    Exit result = Exit::Done;
    for (int i = 0; i < 4; ++i) {
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
        else if (i == 2) {
            written = folder.filePath(ExportFolder::stampedName(QStringLiteral("hisinf_CSV"), now));
            error = ExportFolder::writeFile(written, HistoryCsv::fileBytes(job.history()));
        } else {
            written = folder.filePath(QStringLiteral("backup.json"));
            error = ExportFolder::writeFile(written, backupJson(job, now));
        }
        if (!error.isEmpty())
            result = usageError(error);
        else if (!dev.quiet && !outLine(written))
            result = Exit::Usage;
    }
    return result;
}

Exit Commands::dispatch()
{
    if (ports->parsed()) return runPorts();
    if (audit->parsed()) return runAudit(auditArgs, auditHost());
    if (dev.ports.size() > 1 && !provision->parsed() && !restore->parsed() && !backup->parsed())
        return usageError(
            QStringLiteral("this command takes one --port; provision, restore and backup take several"));
    if (!dev.passwordFor.empty() && !provision->parsed() && !restore->parsed() && !backup->parsed())
        return usageError(
            QStringLiteral("--password-for is for provision, restore and backup; use --password-file"));
    if (const QString e = choosePasswords(); !e.isEmpty()) return usageError(e);
    if (const QString e = remoteProblem(dev.ports, dev.remote); !e.isEmpty()) return usageError(e);
    if (dev.quiet && dev.verbose) return usageError(QStringLiteral("give --quiet or --verbose, not both"));
    // The traffic log: every frame sent and received, as hex with a time stamp, on stderr.
    if (dev.verbose) QLoggingCategory::setFilterRules(QStringLiteral("zarvento.link.debug=true"));
    if (archive.takes())
        return archive.run({[this](const std::string &port) { return jobOptions(port); },
                            [this](const QList<UnitJob *> &jobs) { return runJobs(jobs, talk()); },
                            dev.ports});
    if (identify->parsed()) return runIdentify();
    if (settingsRead->parsed()) return runRead(Area::Settings);
    if (numbersRead->parsed()) return runRead(Area::Numbers);
    if (historyRead->parsed()) return runRead(Area::History);
    if (settingsWrite->parsed()) return runWrite(Area::Settings);
    if (numbersWrite->parsed()) return runWrite(Area::Numbers);
    if (settingsDiff->parsed()) return runDiff(Area::Settings);
    if (numbersDiff->parsed()) return runDiff(Area::Numbers);
    if (historyDelete->parsed()) return runDelete();
    if (provision->parsed()) return runProvision();
    if (restore->parsed()) return runRestore();
    if (backup->parsed()) return runBackup();
    return usageError(QStringLiteral("no command given; see --help"));
}

// The number of single-character edits (insert, delete, replace, swap two neighbours) that
// turn a into b.
int editDistance(const QString &a, const QString &b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(std::size_t(n + 1), std::vector<int>(std::size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

// The command at this level nearest to a mistyped word, when one is near enough.
QString nearestCommand(CLI::App &level, const QString &word)
{
    QString best;
    int bestDistance = 0;
    for (CLI::App *sub : level.get_subcommands({})) {
        const QString name = QString::fromStdString(sub->get_name());
        const int distance = editDistance(word.toLower(), name);
        if (best.isEmpty() || distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    return !best.isEmpty() && bestDistance <= qMax<qsizetype>(1, best.size() / 3) ? best : QString();
}

// The command words given that name no command: "" when they all do, else "foo" or
// "settings frob". Only words before the first option count. suggestion gets the nearest
// command for the word that names none, if any is near.
QString unknownCommand(CLI::App &app, int argc, char **argv, QString &suggestion)
{
    CLI::App *level = &app;
    QStringList path;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word[0] == '-' || level->get_subcommands({}).empty()) return {};
        path << QString::fromLocal8Bit(argv[i]);
        CLI::App *next = nullptr;
        for (CLI::App *sub : level->get_subcommands({}))
            if (sub->get_name() == word) next = sub;
        if (!next) {
            suggestion = nearestCommand(*level, path.last());
            return path.join(u' ');
        }
        level = next;
    }
    return {};
}

} // namespace

int run(int argc, char **argv)
{
    Commands c;
    QString suggestion;
    if (const QString unknown = unknownCommand(c.app, argc, argv, suggestion); !unknown.isEmpty()) {
        errLine(QStringLiteral("zarvento-cli: unknown command '%1'").arg(unknown) +
                (suggestion.isEmpty() ? QString() : QStringLiteral("; did you mean %1?").arg(suggestion)));
        errLine(QStringLiteral("Run 'zarvento-cli --help' for the commands and options."));
        return int(Exit::Usage);
    }
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
