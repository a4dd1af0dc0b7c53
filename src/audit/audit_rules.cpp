#include "audit/audit_rules.h"

#include "history/history_codec.h"
#include "history/history_record.h"
#include "numbers/number_save_checks.h"
#include "numbers/numbers_model.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace zc::Audit {

namespace {

using NumberSaveChecks::subscriberKey;
using Record = HistoryModel::Record;

constexpr int kPasswordItem = 1, kSimItem = 2, kRelayItem = 9;
constexpr int kEveryCaller = 0, kOnlyAuthorized = 1; // item 9's pick entries

// A record's cell by its table column.
const QString &cell(const Record &r, int column)
{
    return r[std::size_t(column - 1)];
}

int recordNumber(const Record &r)
{
    return cell(r, HistoryModel::NumberColumn).toInt();
}

// The moment a record is dated, when its date and time read.
std::optional<QDateTime> dated(const Record &r)
{
    const auto d = HistoryCodec::parseDate(cell(r, HistoryModel::DateColumn));
    const auto t = HistoryCodec::parseTime(cell(r, HistoryModel::TimeColumn));
    if (!d || !t) return std::nullopt;
    const QDateTime when(QDate(d->year, d->month, d->day), QTime(t->hour, t->minute, t->second));
    return when.isValid() ? std::optional(when) : std::nullopt;
}

QString actionText(int code)
{
    return QString::fromLatin1(HistoryRecord::kActionTexts[code].action);
}

// The rows that hold a number the unit keeps (rows marked for deletion are leaving it).
QList<int> listedRows(const NumbersModel &m)
{
    QList<int> rows;
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
        if (!m.text(r, NumberColumn::Number).isEmpty() && m.text(r, NumberColumn::Delete) != CheckCell::kYes)
            rows << r;
    return rows;
}

class Evaluation
{
public:
    explicit Evaluation(const Input &in) : m_in(in) {}

    // The findings of one rule (none when it does not apply).
    QList<Finding> run(const Rule &rule) const
    {
        const QString id = QString::fromLatin1(rule.id);
        Finding f;
        f.rule = id;
        f.severity = rule.severity;
        bool found = false;
        if (id == QLatin1String("factory-password"))
            found = itemIs(f, kPasswordItem,
                           settings().content(kPasswordItem) ==
                               QString::fromUtf8(SettingsItems::find(kPasswordItem)->content));
        else if (id == QLatin1String("any-caller-opens"))
            found = itemIs(f, kRelayItem, settings().pickSelection(kRelayItem) == kEveryCaller);
        else if (id == QLatin1String("nobody-can-open"))
            found = itemIs(f, kRelayItem,
                           settings().pickSelection(kRelayItem) == kOnlyAuthorized && nobodyCanOpen());
        else if (id == QLatin1String("no-sim-number"))
            found = itemIs(f, kSimItem, settings().content(kSimItem).trimmed().isEmpty());
        else if (id == QLatin1String("window-ended"))
            found = windowEnded(f);
        else if (id == QLatin1String("window-ends-soon"))
            found = windowEndsSoon(f);
        else if (id == QLatin1String("duplicate-number"))
            found = duplicates(f);
        else if (id == QLatin1String("log-nearly-full"))
            found = logNearlyFull(f);
        else if (id == QLatin1String("power-not-recovered"))
            found = powerNotRecovered(f);
        else if (id == QLatin1String("clock-suspect"))
            found = clockSuspect(f);
        else if (id == QLatin1String("relay-by-unlisted-number"))
            found = relayByUnlisted(f);
        return found ? QList<Finding>{f} : QList<Finding>{};
    }

private:
    const SettingsModel &settings() const { return *m_in.settings; }
    const NumbersModel &numbers() const { return *m_in.numbers; }
    std::span<const Record> log() const { return *m_in.history; }

    static bool itemIs(Finding &f, int item, bool holds)
    {
        f.item = item;
        return holds;
    }

    // The unit keeps minutes.
    QDateTime nowMinute() const
    {
        return QDateTime(m_in.now.date(), QTime(m_in.now.time().hour(), m_in.now.time().minute()));
    }

    bool nobodyCanOpen() const
    {
        for (int r : listedRows(numbers())) {
            const NumberRow row = numbers().row(r);
            if (row[NumberColumn::Always] == CheckCell::kYes) return false;
            const auto start = NumberSaveChecks::windowStart(row);
            const bool notStarted = start && *start > nowMinute();
            if (!notStarted && !NumberSaveChecks::windowEnded(row, m_in.now)) return false;
        }
        return true;
    }

