#include "cli/step_words.h"

#include "settings/settings_items.h"
#include "words/left_behind.h"

namespace zc::cli {

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

QString loginFailure(StepRecord::Result result, int ms)
{
    using R = StepRecord::Result;
    switch (result) {
    case R::Refused:
        return QStringLiteral("the unit refused the password; nothing was written");
    case R::TimedOut:
        return QStringLiteral("no reply from the unit within %1 ms to the login").arg(ms);
    case R::PortLost:
        return QStringLiteral("the unit went away (its port closed) during the login");
    case R::Stopped:
        return QStringLiteral("the login was stopped");
    default:
        break;
    }
    return QStringLiteral("the unit's reply to the login was damaged or incomplete");
}

QString deleteFailure(StepRecord::Result result, int ms)
{
    using R = StepRecord::Result;
    switch (result) {
    case R::Refused:
        return QStringLiteral("the unit refused to delete its history");
    case R::TimedOut:
        return QStringLiteral("no reply from the unit within %1 ms to the delete. It is unknown "
                              "whether the unit deleted its log: read the history to see.")
            .arg(ms);
    default:
        break;
    }
    return QStringLiteral("the delete got no usable reply; the history may be kept");
}

QString transferFailure(const StepRecord &r, const Outcome &o, int ms)
{
    using R = StepRecord::Result;
    const int count = areaMap(o.area).pages;
    const int page = o.page > 0 ? o.page : qMin(o.pagesDone + 1, count);
    const QString pageText = QStringLiteral("%1 page %2 of %3").arg(areaName(o.area)).arg(page).arg(count);
    if (r.kind == StepRecord::Kind::Read) {
        switch (r.result) {
        case R::TimedOut:
            return QStringLiteral("no reply from the unit within %1 ms to %2").arg(ms).arg(pageText);
        case R::PortLost:
            return QStringLiteral("the unit went away (its port closed) while reading %1").arg(pageText);
        case R::Stopped:
            return QStringLiteral("reading %1 was stopped").arg(pageText);
        default:
            break;
        }
        return QStringLiteral("the unit's reply to %1 was damaged or incomplete").arg(pageText);
    }
    const QString behind = leftBehind(o);
    switch (r.result) {
    case R::Refused:
        return QStringLiteral("%1 refused by the unit: %2 not saved. %3")
            .arg(pageText, pageContents(o.area, page), behind);
    case R::TimedOut:
        return QStringLiteral("no reply from the unit within %1 ms to %2. %3").arg(ms).arg(pageText, behind);
    case R::PortLost:
        return QStringLiteral("the unit went away (its port closed) while saving %1. %2")
            .arg(pageText, behind);
    case R::Stopped:
        return QStringLiteral("saving %1 was stopped. %2").arg(pageText, behind);
    default:
        break;
    }
    return QStringLiteral("the unit's reply to %1 was damaged. %2").arg(pageText, behind);
}

} // namespace

QString stepName(StepRecord::Kind kind, Area area)
{
    using K = StepRecord::Kind;
    switch (kind) {
    case K::LogIn:
        return QStringLiteral("log in");
    case K::Read:
        return QStringLiteral("read ") + areaName(area);
    case K::Save:
        return QStringLiteral("save ") + areaName(area);
    case K::Verify:
        return QStringLiteral("verify ") + areaName(area);
    case K::IdentityCheck:
        return QStringLiteral("check identity");
    case K::RemovalCheck:
        return QStringLiteral("check removals");
    case K::ArchiveHistory:
        return QStringLiteral("archive history");
    case K::DeleteHistory:
        return QStringLiteral("delete history");
    case K::Check:
        break;
    }
    return QStringLiteral("check");
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

QString stepDoing(StepRecord::Kind kind, Area area)
{
    using K = StepRecord::Kind;
    switch (kind) {
    case K::LogIn:
        return QStringLiteral("logging in");
    case K::Read:
        return QStringLiteral("reading ") + areaName(area);
    case K::Save:
        return QStringLiteral("saving ") + areaName(area);
    case K::DeleteHistory:
        return QStringLiteral("deleting the history");
    case K::Verify:
    case K::IdentityCheck:
    case K::RemovalCheck:
    case K::ArchiveHistory:
    case K::Check:
        break;
    }
    return QStringLiteral("checking");
}

QString pageLine(Area area, int page, int pages, bool saved)
{
    return QStringLiteral("%1 page %2 of %3 %4")
        .arg(areaName(area))
        .arg(page)
        .arg(pages)
        .arg(saved ? QStringLiteral("saved") : QStringLiteral("read"));
}

QString operationFailure(const StepRecord &r, int timeoutMs)
{
    switch (r.kind) {
    case StepRecord::Kind::LogIn:
        return loginFailure(r.result, timeoutMs);
    case StepRecord::Kind::DeleteHistory:
        return deleteFailure(r.result, timeoutMs);
    case StepRecord::Kind::Read:
    case StepRecord::Kind::Save:
        if (r.outcome) return transferFailure(r, *r.outcome, timeoutMs);
        break;
    default:
        break;
    }
    return {};
}

QString saveNotStarted(Area area, const QString &refusal)
{
    if (area == Area::History) return QStringLiteral("the history cannot be written");
    return QStringLiteral("the %1 cannot be saved").arg(areaName(area)) +
           (refusal.isEmpty() ? QString() : QStringLiteral(": ") + refusal);
}

QString leftBehindText(const StepRecord &r)
{
    return r.outcome && r.outcome->writing ? leftBehind(*r.outcome) : QString();
}

QString interruptAccount(const QString &how, const StepRecord *running)
{
    if (!running) return QStringLiteral("%1 between steps").arg(how);
    switch (running->kind) {
    case StepRecord::Kind::Save: {
        const QString behind = leftBehindText(*running);
        return QStringLiteral("%1 while saving the %2: %3")
            .arg(how, areaName(running->area),
                 behind.isEmpty() ? QStringLiteral("nothing of it was sent") : behind);
    }
    case StepRecord::Kind::DeleteHistory:
        return QStringLiteral(
                   "%1 while deleting the history: it is unknown whether the unit deleted its log: "
                   "read the history to see.")
            .arg(how);
    default:
        break;
    }
    return QStringLiteral("%1 while %2; nothing was being written")
        .arg(how, stepDoing(running->kind, running->area));
}

} // namespace zc::cli
