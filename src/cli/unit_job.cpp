#include "cli/unit_job.h"

#include "history/history_inf.h"
#include "history/history_model.h"
#include "link/comm.h"
#include "link/link_session.h"
#include "link/paged_transfer.h"
#include "link/port_discovery.h"
#include "link/published_devices.h"
#include "link/reply_handler.h"
#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"
#include "settings/basic_inf.h"
#include "settings/settings_codec.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"
#include "words/left_behind.h"
#include "words/link_words.h"
#include "words/port_words.h"
#include "words/reporter.h"

#include <QFileInfo>

#include <QTimer>
#include <csignal>

namespace zc::cli {

QList<PortName> listPorts()
{
    QList<PortName> out;
    for (const PortEntry &p : Trecognitionserial().discover())
        out.append({portShown(p), p.path, p.usbSerial, p.vidPid(), p.byIdPath});
    return out;
}

ResolvedPort resolvePort(const QString &port)
{
    // A network port is opened as written; its form is checked before any unit is.
    if (PortAddress::looksRemote(port)) return {port, {}, {}};
    const QList<PortName> ports = listPorts();
    static const QLatin1String kSerial("serial:");
    if (port.startsWith(kSerial)) {
        const QString number = port.mid(kSerial.size());
        QStringList matches;
        ResolvedPort found;
        for (const PortName &p : ports)
            if (!number.isEmpty() && p.usbSerial == number) {
                matches << p.path;
                found = {p.path, p.usbSerial, {}};
            }
        if (matches.size() == 1) return found;
        if (matches.isEmpty())
            return {{},
                    {},
                    QStringLiteral("no port has the USB serial number %1 ('zarvento-cli ports' lists them)")
                        .arg(number)};
        return {{},
                {},
                QStringLiteral("%1 ports have the USB serial number %2 (%3): give the port's path instead")
                    .arg(matches.size())
                    .arg(number, matches.join(QStringLiteral(", ")))};
    }
    QString path;
    if (port.contains(u'/')) {
        path = QFileInfo(port).absoluteFilePath();
    } else {
        for (const PublishedDevice &d : publishedDevices())
            if (d.name == port) path = d.path;
        for (const PortName &p : ports)
            if (path.isEmpty() && p.name == port) path = p.path;
        if (path.isEmpty()) path = QStringLiteral("/dev/") + port;
    }
    // The USB serial number of the device, whichever name it was given by.
    const QString device = QFileInfo(path).canonicalFilePath();
    for (const PortName &p : ports)
        if (!device.isEmpty() && QFileInfo(p.path).canonicalFilePath() == device && !p.usbSerial.isEmpty())
            return {path, p.usbSerial, {}};
    return {path, {}, {}};
}

namespace {

StepRecord::Result resultOf(Outcome::Kind kind)
{
    using R = StepRecord::Result;
    switch (kind) {
    case Outcome::Kind::Completed:
        return R::Completed;
    case Outcome::Kind::Refused:
        return R::Refused;
    case Outcome::Kind::TimedOut:
        return R::TimedOut;
    case Outcome::Kind::Damaged:
        return R::Damaged;
    case Outcome::Kind::PortLost:
        return R::PortLost;
    case Outcome::Kind::Stopped:
        break;
    }
    return R::Stopped;
}

// What a page of an area holds, in the words a user knows: "items 1–20", "rows 313–320".
QString pageContents(Area area, int page)
{
    if (area == Area::Settings) {
        int first = 0, last = 0;
        for (const SettingsItems::Item &item : SettingsItems::all())
            if (item.page == page) {
                if (!first) first = item.number;
                last = item.number;
            }
        return QStringLiteral("items %1–%2").arg(first).arg(last);
    }
    const int perPage = kPageSize / areaMap(area).recordSize;
    return QStringLiteral("rows %1–%2").arg((page - 1) * perPage + 1).arg(page * perPage);
}

// How much of its area a save that ended this way left on the unit.
StepRecord::Held heldAfter(const Outcome &o)
{
    if (o.completed()) return StepRecord::Held::Whole;
    return o.pagesDone > 0 || o.inFlightUnknown ? StepRecord::Held::Part : StepRecord::Held::Nothing;
}

// Records what the link tells the user, never blocks, and answers questions as the
// command's flags say.
class CliReporter : public Reporter
{
public:
    bool answerYes = false;
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
    bool question(const QString &) override { return answerYes; }
    bool warningOkCancel(const QString &) override { return answerYes; }
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
    m_link->reporter.answerYes = options.answerYes;
    // Several units share one traffic log: each line names its port as the user gave it.
    m_link->session.comm().setTrafficLabel(options.port);
    m_link->session.handler().setTrafficLabel(options.port);
    m_link->reporter.onProgress = [this](int value) {
        if (onProgress && m_stepRunning) onProgress(where(), value);
    };
    // Each operation ends once, with its outcome: that is the step's end.
    connect(&m_link->session.login(), &Tpasswordverify::done, this, &UnitJob::loginDone);
    connect(&m_link->historyInf.deleteCommand(), &Tsingalcmd::done, this, &UnitJob::deleteDone);
    for (Tsend_rec_command *t : {static_cast<Tsend_rec_command *>(&m_link->basicInf),
                                 static_cast<Tsend_rec_command *>(&m_link->telephoneSend),
                                 static_cast<Tsend_rec_command *>(&m_link->historyInf)}) {
        connect(t, &Tsend_rec_command::decoding, this, [this, t](bool on) {
            // The page as the unit sent it, before it is written into the table.
            if (on) m_pages[int(t->area())].append(t->data);
        });
        connect(t, &Tsend_rec_command::done, this, &UnitJob::transferDone);
        connect(t, &Tsend_rec_command::pageRead, this, [this, t](int page, int pages) {
            if (onDetail)
                onDetail(
                    QStringLiteral("%1 page %2 of %3 read").arg(areaName(t->area())).arg(page).arg(pages));
        });
        connect(t, &Tsend_rec_command::pageSaved, this, [this, t](int page, int pages) {
            if (onDetail)
                onDetail(
                    QStringLiteral("%1 page %2 of %3 saved").arg(areaName(t->area())).arg(page).arg(pages));
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
    m_steps.append({StepKind::OpenAndLogIn, Area::Settings, {}, {}, {}, {}});
}
void UnitJob::addRead(Area area)
{
    m_steps.append({StepKind::Read, area, {}, {}, {}, {}});
}
void UnitJob::addSave(Area area)
{
    m_steps.append({StepKind::Save, area, {}, {}, {}, {}});
}
void UnitJob::addSavePages(Area area, const QList<PageBytes> &pages, const std::vector<int> &only)
{
    m_steps.append({StepKind::Save, area, {}, {}, only, pages});
}
void UnitJob::addDeleteHistory()
{
    m_steps.append({StepKind::DeleteHistory, Area::History, {}, {}, {}, {}});
}
void UnitJob::addCheck(std::function<void()> check, const QString &name, Area area)
{
    m_steps.append({StepKind::Check, area, std::move(check), name, {}, {}});
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
    r.hasArea = step.kind == StepKind::Read || step.kind == StepKind::Save;
    r.isSave = step.kind == StepKind::Save;
    r.area = step.area;
    if (r.hasArea) r.pageCount = step.pages.empty() ? areaMap(step.area).pages : int(step.pages.size());
    switch (step.kind) {
    case StepKind::OpenAndLogIn:
        r.name = QStringLiteral("log in");
        break;
    case StepKind::Read:
        r.name = QStringLiteral("read ") + areaName(step.area);
        break;
    case StepKind::Save:
        r.name = QStringLiteral("save ") + areaName(step.area);
        break;
    case StepKind::DeleteHistory:
        r.name = QStringLiteral("delete history");
        break;
    case StepKind::Check:
        r.name = step.name;
        break;
    }
    return r;
}

QString resultName(StepRecord::Result result)
{
    using R = StepRecord::Result;
    switch (result) {
    case R::Pending:
        return QStringLiteral("pending");
    case R::Completed:
        return QStringLiteral("completed");
    case R::Refused:
        return QStringLiteral("refused");
    case R::TimedOut:
        return QStringLiteral("timed-out");
    case R::Damaged:
        return QStringLiteral("damaged");
    case R::PortLost:
        return QStringLiteral("port-lost");
    case R::Stopped:
        return QStringLiteral("stopped");
    case R::Skipped:
        return QStringLiteral("skipped");
    case R::Failed:
        break;
    }
    return QStringLiteral("failed");
}

void UnitJob::recordOutcome(const Outcome &o)
{
    StepRecord *r = runningRecord();
    if (!r) return;
    r->result = resultOf(o.kind);
    if (!r->hasArea) return;
    r->page = o.page;
    r->pagesDone = o.pagesDone;
    r->pageCount = o.pageCount > 0 ? o.pageCount : r->pageCount;
    r->pageUncertain = o.inFlightUnknown;
    if (o.writing) r->leftBehind = leftBehind(o);
    if (r->isSave) r->held = heldAfter(o);
}

void UnitJob::start()
{
    QTimer::singleShot(0, this, &UnitJob::runNext);
}

void UnitJob::fail(Exit code, const QString &message)
{
    m_exit = worse(m_exit, code);
    m_messages << m_options.port + QStringLiteral(": ") + message;
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
    m_messages << m_options.port + QStringLiteral(": ") + message;
}

void UnitJob::interrupt(int signalNumber)
{
    if (m_finished) return;
    const Exit code = signalNumber == SIGTERM  ? Exit::Terminated
                      : signalNumber == SIGHUP ? Exit::HungUp
                                               : Exit::Interrupted;
    const QString how = endedBySignal(signalNumber);
    QString account;
    if (!m_stepRunning) {
        account = QStringLiteral("%1 between steps").arg(how);
    } else if (m_current.kind == StepKind::Save) {
        // Said before the transfer is abandoned, while it still knows what it sent.
        const Outcome now = m_link->transfer(m_current.area).ifStoppedNow();
        const QString behind = leftBehind(now);
        if (StepRecord *r = runningRecord()) {
            r->pagesDone = now.pagesDone;
            r->pageUncertain = now.inFlightUnknown;
            r->page = now.page > 0 ? now.page : now.pagesDone + 1;
            r->leftBehind = behind;
            r->held = heldAfter(now);
        }
        account = QStringLiteral("%1 while saving the %2: %3")
                      .arg(how, areaName(m_current.area),
                           behind.isEmpty() ? QStringLiteral("nothing of it was sent") : behind);
    } else if (m_current.kind == StepKind::DeleteHistory) {
        account =
            QStringLiteral("%1 while deleting the history: it is unknown whether the unit deleted its log: "
                           "read the history to see.")
                .arg(how);
    } else {
        account = QStringLiteral("%1 while %2; nothing was being written").arg(how, where());
    }
    // The step ends here, with this account: the outcome of what is abandoned adds nothing.
    if (StepRecord *r = runningRecord()) r->result = StepRecord::Result::Stopped;
    m_stepRunning = false;
    m_link->session.abandonAll();
    fail(code, account);
    finish();
}

QString UnitJob::where() const
{
    switch (m_current.kind) {
    case StepKind::OpenAndLogIn:
        return QStringLiteral("logging in");
    case StepKind::Read:
        return QStringLiteral("reading ") + areaName(m_current.area);
    case StepKind::Save:
        return QStringLiteral("saving ") + areaName(m_current.area);
    case StepKind::DeleteHistory:
        return QStringLiteral("deleting the history");
    case StepKind::Check:
        break;
    }
    return QStringLiteral("checking");
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
    if (step.kind != StepKind::Check || !step.name.isEmpty()) {
        m_records.append(recordOf(step));
        m_runningRecord = int(m_records.size()) - 1;
    }
    Link &l = *m_link;
    switch (step.kind) {
    case StepKind::OpenAndLogIn: {
        m_resolved = resolvePort(m_options.port);
        if (!m_resolved.error.isEmpty()) {
            endStep(Exit::Port, QStringLiteral("cannot open the port: ") + m_resolved.error);
            return;
        }
        const QString path = m_resolved.path;
        try {
            l.session.comm().SetTlsFiles(m_options.tls);
            l.session.open(path);
        } catch (const ECommsError &e) {
            QString why = portAdvice(e);
            if (why.isEmpty()) why = e.message();
            if (!PortAddress::looksRemote(path) && !QFileInfo::exists(path))
                why = path == m_options.port ? QStringLiteral("no such port")
                                             : QStringLiteral("no such port ") + path;
            endStep(Exit::Port, QStringLiteral("cannot open the port: ") + why);
            return;
        }
        l.session.login().Start(l.session.context());
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
                        QStringLiteral("the %1 cannot be saved").arg(areaName(step.area)) +
                            (t.refusal().isEmpty() ? QString() : QStringLiteral(": ") + t.refusal()));
        } else {
            endStep(Exit::Usage, QStringLiteral("the history cannot be written"));
        }
        return;
    case StepKind::DeleteHistory:
        l.historyInf.DeleteAll();
        return;
    case StepKind::Check:
        if (step.check) step.check();
        if (m_stepRunning) endStep(Exit::Done, {});
        return;
    }
}

void UnitJob::loginDone(const Outcome &o)
{
    if (!m_stepRunning || m_current.kind != StepKind::OpenAndLogIn) return;
    recordOutcome(o);
    using K = Outcome::Kind;
    switch (o.kind) {
    case K::Completed: {
        Tpasswordverify &login = m_link->session.login();
        const bool ok =
            login.Check(SettingsCodec::devicePassword(login.reply.data.data()), m_options.password);
        // The unit answered, and the password it holds is not the one given.
        if (!ok) runningRecord()->result = StepRecord::Result::Refused;
        endStep(ok ? Exit::Done : Exit::Unit,
                ok ? QString() : QStringLiteral("the unit refused the password; nothing was written"));
        return;
    }
    case K::TimedOut:
        endStep(
            Exit::NoReply,
            QStringLiteral("no reply from the unit within %1 ms to the login").arg(m_options.replyTimeoutMs));
        return;
    case K::PortLost:
        endStep(Exit::NoReply, QStringLiteral("the unit went away (its port closed) during the login"));
        return;
    case K::Stopped:
        endStep(Exit::NoReply, QStringLiteral("the login was stopped"));
        return;
    case K::Refused:
    case K::Damaged:
        break;
    }
    endStep(Exit::NoReply, QStringLiteral("the unit's reply to the login was damaged or incomplete"));
}

void UnitJob::deleteDone(const Outcome &o)
{
    if (!m_stepRunning || m_current.kind != StepKind::DeleteHistory) return;
    recordOutcome(o);
    using K = Outcome::Kind;
    switch (o.kind) {
    case K::Completed:
        endStep(Exit::Done, {});
        return;
    case K::Refused:
        endStep(Exit::Unit, QStringLiteral("the unit refused to delete its history"));
        return;
    case K::TimedOut:
        endStep(Exit::NoReply,
                QStringLiteral("no reply from the unit within %1 ms to the delete. It is unknown "
                               "whether the unit deleted its log: read the history to see.")
                    .arg(m_options.replyTimeoutMs));
        return;
    case K::Damaged:
    case K::PortLost:
    case K::Stopped:
        break;
    }
    endStep(Exit::NoReply, QStringLiteral("the delete got no usable reply; the history may be kept"));
}

void UnitJob::transferDone(const Outcome &o)
{
    const bool reading = m_current.kind == StepKind::Read;
    if (!m_stepRunning || (!reading && m_current.kind != StepKind::Save) || o.area != m_current.area) return;
    recordOutcome(o);
    using K = Outcome::Kind;
    const int ms = m_options.replyTimeoutMs;
    const Area area = o.area;
    const int count = areaMap(area).pages;
    const int page = o.page > 0 ? o.page : qMin(o.pagesDone + 1, count);
    const QString pageText = QStringLiteral("%1 page %2 of %3").arg(areaName(area)).arg(page).arg(count);
    if (reading) {
        if (o.completed() && m_pages[int(area)].size() == count)
            endStep(Exit::Done, {});
        else if (o.kind == K::TimedOut)
            endStep(Exit::NoReply,
                    QStringLiteral("no reply from the unit within %1 ms to %2").arg(ms).arg(pageText));
        else if (o.kind == K::PortLost)
            endStep(Exit::NoReply,
                    QStringLiteral("the unit went away (its port closed) while reading %1").arg(pageText));
        else if (o.kind == K::Stopped)
            endStep(Exit::NoReply, QStringLiteral("reading %1 was stopped").arg(pageText));
        else
            endStep(Exit::NoReply,
                    QStringLiteral("the unit's reply to %1 was damaged or incomplete").arg(pageText));
        return;
    }
    // What the save left on the unit, in the words the window uses.
    const QString behind = leftBehind(o);
    switch (o.kind) {
    case K::Completed:
        endStep(Exit::Done, {});
        return;
    case K::Refused:
        endStep(Exit::Unit, QStringLiteral("%1 refused by the unit: %2 not saved. %3")
                                .arg(pageText, pageContents(area, page), behind));
        return;
    case K::TimedOut:
        endStep(
            Exit::NoReply,
            QStringLiteral("no reply from the unit within %1 ms to %2. %3").arg(ms).arg(pageText, behind));
        return;
    case K::PortLost:
        endStep(
            Exit::NoReply,
            QStringLiteral("the unit went away (its port closed) while saving %1. %2").arg(pageText, behind));
        return;
    case K::Stopped:
        endStep(Exit::NoReply, QStringLiteral("saving %1 was stopped. %2").arg(pageText, behind));
        return;
    case K::Damaged:
        break;
    }
    endStep(Exit::NoReply, QStringLiteral("the unit's reply to %1 was damaged. %2").arg(pageText, behind));
}

void UnitJob::endStep(Exit code, const QString &message)
{
    if (!m_stepRunning) return;
    m_stepRunning = false;
    if (StepRecord *r = runningRecord()) {
        // A completed operation can still fail the step (a read that came short).
        using R = StepRecord::Result;
        if (r->result == R::Pending || (code != Exit::Done && r->result == R::Completed))
            r->result = code == Exit::Done ? R::Completed : R::Failed;
        if (code != Exit::Done) r->message = message;
        if (onDetail) onDetail(r->name + QStringLiteral(": ") + resultName(r->result));
    }
    m_runningRecord = -1;
    if (code != Exit::Done) {
        // The operation has ended (its outcome says so); the job closes its port once it stops.
        m_exit = worse(m_exit, code);
        m_messages << m_options.port + QStringLiteral(": ") + message;
    }
    QTimer::singleShot(0, this, &UnitJob::runNext);
}

void UnitJob::finish()
{
    if (m_finished) return;
    m_finished = true;
    // The steps that never ran, because an earlier one failed or the job was stopped.
    for (int i = m_next; i < m_steps.size(); ++i)
        if (m_steps[i].kind != StepKind::Check || !m_steps[i].name.isEmpty()) {
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