    bool windowEnded(Finding &f) const
    {
        for (int r : listedRows(numbers()))
            if (NumberSaveChecks::windowEnded(numbers().row(r), m_in.now)) f.rows << r;
        return !f.rows.isEmpty();
    }

    bool windowEndsSoon(Finding &f) const
    {
        const QDateTime limit = nowMinute().addDays(m_in.withinDays);
        std::optional<QDateTime> first;
        for (int r : listedRows(numbers())) {
            const NumberRow row = numbers().row(r);
            const auto end = NumberSaveChecks::windowEnd(row);
            if (!end || NumberSaveChecks::windowEnded(row, m_in.now) || *end > limit) continue;
            f.rows << r;
            if (!first || *end < *first) first = end;
        }
        if (first) f.values << first->toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        return !f.rows.isEmpty();
    }

    bool duplicates(Finding &f) const
    {
        QHash<QString, int> group; // subscriber -> index in f.groups
        QStringList keys;
        for (int r : listedRows(numbers())) {
            const QString key = subscriberKey(numbers().text(r, NumberColumn::Number), m_in.countryCode);
            const auto it = group.constFind(key);
            if (it == group.cend()) {
                group.insert(key, int(f.groups.size()));
                f.groups << QList<int>{r};
                keys << numbers().text(r, NumberColumn::Number);
            } else {
                f.groups[*it] << r;
            }
        }
        QList<QList<int>> kept;
        for (qsizetype g = 0; g < f.groups.size(); ++g)
            if (f.groups[g].size() > 1) {
                kept << f.groups[g];
                f.values << keys[g];
                f.rows << f.groups[g];
            }
        f.groups = kept;
        std::sort(f.rows.begin(), f.rows.end());
        return !kept.isEmpty();
    }

    bool logNearlyFull(Finding &f) const
    {
        int count = 0;
        for (const Record &r : log())
            if (!cell(r, HistoryModel::NumberColumn).isEmpty()) ++count;
        f.values << QString::number(count);
        return count >= kLogNearlyFull;
    }

    bool powerNotRecovered(Finding &f) const
    {
        const QString failure = actionText(6), recovery = actionText(9);
        const Record *newest = nullptr;
        QDateTime newestAt;
        for (const Record &r : log()) {
            const QString &action = cell(r, HistoryModel::ActionColumn);
            if (action != failure && action != recovery) continue;
            const auto at = dated(r);
            if (!at) continue;
            // The same second: the later record number is the later event.
            if (!newest || *at > newestAt || (*at == newestAt && recordNumber(r) > recordNumber(*newest))) {
                newest = &r;
                newestAt = *at;
            }
        }
        if (!newest || cell(*newest, HistoryModel::ActionColumn) != failure) return false;
        f.records << recordNumber(*newest);
        f.values << newestAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return true;
    }

    bool clockSuspect(Finding &f) const
    {
        const QDateTime limit = m_in.now.addDays(1);
        std::optional<QDateTime> latest;
        for (const Record &r : log()) {
            const auto at = dated(r);
            if (!at || *at <= limit) continue;
            f.records << recordNumber(r);
            if (!latest || *at > *latest) latest = at;
        }
        if (latest) f.values << latest->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return latest.has_value();
    }

    bool relayByUnlisted(Finding &f) const
    {
        QSet<QString> listed;
        for (int r : listedRows(numbers()))
            listed.insert(subscriberKey(numbers().text(r, NumberColumn::Number), m_in.countryCode));
        const QString relayOn = actionText(2);
        for (const Record &r : log()) {
            const QString &who = cell(r, HistoryModel::ExecutantColumn);
            if (cell(r, HistoryModel::ActionColumn) != relayOn || who.isEmpty() ||
                listed.contains(subscriberKey(who, m_in.countryCode)))
                continue;
            f.records << recordNumber(r);
            if (!f.values.contains(who)) f.values << who;
        }
        return !f.records.isEmpty();
    }

    const Input &m_in;
};

} // namespace

const Rule *findRule(const QString &id)
{
    for (const Rule &r : kRules)
        if (id == QLatin1String(r.id)) return &r;
    return nullptr;
}

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::High:
        return QStringLiteral("high");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Info:
        break;
    }
    return QStringLiteral("info");
}

QList<Finding> evaluate(const Input &in, const QStringList &ignored)
{
    unsigned have = 0;
    if (in.settings) have |= Settings;
    if (in.numbers) have |= Numbers;
    if (in.history) have |= History;
    const Evaluation evaluation(in);
    QList<Finding> findings;
    for (const Rule &rule : kRules)
        if ((rule.needs & have) == rule.needs && !ignored.contains(QLatin1String(rule.id)))
            findings << evaluation.run(rule);
    return findings;
}

} // namespace zc::Audit
