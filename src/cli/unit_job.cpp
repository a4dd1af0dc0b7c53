#include "cli/unit_job.h"

#include "history/history_inf.h"
#include "history/history_model.h"
#include "link/comm.h"
#include "link/link_session.h"
#include "link/paged_transfer.h"
#include "link/port_discovery.h"
#include "link/published_devices.h"
#include "link/reply_handler.h"
#include "link/reporter.h"
#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"
#include "settings/basic_inf.h"
#include "settings/settings_codec.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <QFileInfo>

#include <QTimer>
#include <csignal>

namespace zc::cli {

QList<PortName> listPorts()
{
    QList<PortName> out;
    for (const PortEntry &p : Trecognitionserial().discover())
        out.append({p.display, p.path});
    return out;
}

QString resolvePort(const QString &port)
{
    if (port.contains(u'/') || QFileInfo::exists(port)) return port;
    for (const PublishedDevice &d : publishedDevices())
        if (d.name == port) return d.path;
    for (const PortName &p : listPorts())
        if (p.name == port) return p.path;
    return port;
}

QString areaName(Area area)
{
    switch (area) {
    case Area::Settings:
        return QStringLiteral("settings");
    case Area::Numbers:
        return QStringLiteral("number list");
    case Area::History:
        return QStringLiteral("history");
    }
    return {};
}

namespace {

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

// Records what the link tells the user, never blocks, and answers questions as the
// command's flags say.
class CliReporter : public Reporter
{
public:
    bool answerYes = false;
    std::function<void(const QString &)> onMessage;
    std::function<void(int)> onProgress;

    void setStatus(const QString &) override {}
    void setStatusDirect(const QString &) override {}
    void setProgress(int value) override
    {
        if (onProgress) onProgress(value);
    }
    void messageBox(const QString &text) override { message(text); }
    void messageDialog(const QString &text) override { message(text); }
    bool question(const QString &) override { return answerYes; }
    bool warningOkCancel(const QString &) override { return answerYes; }

private:
    void message(const QString &text)
    {
        if (onMessage) onMessage(text);
    }
};

} // namespace

struct UnitJob::Link
{
    CliReporter reporter;
    LinkSession session;
    SettingsModel settings;
    NumbersModel numbers;
    HistoryModel history;
    TBasicInf basicInf{settings};
    TtelephoneSend telephoneSend{numbers};
    THistoryInf historyInf{history};

