// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/units.h"

#include "cli/command_output.h"
#include "cli/input_file.h"
#include "link/signal_watch.h"
#include "settings/settings_items.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zc::cli {

namespace {

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

} // namespace

void Units::addOptions(CLI::App *cmd, const Declaration &declaration)
{
    const char *portHelp =
        declaration.ports == Ports::Several
            ? "A unit's port, as for the other commands; give --port once per unit"
            : "The unit's port: a device path, a name that 'ports' lists, serial:NUMBER (its USB serial), "
              "or a network serial server as socket://HOST:PORT or rfc2217://HOST:PORT (+tls: "
              "socket+tls://…)";
    // One value per --port: a word after it is the command's own argument, never a second port.
    cmd->add_option("--port", m_args.ports, portHelp)
        ->required(declaration.portRequired)
        ->type_name("P")
        ->allow_extra_args(false);
    cmd->add_option("--password", m_args.password,
                    "The unit's password (default: ZARVENTO_PASSWORD, else the factory password); "
                    "other users see it in ps")
        ->type_name("PW");
    cmd->add_option("--password-file", m_args.passwordFile, "Take the password from FILE's first line")
        ->type_name("FILE");
    cmd->add_option("--timeout-ms", m_args.timeoutMs, "How long to wait for each reply (default 3000)")
        ->check(CLI::Range(50, 600000))
        ->type_name("MS");
    cmd->add_flag("--quiet", m_args.quiet, "Print errors only (no progress line, no result lines)");
    cmd->add_flag("--verbose", m_args.verbose, "Print each page and step, and the traffic log, on stderr");
    addRemoteOptions(cmd, m_args.remote);
}

void Units::addPasswordFor(CLI::App *cmd)
{
    cmd->add_option("--password-for", m_args.passwordFor,
                    "The password of one unit, from FILE's first line; PORT as given to --port "
                    "(split at the first =)")
        ->type_name("PORT=FILE")
        ->allow_extra_args(false);
}

QString Units::prepare()
{
    if (const QString e = choosePasswords(); !e.isEmpty()) return e;
    if (const QString e = remoteProblem(m_args.ports, m_args.remote); !e.isEmpty()) return e;
    if (m_args.quiet && m_args.verbose) return QStringLiteral("give --quiet or --verbose, not both");
    // The traffic log: every frame sent and received, as hex with a time stamp, on stderr.
    if (m_args.verbose) QLoggingCategory::setFilterRules(QStringLiteral("zarvento.link.debug=true"));
    return {};
}

// The password for every unit: --password, --password-file or ZARVENTO_PASSWORD (else the
// factory password), and per port --password-for. "" or why not.
QString Units::choosePasswords()
{
    if (!m_args.password.empty() && !m_args.passwordFile.empty())
        return QStringLiteral("give --password or --password-file, not both");
    QString source;
    if (!m_args.password.empty()) {
        m_password = q(m_args.password);
        source = QStringLiteral("--password");
    } else if (!m_args.passwordFile.empty()) {
        QString error;
        m_password = readPasswordFile(q(m_args.passwordFile), error);
        if (!error.isEmpty()) return QStringLiteral("--password-file ") + error;
        source = q(m_args.passwordFile);
    } else if (const QByteArray env = qgetenv("ZARVENTO_PASSWORD"); !env.isEmpty()) {
        m_password = QString::fromLocal8Bit(env);
        source = QStringLiteral("ZARVENTO_PASSWORD");
    } else {
        m_password = QString::fromUtf8(SettingsItems::find(1)->content);
    }
    if (!source.isEmpty())
        if (const QString e = passwordProblem(m_password, source); !e.isEmpty()) return e;
    for (const std::string &given : m_args.passwordFor) {
        // Port names never hold "="; by-path names hold ":", so ":" is never a separator.
        const QString pair = q(given);
        const qsizetype eq = pair.indexOf(u'=');
        if (eq <= 0 || eq == pair.size() - 1)
            return QStringLiteral("--password-for needs PORT=FILE, not '%1'").arg(pair);
        const QString port = pair.left(eq), path = pair.mid(eq + 1);
        if (std::find(m_args.ports.begin(), m_args.ports.end(), port.toStdString()) == m_args.ports.end())
            return QStringLiteral("--password-for names the port %1, which no --port gives").arg(port);
        if (m_passwords.count(port))
            return QStringLiteral("--password-for gives the port %1 twice").arg(port);
        QString error;
        const QString pw = readPasswordFile(path, error);
        if (!error.isEmpty()) return QStringLiteral("--password-for ") + error;
        if (const QString e = passwordProblem(pw, path); !e.isEmpty()) return e;
        m_passwords[port] = pw;
    }
    return {};
}

QString Units::portsGivenOnce() const
{
    QSet<QString> seen;
    for (const std::string &p : m_args.ports) {
        const ResolvedPort port = resolvePort(q(p));
        // A serial number that names no port, or several, is said when its unit is opened.
        const QString path = port.error.isEmpty() ? QFileInfo(port.path).absoluteFilePath() : q(p);
        if (seen.contains(path)) return QStringLiteral("the port %1 is given twice").arg(q(p));
        seen.insert(path);
    }
    return {};
}

UnitJob::Options Units::jobOptions(const std::string &port) const
{
    UnitJob::Options o;
    o.port = q(port);
    const auto it = m_passwords.find(o.port);
    o.password = it != m_passwords.end() ? it->second : m_password;
    o.replyTimeoutMs = m_args.timeoutMs;
    o.tls = m_args.remote.files();
    return o;
}

Exit Units::run(const QList<UnitJob *> &jobs, bool holdFailure)
{
    ProgressLine progress(!m_args.quiet);
    QEventLoop loop;
    int left = int(jobs.size());
    // Ctrl-C, SIGTERM and SIGHUP end every job as Stop does, each saying what its unit holds.
    SignalWatch watch([&jobs](int signalNumber) {
        for (UnitJob *job : jobs)
            job->interrupt(signalNumber);
    });
    for (UnitJob *job : jobs) {
        progress.attach(*job);
        if (m_args.verbose)
            job->onDetail = [&progress, port = job->port()](const QString &line) {
                progress.clear();
                errorLine(port + QStringLiteral(": ") + line);
                progress.draw();
            };
        QObject::connect(job, &UnitJob::finished, &loop, [&, job] {
            progress.forget(job->port());
            QStringList messages = job->messages();
            if (holdFailure && job->exit() != Exit::Done && !messages.isEmpty()) messages.removeLast();
            for (const QString &m : messages)
                errorLine(m);
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

} // namespace zc::cli
