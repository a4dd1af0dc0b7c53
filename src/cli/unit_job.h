// One unit as the command-line program drives it: its port, its link session, the three
// area tables with their transfers, and a queue of steps (open and log in, read or save an
// area, delete the log, or a check of the program's own) run one after another. This file
// pair is the program's only contact with the link and the transfer objects; everything
// else works on the tables, the codecs and the page bytes collected here.
//
// Nothing blocks: steps run on the event loop, so several jobs (one per port) run side by
// side in one loop. A job stops at its first failing step and says why in plain words,
// naming its port and the page concerned.
#pragma once

#include "link/address_map.h"
#include "link/port_address.h"
#include "words/area_words.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zc {
struct Outcome;
class SettingsModel;
class NumbersModel;
class HistoryModel;
} // namespace zc

namespace zc::cli {

// The program's exit codes; with several units the worst (highest) one counts.
enum class Exit {
    Done = 0,          // done, and verified where asked
    Unit = 1,          // the unit refused (password, a page), verification or diff found a difference
    Usage = 2,         // usage or input-file error; nothing was sent
    Port = 3,          // the port is absent, not permitted or busy
    NoReply = 4,       // time-out, damaged replies or a unit that went away
    ReportLost = 5,    // the units were reached, but the report could not be written
    HungUp = 129,      // stopped by SIGHUP
    Interrupted = 130, // stopped by Ctrl-C (SIGINT)
    Terminated = 143,  // stopped by SIGTERM
};
inline Exit worse(Exit a, Exit b)
{
    return int(a) >= int(b) ? a : b;
}

using PageBytes = std::array<std::uint8_t, kPageSize>;

// A port the window's port list would offer, with what identifies the unit behind it.
struct PortName
{
    QString name;      // what the list shows
    QString path;      // what is opened
    QString usbSerial; // the USB serial number; empty when unknown
    QString vidPid;    // "10c4:ea60"; empty when not a USB port
    QString byId;      // its /dev/serial/by-id link; empty when none
};
QList<PortName> listPorts();

// A port as the user gave it, resolved to the device to open.
struct ResolvedPort
{
    QString path;      // the device to open; empty with an error
    QString usbSerial; // the USB serial number of the port, when known
    QString error;     // why the port names no device (serial:NUMBER matched none or several)
};
// "serial:NUMBER" is the one port whose USB serial number is NUMBER. A name with a "/" is
// a path as given (a relative one from the current folder). A bare name is a simulated
// unit's published name or a name the port list shows, else the device /dev/NAME. Port
// names are never split at ":" otherwise: by-path names hold it.
ResolvedPort resolvePort(const QString &port);

// How one step of a job ended: facts only, in the order the steps were added. Steps that
// never ran because an earlier one failed end "skipped".
struct StepRecord
{
    // How the step ended; Pending while it has not. resultName gives the report's word.
    enum class Result { Pending, Completed, Refused, TimedOut, Damaged, PortLost, Stopped, Skipped, Failed };

