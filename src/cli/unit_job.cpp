#include "cli/unit_job.h"

#include "history/history_inf.h"
#include "history/history_model.h"
#include "link/comm.h"
#include "link/link_session.h"
#include "link/paged_transfer.h"
#include "link/reply_handler.h"
#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"
#include "settings/basic_inf.h"
#include "settings/settings_model.h"
#include "words/left_behind.h"
#include "words/link_words.h"
#include "words/port_words.h"
#include "words/reporter.h"
#include "words/save_words.h"

#include <QFileInfo>

#include <QTimer>
#include <csignal>

namespace zc::cli {

namespace {

// Records what the link tells the user and never blocks. No transfer asks a question on
// the command line: each command decides from its own options before it starts (history
// delete needs --yes); were one asked, the answer would be Cancel, never a silent yes.
class CliReporter : public Reporter
{
public:
    std::function<void(int)> onProgress;

    void setStatus(const QString &) override {}
    void setStatusDirect(const QString &) override {}
    void setProgress(int value) override
    {
        if (onProgress) onProgress(value);
    }
    // Each operation's end comes from its outcome: the window's messages are not needed.
    void messageBox(const QString &) override {}
    void messageDialog(const QString &) override {}
    bool question(const QString &) override { return false; }
    bool warningOkCancel(const QString &) override { return false; }
};

} // namespace

struct UnitJob::Link
{
    CliReporter reporter;
    // The link's facts become progress through the same words the window uses.
    LinkWords words{reporter};
    LinkSession session;
    SettingsModel settings;
    NumbersModel numbers;
    HistoryModel history;
    TBasicInf basicInf{settings};
    TtelephoneSend telephoneSend{numbers};
    THistoryInf historyInf{history};

