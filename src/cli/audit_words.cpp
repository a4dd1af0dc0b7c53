#include "cli/audit_words.h"

#include "history/history_record.h"

namespace zc::cli {

namespace {

QString plural(qsizetype n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

// "3, 7, 9", the first ten, then "and N more"; each followed by its name when it has one.
QString listed(const QList<int> &values, const QStringList &names = {})
{
    constexpr int kShown = 10;
    QStringList s;
    for (qsizetype i = 0; i < values.size() && i < kShown; ++i) {
        const QString name = names.value(i);
        s << (name.isEmpty() ? QString::number(values[i])
                             : QStringLiteral("%1 (%2)").arg(values[i]).arg(name));
    }
    if (values.size() > kShown) s << QStringLiteral("and %1 more").arg(values.size() - kShown);
    return s.join(QStringLiteral(", "));
}

} // namespace

QString findingExplanation(const Audit::Finding &f, int withinDays)
{
    const QString &id = f.rule;
    if (id == QLatin1String("factory-password"))
        return QStringLiteral("the password is still the factory password: anyone who knows it can "
                              "reconfigure the unit by SMS");
    if (id == QLatin1String("any-caller-opens"))
        return QStringLiteral("every caller may switch the relay: anyone who has the unit's number can open "
                              "the gate");
    if (id == QLatin1String("nobody-can-open"))
        return QStringLiteral("only listed numbers may switch the relay, but no row can open now: nobody "
                              "can open the gate");
    if (id == QLatin1String("window-ended"))
        return plural(f.rows.size(), QStringLiteral("row's window has"),
                      QStringLiteral("rows' windows have")) +
               QStringLiteral(" ended: those callers can no longer open");
    if (id == QLatin1String("window-ends-soon"))
        return plural(f.rows.size(), QStringLiteral("row's window ends"),
                      QStringLiteral("rows' windows end")) +
               QStringLiteral(" within %1 (the first %2)")
                   .arg(plural(withinDays, QStringLiteral("day"), QStringLiteral("days")), f.values.value(0));
    if (id == QLatin1String("duplicate-number")) {
        QStringList groups;
        for (qsizetype g = 0; g < f.groups.size(); ++g)
            groups << QStringLiteral("%1 in rows %2").arg(f.values.value(g), listed(f.groups[g]));
        return plural(f.groups.size(), QStringLiteral("subscriber is"), QStringLiteral("subscribers are")) +
               QStringLiteral(" kept in more than one row: ") + groups.join(QStringLiteral("; "));
    }
    if (id == QLatin1String("no-sim-number")) return QStringLiteral("the SIM card's own number is not set");
    if (id == QLatin1String("log-nearly-full"))
        return QStringLiteral("the log holds %1 of its %2 records")
            .arg(f.values.value(0))
            .arg(HistoryRecord::kCapacity);
    if (id == QLatin1String("power-not-recovered"))
        return QStringLiteral("the last power record is a power failure at %1, with no recovery after it")
            .arg(f.values.value(0));
    if (id == QLatin1String("clock-suspect"))
        return plural(f.records.size(), QStringLiteral("record is"), QStringLiteral("records are")) +
               QStringLiteral(" dated more than a day after this computer's clock (the latest %1)")
                   .arg(f.values.value(0));
    if (id == QLatin1String("relay-by-unlisted-number"))
        return QStringLiteral("the relay was switched on by %1 not on the list: %2")
            .arg(plural(f.values.size(), QStringLiteral("number"), QStringLiteral("numbers")),
                 f.values.join(QStringLiteral(", ")));
    return f.rule;
}

QString findingPlace(const Audit::Finding &f, const QStringList &names)
{
    if (f.item) return QStringLiteral("item %1").arg(f.item);
    if (!f.rows.isEmpty())
        return (f.rows.size() == 1 ? QStringLiteral("row ") : QStringLiteral("rows ")) +
               listed(f.rows, names);
    if (!f.records.isEmpty())
        return (f.records.size() == 1 ? QStringLiteral("record ") : QStringLiteral("records ")) +
               listed(f.records, names);
    return {};
}

QString findingFix(const Audit::Finding &f)
{
    const QString &id = f.rule;
    if (id == QLatin1String("factory-password"))
        return QStringLiteral("set a password of your own in item 1");
    if (id == QLatin1String("any-caller-opens"))
        return QStringLiteral(
            "set item 9 to only authorized numbers, unless the gate is meant to open for anyone");
    if (id == QLatin1String("nobody-can-open"))
        return QStringLiteral("add a number allowed always, or a window that holds now");
    if (id == QLatin1String("window-ended"))
        return QStringLiteral("remove these rows or extend their windows");
    if (id == QLatin1String("window-ends-soon"))
        return QStringLiteral("extend these windows if the callers should keep opening");
    if (id == QLatin1String("duplicate-number")) return QStringLiteral("keep each subscriber in one row");
    if (id == QLatin1String("no-sim-number"))
        return QStringLiteral("enter the SIM card's number in item 2, so the unit can be told apart");
    if (id == QLatin1String("log-nearly-full"))
        return QStringLiteral("save the history, then delete the log on the unit");
    if (id == QLatin1String("power-not-recovered")) return QStringLiteral("check the unit's power supply");
    if (id == QLatin1String("clock-suspect")) return QStringLiteral("check the unit's clock");
    if (id == QLatin1String("relay-by-unlisted-number"))
        return QStringLiteral("check who these callers are; with item 9 on only authorized numbers, "
                              "remove numbers that should not open");
    return {};
}

} // namespace zc::cli
