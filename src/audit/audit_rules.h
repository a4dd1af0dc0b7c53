// The audit: rules that read a unit's settings, number list and log and find who can open
// the gate and who will be locked out. Every rule has a fixed id that scripts filter on; a
// finding is values only (the rule, the item, rows or records concerned, and the values
// behind it), worded by the window and the command line.
#pragma once

#include "history/history_model.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

namespace zc {

class SettingsModel;
class NumbersModel;

namespace Audit {

enum class Severity { High, Warning, Info };

// What a rule reads: it is evaluated only when all of these are at hand.
enum Needs : unsigned { Settings = 1, Numbers = 2, History = 4 };

// What a rule's findings point at.
enum class Concerns { Item, Rows, Records };

struct Rule
{
    const char *id; // part of the interface: never renamed, never given another meaning
    Severity severity;
    unsigned needs;
    Concerns concerns;
};

// The rules in the order findings are reported.
inline constexpr Rule kRules[] = {
    {"factory-password", Severity::High, Settings, Concerns::Item},
    {"any-caller-opens", Severity::High, Settings, Concerns::Item},
    {"nobody-can-open", Severity::High, Settings | Numbers, Concerns::Item},
    {"window-ended", Severity::Warning, Numbers, Concerns::Rows},
    {"window-ends-soon", Severity::Info, Numbers, Concerns::Rows},
    {"duplicate-number", Severity::Warning, Numbers, Concerns::Rows},
    {"no-sim-number", Severity::Info, Settings, Concerns::Item},
    {"log-nearly-full", Severity::Warning, History, Concerns::Records},
    {"power-not-recovered", Severity::Warning, History, Concerns::Records},
    {"clock-suspect", Severity::Warning, History, Concerns::Records},
    {"relay-by-unlisted-number", Severity::Warning, History | Numbers, Concerns::Records},
};

const Rule *findRule(const QString &id);
// "high", "warning", "info".
QString severityName(Severity severity);

// The log is nearly full from this many records on (of 1000).
constexpr int kLogNearlyFull = 900;
constexpr int kDefaultWithinDays = 14;

struct Finding
{
    QString rule; // a rule's id
    Severity severity = Severity::Info;
    int item = 0;       // the settings item concerned; 0 when none
    QList<int> rows;    // list rows (1..1000) concerned
    QList<int> records; // record numbers ("No.") concerned
    QStringList values; // what the finding is about, by rule:
                        //   duplicate-number: the numbers, one per group of rows (groups in rows order);
                        //   window-ends-soon: the first end date (yyyy/mm/dd);
                        //   log-nearly-full: the count of records;
                        //   clock-suspect: the latest date; relay-by-unlisted-number: the numbers
    QList<QList<int>> groups; // duplicate-number: the rows of each number

    bool atLeastWarning() const { return severity != Severity::Info; }
};

struct Input
{
    const SettingsModel *settings = nullptr; // null: not read, its rules are left out
    const NumbersModel *numbers = nullptr;
    std::optional<std::span<const HistoryModel::Record>> history; // the whole log as read
    QDateTime now;                                                // the computer's clock
    int withinDays = kDefaultWithinDays;
    QString countryCode; // digits of the national prefix's country code; "" when none
};

// Every rule whose needs are at hand, in the order of kRules; rules in ignored left out.
QList<Finding> evaluate(const Input &in, const QStringList &ignored = {});

} // namespace Audit
} // namespace zc
