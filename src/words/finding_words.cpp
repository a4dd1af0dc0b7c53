#include "words/finding_words.h"

#include "history/history_record.h"

#include <QStringList>

namespace zc::FindingWords {

namespace {

QString counted(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
}

QString numbers(const QList<int> &values)
{
    constexpr int kShown = 8;
    QStringList s;
    for (qsizetype i = 0; i < values.size() && i < kShown; ++i)
        s << QString::number(values[i]);
    if (values.size() > kShown) s << QStringLiteral("%1 more").arg(values.size() - kShown);
    return s.join(QStringLiteral(", "));
}

QString place(const Audit::Finding &f)
{
    if (f.item) return QStringLiteral("Item %1").arg(f.item);
    if (!f.rows.isEmpty())
        return (f.rows.size() == 1 ? QStringLiteral("Row ") : QStringLiteral("Rows ")) + numbers(f.rows);
    if (!f.records.isEmpty())
        return (f.records.size() == 1 ? QStringLiteral("Record ") : QStringLiteral("Records ")) +
               numbers(f.records);
    return QStringLiteral("The log");
}

} // namespace

QString title(const Audit::Finding &f)
{
    const QString &id = f.rule;
    if (id == QLatin1String("factory-password")) return QStringLiteral("factory password");
    if (id == QLatin1String("any-caller-opens")) return QStringLiteral("every caller may open the gate");
    if (id == QLatin1String("nobody-can-open")) return QStringLiteral("nobody can open the gate now");
    if (id == QLatin1String("window-ended")) return counted(f.rows.size(), "window ended", "windows ended");
    if (id == QLatin1String("window-ends-soon"))
        return counted(f.rows.size(), "window ends soon", "windows end soon");
    if (id == QLatin1String("duplicate-number"))
        return counted(f.groups.size(), "number in several rows", "numbers in several rows");
    if (id == QLatin1String("no-sim-number")) return QStringLiteral("no SIM number");
    if (id == QLatin1String("log-nearly-full")) return QStringLiteral("log nearly full");
    if (id == QLatin1String("power-not-recovered")) return QStringLiteral("power not back");
    if (id == QLatin1String("clock-suspect")) return QStringLiteral("the unit's clock may be ahead");
    if (id == QLatin1String("relay-by-unlisted-number"))
        return QStringLiteral("opened by numbers not on the list");
    return f.rule;
}

QString line(const QList<Audit::Finding> &findings)
{
    if (findings.isEmpty()) return {};
    bool risk = false;
    QStringList titles;
    for (const Audit::Finding &f : findings) {
        risk = risk || f.atLeastWarning();
        titles << title(f);
    }
    return (risk ? counted(findings.size(), "risk", "risks") : counted(findings.size(), "note", "notes")) +
           QStringLiteral(": ") + titles.join(QStringLiteral("; "));
}

QString detail(const Audit::Finding &f, int withinDays)
{
    const QString &id = f.rule;
    QString what, fix;
    if (id == QLatin1String("factory-password")) {
        what = QStringLiteral("the password is still the factory password; anyone who knows it can "
                              "reconfigure the unit by SMS");
        fix = QStringLiteral("Enter a password of your own.");
    } else if (id == QLatin1String("any-caller-opens")) {
        what = QStringLiteral("every caller may switch the relay, so anyone who has the unit's number can "
                              "open the gate");
        fix =
            QStringLiteral("Choose \"only authorized numbers\" unless the gate is meant to open for anyone.");
    } else if (id == QLatin1String("nobody-can-open")) {
        what =
            QStringLiteral("only listed numbers may switch the relay, but no row of the list can open now");
        fix = QStringLiteral("Add a number allowed always, or a window that holds now.");
    } else if (id == QLatin1String("window-ended")) {
        what = QStringLiteral("the window has ended; these callers can no longer open");
        fix = QStringLiteral("Remove the rows or extend their windows.");
    } else if (id == QLatin1String("window-ends-soon")) {
        what = QStringLiteral("the window ends within %1 (the first %2)")
                   .arg(counted(withinDays, "day", "days"), f.values.value(0));
        fix = QStringLiteral("Extend it if the callers should keep opening.");
    } else if (id == QLatin1String("duplicate-number")) {
        QStringList groups;
        for (qsizetype g = 0; g < f.groups.size(); ++g)
            groups << QStringLiteral("%1 in rows %2").arg(f.values.value(g), numbers(f.groups[g]));
        what = QStringLiteral("the same subscriber is kept more than once: ") +
               groups.join(QStringLiteral("; "));
        fix = QStringLiteral("Keep each number in one row.");
    } else if (id == QLatin1String("no-sim-number")) {
        what = QStringLiteral("the SIM card's own number is not set");
        fix = QStringLiteral("Enter it, so the unit can be told apart.");
    } else if (id == QLatin1String("log-nearly-full")) {
        what = QStringLiteral("the log holds %1 of its %2 records")
                   .arg(f.values.value(0))
                   .arg(HistoryRecord::kCapacity);
        fix = QStringLiteral("Export the history, then delete the log on the unit.");
    } else if (id == QLatin1String("power-not-recovered")) {
        what = QStringLiteral("the last power record is a power failure at %1, with no recovery after it")
                   .arg(f.values.value(0));
        fix = QStringLiteral("Check the unit's power supply.");
    } else if (id == QLatin1String("clock-suspect")) {
        what = QStringLiteral("dated more than a day after this computer's clock (the latest %1)")
                   .arg(f.values.value(0));
        fix = QStringLiteral("Check the unit's clock.");
    } else if (id == QLatin1String("relay-by-unlisted-number")) {
        what = QStringLiteral("the relay was switched on by numbers not on the list: %1")
                   .arg(f.values.join(QStringLiteral(", ")));
        fix = QStringLiteral("Check who these callers are.");
    }
    return QStringLiteral("%1: %2. %3").arg(place(f), what, fix);
}

} // namespace zc::FindingWords
