#include "words/left_behind.h"

#include "words/area_words.h"

#include <QStringList>

#include <csignal>

namespace zc {

namespace {

QString pages(int first, int last)
{
    return first == last ? QStringLiteral("page %1").arg(first)
                         : QStringLiteral("pages %1 to %2").arg(first).arg(last);
}

QString capitalised(QString text)
{
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

} // namespace

QString leftBehind(bool writing, int total, int done, bool inFlightUnknown)
{
    done = qBound(0, done, total);
    if (total <= 0 || done >= total) return {};
    if (!writing) {
        if (done == 0) return QStringLiteral("No page was read: the table is as it was.");
        return QStringLiteral("The table holds pages read from the unit only up to page %1 of %2.")
            .arg(done)
            .arg(total);
    }
    if (done == 0 && !inFlightUnknown)
        return QStringLiteral("No page was saved (0 of %1): the unit keeps its earlier data; save again.")
            .arg(total);
    QStringList parts;
    if (done > 0) parts << QStringLiteral("%1 of %2 saved").arg(pages(1, done)).arg(total);
    int first = done + 1;
    if (inFlightUnknown) {
        parts << QStringLiteral("page %1%2 may or may not be saved")
                     .arg(first)
                     .arg(done == 0 ? QStringLiteral(" of %1").arg(total) : QString());
        ++first;
    }
    if (first <= total) parts << pages(first, total) + QStringLiteral(" not saved");
    return capitalised(parts.join(QStringLiteral(", "))) + QStringLiteral(": save again.");
}

QString leftBehind(const Outcome &o)
{
    switch (o.operation) {
    case Outcome::Operation::Transfer:
        return leftBehind(o.writing, o.pageCount, o.pagesDone, o.inFlightUnknown);
    case Outcome::Operation::Delete:
        if (o.kind == Outcome::Kind::Completed || o.kind == Outcome::Kind::Refused) return {};
        return QStringLiteral("It is unknown whether the unit deleted its log: read the history to see.");
    case Outcome::Operation::Login:
    case Outcome::Operation::Request:
        break;
    }
    return {};
}

QString pageRuns(const QList<int> &pages)
{
    QStringList runs;
    int count = 0;
    for (qsizetype i = 0; i < pages.size();) {
        qsizetype j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1)
            ++j;
        runs << (i == j ? QString::number(pages[i]) : QStringLiteral("%1 to %2").arg(pages[i]).arg(pages[j]));
        count += int(j - i + 1);
        i = j + 1;
    }
    if (runs.isEmpty()) return {};
    const QString last = runs.takeLast();
    const QString joined =
        runs.isEmpty() ? last : runs.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return (count == 1 ? QStringLiteral("page ") : QStringLiteral("pages ")) + joined;
}

QString unknownPagesSentence(Area area, const QList<int> &pages, int total)
{
    return QStringLiteral("What the unit holds of the %1 on %2 of %3 is not known: a save stopped part way "
                          "there, or it was not read since the port was opened.")
        .arg(areaName(area), pageRuns(pages))
        .arg(total);
}

QString endedBySignal(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("terminated");
    case SIGHUP:
        return QStringLiteral("hung up (SIGHUP)");
    case SIGINT:
        return QStringLiteral("interrupted (Ctrl-C)");
    default:
        break;
    }
    return QStringLiteral("ended by signal %1").arg(signalNumber);
}

} // namespace zc