    explicit Link(int timeoutMs) : session(reporter, timeoutMs)
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

// What the link said during the running step; settle() turns it into the step's end.
struct UnitJob::Facts
{
    bool loginReply = false, loginOk = false;
    bool completed = false, ended = false;
    bool timedOut = false, portLost = false;
    bool refused = false, deleted = false, damaged = false;
    bool message = false;
    int pagesDone = 0; // pages read, or saved and acknowledged
};

UnitJob::UnitJob(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_link(std::make_unique<Link>(options.replyTimeoutMs)),
      m_facts(std::make_unique<Facts>())
{
    m_link->reporter.answerYes = options.answerYes;
    m_link->reporter.onProgress = [this](int value) {
        if (onProgress && m_stepRunning) onProgress(where(), value);
    };
    m_link->reporter.onMessage = [this](const QString &) {
        // Messages end a login or a delete that went wrong (damaged or short reply, time-out);
        // a paged transfer says how it ended through its own events.
        if (!m_stepRunning) return;
        if (m_current.kind == StepKind::OpenAndLogIn || m_current.kind == StepKind::DeleteHistory) {
            m_facts->message = true;
            settleSoon();
        }
    };
    ReplyHandler &handler = m_link->session.handler();
    connect(&handler, &ReplyHandler::loginReply, this, [this](const TRecValidCom &reply) {
        m_facts->loginReply = true;
        m_facts->loginOk = m_link->session.login().Check(SettingsCodec::devicePassword(reply.data.data()),
                                                         m_options.password);
        settleSoon();
    });
    connect(&handler, &ReplyHandler::timedOut, this, [this] {
        m_facts->timedOut = true;
        settleSoon();
    });
    connect(&m_link->session, &LinkSession::portLost, this, [this] {
        m_facts->portLost = true;
        settleSoon();
    });
    connect(&handler, &ReplyHandler::routed, this, [this](ReplyHandler::Route route) {
        using R = ReplyHandler::Route;
        switch (route) {
        case R::SettingsWriteAccepted:
        case R::NumbersWriteAccepted:
            ++m_facts->pagesDone;
            break;
        case R::SettingsWriteRefused:
        case R::NumbersWriteRefused:
        case R::HistoryDeleteRefused:
            m_facts->refused = true;
            settleSoon();
            break;
        case R::HistoryDeleted:
            m_facts->deleted = true;
            settleSoon();
            break;
        case R::InvalidData:
        case R::ShortPage:
            m_facts->damaged = true;
            break;
        default:
            break;
        }
    });
    for (Tsend_rec_command *t : {static_cast<Tsend_rec_command *>(&m_link->basicInf),
                                 static_cast<Tsend_rec_command *>(&m_link->telephoneSend),
                                 static_cast<Tsend_rec_command *>(&m_link->historyInf)}) {
        connect(t, &Tsend_rec_command::decoding, this, [this, t](bool on) {
            if (!on) return;
            // The page as the unit sent it, before it is written into the table.
            m_pages[int(t->area())].append(t->data);
            ++m_facts->pagesDone;
        });
        connect(t, &Tsend_rec_command::finished, this, [this] {
            m_facts->completed = true;
            settleSoon();
        });
        connect(t, &Tsend_rec_command::ended, this, [this] {
            m_facts->ended = true;
            settleSoon();
        });
    }
}

UnitJob::~UnitJob()
{
    // Nothing may reach this object while the session winds down.
    disconnect(&m_link->session.handler(), nullptr, this, nullptr);
    disconnect(&m_link->session, nullptr, this, nullptr);
    m_link->reporter.onMessage = {};
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

void UnitJob::addOpenAndLogIn()
{
    m_steps.append({StepKind::OpenAndLogIn, Area::Settings, {}});
}
void UnitJob::addRead(Area area)
{
    m_steps.append({StepKind::Read, area, {}});
}
void UnitJob::addSave(Area area)
{
    m_steps.append({StepKind::Save, area, {}});
}
void UnitJob::addDeleteHistory()
{
    m_steps.append({StepKind::DeleteHistory, Area::History, {}});
}
void UnitJob::addCheck(std::function<void()> check)
{
    m_steps.append({StepKind::Check, Area::Settings, std::move(check)});
}

void UnitJob::start()
{
    QTimer::singleShot(0, this, &UnitJob::runNext);
}

void UnitJob::fail(Exit code, const QString &message)
{
    m_exit = worse(m_exit, code);
    m_messages << m_options.port + QStringLiteral(": ") + message;
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
    const Exit code = signalNumber == SIGTERM ? Exit::Terminated : Exit::Interrupted;
    const QString how =
        signalNumber == SIGTERM ? QStringLiteral("terminated") : QStringLiteral("interrupted (Ctrl-C)");
    QString account;
    if (!m_stepRunning) {
        account = QStringLiteral("%1 between steps").arg(how);
    } else if (m_current.kind == StepKind::Save) {
        // Said before the transfer is abandoned, while it still knows what it sent.
        const QString behind = m_link->transfer(m_current.area).leftBehind(true);
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
    *m_facts = Facts{};
    m_stepRunning = true;
    Link &l = *m_link;
    switch (step.kind) {
    case StepKind::OpenAndLogIn: {
        const QString path = resolvePort(m_options.port);
        try {
            l.session.open(path);
        } catch (const ECommsError &e) {
            QString why = e.reason().isEmpty() ? e.message() : e.reason();
            if (!QFileInfo::exists(path)) why = QStringLiteral("no such port");
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
        if (step.area == Area::Settings) {
            l.basicInf.Save();
        } else if (step.area == Area::Numbers) {
            // The list was checked before the first frame; a refusal here is a program fault.
            if (!l.telephoneSend.Save())
                endStep(Exit::Usage, QStringLiteral("the number list cannot be saved"));
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

void UnitJob::settleSoon()
{
    if (m_settleQueued || !m_stepRunning) return;
    m_settleQueued = true;
    QTimer::singleShot(0, this, &UnitJob::settle);
}

void UnitJob::settle()
{
    m_settleQueued = false;
    if (!m_stepRunning) return;
    const Facts &f = *m_facts;
    const int ms = m_options.replyTimeoutMs;
    const Area area = m_current.area;
    const int count = areaMap(area).pages;
    const int page = qMin(f.pagesDone + 1, count);
    const QString pageText = QStringLiteral("%1 page %2 of %3").arg(areaName(area)).arg(page).arg(count);
    // What a save that ends here left on the unit: the page whose reply never came, or came
    // damaged, may or may not be written; a refused one is not.
    const QString unknown = leftBehind(true, count, f.pagesDone, true);
    const QString known = leftBehind(true, count, f.pagesDone, false);

    switch (m_current.kind) {
    case StepKind::OpenAndLogIn:
        if (f.loginReply)
            endStep(f.loginOk ? Exit::Done : Exit::Unit,
                    f.loginOk ? QString()
                              : QStringLiteral("the unit refused the password; nothing was written"));
        else if (f.timedOut)
            endStep(Exit::NoReply,
                    QStringLiteral("no reply from the unit within %1 ms to the login").arg(ms));
        else if (f.portLost)
            endStep(Exit::NoReply, QStringLiteral("the unit went away (its port closed) during the login"));
        else if (f.message)
            endStep(Exit::NoReply, QStringLiteral("the unit's reply to the login was damaged or incomplete"));
        return;
    case StepKind::DeleteHistory:
        if (f.deleted)
            endStep(Exit::Done, {});
        else if (f.refused)
            endStep(Exit::Unit, QStringLiteral("the unit refused to delete its history"));
        else if (f.timedOut)
            endStep(Exit::NoReply, QStringLiteral("no reply from the unit within %1 ms to the delete. It is unknown "
                                                  "whether the unit deleted its log: read the history to see.")
                                       .arg(ms));
        else if (f.portLost || f.message)
            endStep(Exit::NoReply, QStringLiteral("the delete got no usable reply; the history may be kept"));
        return;
    case StepKind::Read:
        if (f.completed && m_pages[int(area)].size() == count)
            endStep(Exit::Done, {});
        else if (f.timedOut)
            endStep(Exit::NoReply,
                    QStringLiteral("no reply from the unit within %1 ms to %2").arg(ms).arg(pageText));
        else if (f.portLost)
            endStep(Exit::NoReply,
                    QStringLiteral("the unit went away (its port closed) while reading %1").arg(pageText));
        else if (f.completed || f.ended)
            endStep(Exit::NoReply,
                    QStringLiteral("the unit's reply to %1 was damaged or incomplete").arg(pageText));
        return;
    case StepKind::Save:
        if (f.completed)
            endStep(Exit::Done, {});
        else if (f.refused)
            endStep(Exit::Unit, QStringLiteral("%1 refused by the unit: %2 not saved. %3")
                                    .arg(pageText, pageContents(area, page), known));
        else if (f.timedOut)
            endStep(Exit::NoReply, QStringLiteral("no reply from the unit within %1 ms to %2. %3")
                                       .arg(ms)
                                       .arg(pageText, unknown));
        else if (f.portLost)
            endStep(Exit::NoReply, QStringLiteral("the unit went away (its port closed) while saving %1. %2")
                                       .arg(pageText, unknown));
        else if (f.ended)
            endStep(Exit::NoReply,
                    QStringLiteral("the unit's reply to %1 was damaged. %2").arg(pageText, unknown));
        return;
    case StepKind::Check:
        return;
    }
}

void UnitJob::endStep(Exit code, const QString &message)
{
    if (!m_stepRunning) return;
    m_stepRunning = false;
    if (code != Exit::Done) {
        // Whatever still waits for a reply ends here.
        m_link->session.abandonAll();
        m_exit = worse(m_exit, code);
        m_messages << m_options.port + QStringLiteral(": ") + message;
    }
    QTimer::singleShot(0, this, &UnitJob::runNext);
}

void UnitJob::finish()
{
    if (m_finished) return;
    m_finished = true;
    m_link->session.close();
    emit finished();
}

} // namespace zc::cli