    explicit Link(int timeoutMs) : session(&words, timeoutMs)
    {
        session.attach(basicInf);
        session.attach(telephoneSend);
        session.attach(historyInf);
    }
    Tsend_rec_command &transfer(Area area)
    {
        switch (area) {
        case Area::Settings:
            return basicInf;
        case Area::Numbers:
            return telephoneSend;
        case Area::History:
            break;
        }
        return historyInf;
    }
};

UnitJob::UnitJob(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_link(std::make_unique<Link>(options.replyTimeoutMs))
{
    // Several units share one traffic log: each line names its port as the user gave it.
    m_link->session.comm().setTrafficLabel(options.port);
    m_link->session.handler().setTrafficLabel(options.port);
    m_link->reporter.onProgress = [this](int value) {
        if (onProgress && m_stepRunning) onProgress(stepDoing(m_current.kind, m_current.area), value);
    };
    connect(&m_link->session.comm(), &TComm::OnOpenEnded, this, &UnitJob::portOpened);
    // Each operation ends once, with its outcome: that is the step's end.
    connect(&m_link->session.login(), &Tpasswordverify::done, this,
            [this](const Outcome &o) { operationDone(StepKind::LogIn, o); });
    connect(&m_link->historyInf.deleteCommand(), &Tsingalcmd::done, this,
            [this](const Outcome &o) { operationDone(StepKind::DeleteHistory, o); });
    for (Tsend_rec_command *t : {static_cast<Tsend_rec_command *>(&m_link->basicInf),
                                 static_cast<Tsend_rec_command *>(&m_link->telephoneSend),
                                 static_cast<Tsend_rec_command *>(&m_link->historyInf)}) {
        // The page as the unit sent it, before it is written into the table.
        connect(t, &Tsend_rec_command::pageArrived, this,
                [this, t](int, const PageBytes &bytes) { m_pages[int(t->area())].append(bytes); });
        connect(t, &Tsend_rec_command::done, this,
                [this](const Outcome &o) { operationDone(o.writing ? StepKind::Save : StepKind::Read, o); });
        connect(t, &Tsend_rec_command::pageRead, this, [this, t](int page, int pages) {
            if (onDetail) onDetail(pageLine(t->area(), page, pages, false));
        });
        connect(t, &Tsend_rec_command::pageSaved, this, [this, t](int page, int pages) {
            if (onDetail) onDetail(pageLine(t->area(), page, pages, true));
        });
    }
}

UnitJob::~UnitJob()
{
    // Nothing may reach this object while the session winds down.
    m_stepRunning = false;
    disconnect(&m_link->session.login(), nullptr, this, nullptr);
    disconnect(&m_link->historyInf.deleteCommand(), nullptr, this, nullptr);
    for (QObject *t :
         {static_cast<QObject *>(&m_link->basicInf), static_cast<QObject *>(&m_link->telephoneSend),
          static_cast<QObject *>(&m_link->historyInf)})
        disconnect(t, nullptr, this, nullptr);
    m_link->reporter.onProgress = {};
    // Closed while the transfers it may still end are alive.
    m_link->session.close();
}

SettingsModel &UnitJob::settings()
{
    return m_link->settings;
}
NumbersModel &UnitJob::numbers()
{
    return m_link->numbers;
}
HistoryModel &UnitJob::history()
{
    return m_link->history;
}

QList<PageBytes> UnitJob::pagesSaved(Area area) const
{
    const auto &saved = m_link->transfer(area).savedPages();
    return QList<PageBytes>(saved.begin(), saved.end());
}

void UnitJob::addOpenAndLogIn()
{
    m_steps.append({StepKind::LogIn, Area::Settings, {}, {}, {}});
}
void UnitJob::addRead(Area area)
{
    m_steps.append({StepKind::Read, area, {}, {}, {}});
}
void UnitJob::addSave(Area area)
{
    m_steps.append({StepKind::Save, area, {}, {}, {}});
}
void UnitJob::addSavePages(Area area, const QList<PageBytes> &pages, const std::vector<int> &only)
{
    m_steps.append({StepKind::Save, area, {}, only, pages});
}
void UnitJob::addDeleteHistory()
{
    m_steps.append({StepKind::DeleteHistory, Area::History, {}, {}, {}});
}
void UnitJob::addCheck(std::function<void()> check, StepKind kind, Area area)
{
    m_steps.append({kind, area, std::move(check), {}, {}});
}

void UnitJob::setDifferences(int count)
{
    if (StepRecord *r = runningRecord()) r->differences = count;
}

StepRecord *UnitJob::runningRecord()
{
    return m_runningRecord >= 0 ? &m_records[m_runningRecord] : nullptr;
}

StepRecord UnitJob::recordOf(const Step &step)
{
    StepRecord r;
    r.kind = step.kind;
    r.area = step.area;
    if (r.movesPages())
        r.plannedPages = step.pages.empty() ? areaMap(step.area).pages : int(step.pages.size());
    return r;
}

void UnitJob::start()
{
    QTimer::singleShot(0, this, &UnitJob::runNext);
}

QStringList UnitJob::messages() const
{
    QStringList out;
    for (const QString &line : m_lines)
        out << m_options.port + QStringLiteral(": ") + line;
    return out;
}

void UnitJob::sayFailure(Exit code, const QString &message)
{
    m_exit = worse(m_exit, code);
    m_lines << message;
    m_failure = message;
}

void UnitJob::fail(Exit code, const QString &message)
{
    sayFailure(code, message);
    if (StepRecord *r = runningRecord()) {
        if (r->result == StepRecord::Result::Pending) r->result = StepRecord::Result::Failed;
        if (r->message.isEmpty()) r->message = message;
    }
    if (m_stepRunning) {
        m_stepRunning = false;
        finish();
    }
}

void UnitJob::note(const QString &message)
{
    m_lines << message;
}

void UnitJob::interrupt(int signalNumber)
{
    if (m_finished) return;
    const Exit code = signalNumber == SIGTERM  ? Exit::Terminated
                      : signalNumber == SIGHUP ? Exit::HungUp
                                               : Exit::Interrupted;
    StepRecord *r = runningRecord();
    // The running step as it stands; an unlisted check has no record of its own.
    StepRecord running = r ? *r : recordOf(m_current);
    if (m_stepRunning && m_current.kind == StepKind::Save) {
        // Taken before the transfer is abandoned, while it still knows what it sent. Between
        // pages, the page concerned is the next one it would have sent.
        Outcome now = m_link->transfer(m_current.area).ifStoppedNow();
        if (now.page == 0) now.page = now.pagesDone + 1;
        running.outcome = now;
        if (r) r->outcome = now;
    }
    const QString account = interruptAccount(endedBySignal(signalNumber), m_stepRunning ? &running : nullptr);
    // The step ends here, with this account: the outcome of what is abandoned adds nothing.
    if (r) r->result = StepRecord::Result::Stopped;
    m_stepRunning = false;
    m_link->session.abandonAll();
    fail(code, account);
    finish();
}

void UnitJob::runNext()
{
    if (m_finished) return;
    if (m_exit != Exit::Done || m_next >= m_steps.size()) {
        finish();
        return;
    }
    beginStep(m_steps[m_next++]);
}

void UnitJob::beginStep(const Step &step)
{
    m_current = step;
    m_stepRunning = true;
    m_runningRecord = -1;
    if (step.kind != StepKind::Check) {
        m_records.append(recordOf(step));
        m_runningRecord = int(m_records.size()) - 1;
    }
    Link &l = *m_link;
    switch (step.kind) {
    case StepKind::LogIn: {
        m_resolved = resolvePort(m_options.port);
        if (!m_resolved.error.isEmpty()) {
            endStep(Exit::Port, QStringLiteral("cannot open the port: ") + m_resolved.error);
            return;
        }
        // The other units' jobs run while a network port waits for its server's word.
        l.session.comm().SetTlsFiles(m_options.tls);
        l.session.beginOpen(m_resolved.path);
        return;
    }
    case StepKind::Read:
        m_pages[int(step.area)].clear();
        switch (step.area) {
        case Area::Settings:
            l.basicInf.Read();
            break;
        case Area::Numbers:
            l.telephoneSend.Read();
            break;
        case Area::History:
            l.historyInf.Read();
            break;
        }
        return;
    case StepKind::Save:
        if (step.area != Area::History) {
            // The table was checked before the first frame; a refusal here says why.
            Tsend_rec_command &t = l.transfer(step.area);
            const bool started = !step.pages.empty()
                                     ? t.SavePages({step.bytes.begin(), step.bytes.end()}, step.pages)
                                 : step.area == Area::Settings ? l.basicInf.Save()
                                                               : l.telephoneSend.Save();
            if (!started)
                endStep(Exit::Usage,
                        saveNotStarted(step.area, step.area == Area::Numbers
                                                      ? SaveWords::listRefusal(l.telephoneSend, numbers())
                                                      : t.refusal()));
        } else {
            endStep(Exit::Usage, saveNotStarted(step.area, {}));
        }
        return;
    case StepKind::DeleteHistory:
        l.historyInf.DeleteAll();
        return;
    case StepKind::Verify:
    case StepKind::IdentityCheck:
    case StepKind::RemovalCheck:
    case StepKind::ArchiveHistory:
    case StepKind::Check:
        if (step.check) step.check();
        if (m_stepRunning) endStep(Exit::Done, {});
        return;
    }
}

void UnitJob::portOpened(const OpenVerdict &verdict)
{
    if (!m_stepRunning || m_current.kind != StepKind::LogIn) return;
    const QString path = m_resolved.path;
    if (!verdict.open()) {
        QString why = portAdvice(verdict.problem);
        if (why.isEmpty()) why = verdict.message;
        if (!PortAddress::looksRemote(path) && !QFileInfo::exists(path))
            why = path == m_options.port ? QStringLiteral("no such port")
                                         : QStringLiteral("no such port ") + path;
        endStep(Exit::Port, QStringLiteral("cannot open the port: ") + why);
        return;
    }
    m_link->session.login().Start(m_link->session.context(),
                                  [password = m_options.password] { return password; });
}

void UnitJob::operationDone(StepKind kind, const Outcome &o)
{
    const bool transfer = kind == StepKind::Read || kind == StepKind::Save;
    if (!m_stepRunning || m_current.kind != kind || (transfer && o.area != m_current.area)) return;
    StepRecord *r = runningRecord();
    if (!r) return;
    r->outcome = o;
    r->result = resultOf(o.kind);
    // A read that completed without every page of its area brought too little.
    if (kind == StepKind::Read && o.completed() && m_pages[int(o.area)].size() != areaMap(o.area).pages)
        r->result = StepRecord::Result::Failed;
    const Exit code = exitOf(kind, r->result);
    endStep(code, code == Exit::Done ? QString() : operationFailure(*r, m_options.replyTimeoutMs));
}

void UnitJob::endStep(Exit code, const QString &message)
{
    if (!m_stepRunning) return;
    m_stepRunning = false;
    if (StepRecord *r = runningRecord()) {
        // A step without an operation, or one that never started it, ends here.
        using R = StepRecord::Result;
        if (r->result == R::Pending) r->result = code == Exit::Done ? R::Completed : R::Failed;
        if (code != Exit::Done) r->message = message;
        if (onDetail) onDetail(stepName(r->kind, r->area) + QStringLiteral(": ") + resultName(r->result));
    }
    m_runningRecord = -1;
    // The operation has ended (its outcome says so); the job closes its port once it stops.
    if (code != Exit::Done) sayFailure(code, message);
    QTimer::singleShot(0, this, &UnitJob::runNext);
}

void UnitJob::finish()
{
    if (m_finished) return;
    m_finished = true;
    // The steps that never ran, because an earlier one failed or the job was stopped.
    for (int i = m_next; i < m_steps.size(); ++i)
        if (m_steps[i].kind != StepKind::Check) {
            StepRecord r = recordOf(m_steps[i]);
            r.result = StepRecord::Result::Skipped;
            m_records.append(r);
        }
    m_next = int(m_steps.size());
    m_runningRecord = -1;
    m_link->session.close();
    emit finished();
}

} // namespace zc::cli