    QString name; // "log in", "read settings", "save number list", "verify settings"
    Result result = Result::Pending;
    bool hasArea = false;
    Area area = Area::Settings;
    int page = 0;      // the page concerned, 1-based; 0 when none
    int pagesDone = 0; // pages read, or saved and acknowledged
    int pageCount = 0;
    bool pageUncertain = false; // page pagesDone + 1 was sent; the unit may or may not hold it
    QString message;            // why it failed, as the stderr line says it (without the port)
    int differences = -1;       // a verify step: the differences found; -1 when none was made
    QString leftBehind;         // a save that ended early: what the unit holds, in words
    // A save step: how much of the area the unit now holds from it.
    enum class Held { Nothing, Part, Whole };
    bool isSave = false;
    Held held = Held::Nothing;
};

// A step's result as the JSON report writes it ("completed", "timed-out", "skipped", …).
QString resultName(StepRecord::Result result);

class UnitJob : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString port;     // as the user gave it: messages name the unit by it
        QString password; // compared as the window's login compares it
        int replyTimeoutMs = 3000;
        TlsFiles tls;           // for a +tls:// port
        bool answerYes = false; // the answer to any question a transfer would ask
    };

    explicit UnitJob(const Options &options, QObject *parent = nullptr);
    ~UnitJob() override;

    const QString &port() const { return m_options.port; }
    SettingsModel &settings();
    NumbersModel &numbers();
    HistoryModel &history();

    // Steps, run in the order added by start().
    void addOpenAndLogIn();
    // Reads every page of the area into its table; the raw pages are kept (pagesRead).
    void addRead(Area area);
    // Saves every page of the area from its table, as the window's Save does.
    void addSave(Area area);
    // Saves only the pages `only` (1-based, ascending) of `pages`, the area's whole pages as
    // the caller built them; pagesSaved() then gives `pages`. May be added by a running check.
    void addSavePages(Area area, const QList<PageBytes> &pages, const std::vector<int> &only);
    void addDeleteHistory();
    // A step of the caller's own (a comparison, a file written); it may call fail(). A named
    // check is a step of the report; an unnamed one is bookkeeping and is not listed.
    // A check about an area (a verify) names it in its record.
    void addCheck(std::function<void()> check, const QString &name = {}, Area area = Area::Settings);
    // The running check compared what was sent with what the unit holds.
    void setDifferences(int count);

    void start();
    bool isFinished() const { return m_finished; }

    // Ends the job with a code and a message (the port is put in front of it).
    void fail(Exit code, const QString &message);
    // A line for stderr that is no failure.
    void note(const QString &message);
    // Ctrl-C, SIGTERM or SIGHUP: ends the job at once, as Stop does in the window (the outstanding
    // request is abandoned), and says what the unit now holds. Nothing once finished.
    void interrupt(int signalNumber);

    Exit exit() const { return m_exit; }
    // stderr lines, each starting with the port.
    const QStringList &messages() const { return m_messages; }
    // The pages the last read of an area brought, in page order.
    const QList<PageBytes> &pagesRead(Area area) const { return m_pages[int(area)]; }
    // The pages the last save of an area sent, as they were encoded when it started.
    QList<PageBytes> pagesSaved(Area area) const;
    // What was done, in words ("settings written", "number list verified").
    QStringList done;
    // Every step added, how it ended (or "skipped"); complete once finished.
    const QList<StepRecord> &records() const { return m_records; }
    // The device the port resolved to and its USB serial number, once the open step ran.
    const ResolvedPort &resolved() const { return m_resolved; }
    // The settings items a profile write changes on this unit, once known (sorted).
    QList<int> itemsChanged;
    bool itemsChangedKnown = false;

    // With --verbose: a line for every page read or saved, and for every step's end.
    std::function<void(const QString &line)> onDetail;

    // Progress of the running step: what runs and its percentage.
    std::function<void(const QString &what, int percent)> onProgress;

signals:
    void finished();

private:
    struct Link;
    enum class StepKind { OpenAndLogIn, Read, Save, DeleteHistory, Check };
    struct Step
    {
        StepKind kind;
        Area area = Area::Settings;
        std::function<void()> check;
        QString name;           // a check's name in the report; empty: not reported
        std::vector<int> pages; // a save of these pages of `bytes` only; empty: the table
        QList<PageBytes> bytes;
    };

    void runNext();
    void beginStep(const Step &step);
    // The running step's operation ended: its outcome ends the step and gives its message.
    void loginDone(const zc::Outcome &outcome);
    void deleteDone(const zc::Outcome &outcome);
    void transferDone(const zc::Outcome &outcome);
    void endStep(Exit code, const QString &message);
    // The running step's record takes the operation's outcome (before endStep).
    void recordOutcome(const zc::Outcome &outcome);
    StepRecord *runningRecord();
    static StepRecord recordOf(const Step &step);
    void finish();
    QString where() const;

    Options m_options;
    std::unique_ptr<Link> m_link;
    QList<Step> m_steps;
    int m_next = 0;
    bool m_stepRunning = false;
    bool m_finished = false;
    Step m_current{StepKind::Check, Area::Settings, {}, {}, {}, {}};
    Exit m_exit = Exit::Done;
    QStringList m_messages;
    std::array<QList<PageBytes>, kAreaCount> m_pages;
    QList<StepRecord> m_records;
    int m_runningRecord = -1; // index in m_records of the running step; -1 when none
    ResolvedPort m_resolved;
};

} // namespace zc::cli
