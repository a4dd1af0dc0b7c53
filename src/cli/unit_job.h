// One unit as the command-line program drives it: its port, its link session, the three
// area tables with their transfers, and a queue of steps (open and log in, read or save an
// area, delete the log, or a check of the program's own) run one after another. This file
// pair is the program's only contact with the link and the transfer objects; everything
// else works on the tables, the codecs and the page bytes collected here.
//
// Nothing blocks: steps run on the event loop, so several jobs (one per port) run side by
// side in one loop. A job stops at its first failing step and says why in plain words,
// naming its port and the page concerned. Each step leaves a StepRecord (step_record.h)
// holding its kind and its operation's Outcome; the words come from step_words.h, the
// port's resolution from unit_ports.h.
#pragma once

#include "cli/step_record.h"
#include "cli/step_words.h"
#include "cli/unit_ports.h"
#include "link/address_map.h"
#include "link/port_address.h"

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
struct OpenVerdict;
class SettingsModel;
class NumbersModel;
class HistoryModel;
} // namespace zc

namespace zc::cli {

using PageBytes = std::array<std::uint8_t, kPageSize>;

class UnitJob : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString port;     // as the user gave it: messages name the unit by it
        QString password; // compared as the window's login compares it
        int replyTimeoutMs = 3000;
        TlsFiles tls; // for a +tls:// port
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
    // A step of the caller's own (a comparison, a file written); it may call fail(). A plain
    // Check is bookkeeping that the report does not list; a Verify (of `area`: it compares
    // what a save sent with what the unit then holds and calls setDifferences), an
    // IdentityCheck, a RemovalCheck or an ArchiveHistory is a step of the report.
    void addCheck(std::function<void()> check, StepRecord::Kind kind = StepRecord::Kind::Check,
                  Area area = Area::Settings);
    // The running verify compared what was sent with what the unit holds.
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
    QStringList messages() const;
    // The same lines without the port: notes and why the job failed.
    const QStringList &lines() const { return m_lines; }
    // Why the job failed (without the port); empty while it has not.
    const QString &failure() const { return m_failure; }
    // The pages the last read of an area brought, in page order.
    const QList<PageBytes> &pagesRead(Area area) const { return m_pages[int(area)]; }
    // The pages the last save of an area sent, as they were encoded when it started.
    QList<PageBytes> pagesSaved(Area area) const;
    // What was done, in words ("settings written", "number list verified").
    QStringList done;
    // Every step of the report, how it ended (or skipped); complete once finished.
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
    using StepKind = StepRecord::Kind;
    struct Step
    {
        StepKind kind;
        Area area = Area::Settings;
        std::function<void()> check; // a check's or a verify's work
        std::vector<int> pages;      // a save of these pages of `bytes` only; empty: the table
        QList<PageBytes> bytes;
    };

    void runNext();
    void beginStep(const Step &step);
    // The port's open ended: the login starts, or the step ends saying why not.
    void portOpened(const zc::OpenVerdict &verdict);
    // The running step's operation ended: its outcome ends the step, whose record gives the
    // exit code and the message.
    void operationDone(StepKind kind, const zc::Outcome &outcome);
    void endStep(Exit code, const QString &message);
    // Ends the job with the failure `message` (without the port), exit `code`.
    void sayFailure(Exit code, const QString &message);
    StepRecord *runningRecord();
    static StepRecord recordOf(const Step &step);
    void finish();

    Options m_options;
    std::unique_ptr<Link> m_link;
    QList<Step> m_steps;
    int m_next = 0;
    bool m_stepRunning = false;
    bool m_finished = false;
    Step m_current{StepKind::Check, Area::Settings, {}, {}, {}};
    Exit m_exit = Exit::Done;
    QStringList m_lines;
    QString m_failure;
    std::array<QList<PageBytes>, kAreaCount> m_pages;
    QList<StepRecord> m_records;
    int m_runningRecord = -1; // index in m_records of the running step; -1 when none
    ResolvedPort m_resolved;
};

} // namespace zc::cli
