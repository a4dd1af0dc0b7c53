#include "cli/json_reports.h"

#include "numbers/numbers_diff.h"
#include "settings/settings_diff.h"
#include "words/diff_words.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"
#include "sheets/json_envelope.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace zc::cli {

namespace {

QString kindName(AreaDiff::Kind kind)
{
    switch (kind) {
    case AreaDiff::Kind::Added:
        return QStringLiteral("added");
    case AreaDiff::Kind::Removed:
        return QStringLiteral("removed");
    case AreaDiff::Kind::Changed:
        break;
    }
    return QStringLiteral("changed");
}

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// What a save that ended early left on the unit: pages saved, the page that may or may not
// be saved, the first page not saved, and the same in words.
QJsonObject unitHolds(const StepRecord &r)
{
    const int done = r.pagesDone(), count = r.pageCount();
    const int uncertain = r.pageUncertain() ? done + 1 : 0;
    const int notFrom = (uncertain ? uncertain : done) + 1;
    return QJsonObject{
        {QStringLiteral("pages_saved"), done},
        {QStringLiteral("page_uncertain"), uncertain ? QJsonValue(uncertain) : QJsonValue()},
        {QStringLiteral("pages_not_saved_from"), notFrom <= count ? QJsonValue(notFrom) : QJsonValue()},
        {QStringLiteral("page_count"), count},
        {QStringLiteral("text"), leftBehindText(r)}};
}

QJsonObject stepJson(const StepRecord &r)
{
    QJsonObject o{{QStringLiteral("step"), stepName(r.kind, r.area)},
                  {QStringLiteral("outcome"), resultName(r.result)}};
    if (r.movesPages()) {
        o.insert(QStringLiteral("area"), areaName(r.area));
        o.insert(QStringLiteral("pages_done"), r.pagesDone());
        o.insert(QStringLiteral("page_count"), r.pageCount());
        o.insert(QStringLiteral("page"), r.page() > 0 ? QJsonValue(r.page()) : QJsonValue());
    }
    if (r.differences >= 0) o.insert(QStringLiteral("differences"), r.differences);
    if (!r.message.isEmpty()) o.insert(QStringLiteral("message"), r.message);
    // A save that ended early: what the unit holds, as numbers and in words.
    if (r.isSave() && r.result != StepRecord::Result::Completed && r.result != StepRecord::Result::Skipped)
        o.insert(QStringLiteral("unit_holds"), unitHolds(r));
    return o;
}

QStringList areaNames(const QList<Area> &areas)
{
    QStringList out;
    for (Area a : areas)
        out << areaName(a);
    return out;
}

} // namespace

QByteArray diffJson(Area area, const QString &port, const QList<PageBytes> &unit,
                    const QList<PageBytes> &written)
{
    QJsonArray changes;
    if (area == Area::Settings) {
        const auto held = SettingsDiff::decode(unit), sent = SettingsDiff::decode(written);
        for (const AreaDiff::Line &l : SettingsDiff::compare(unit, written).lines)
            changes.append(
                QJsonObject{{QStringLiteral("item"), l.at},
                            {QStringLiteral("name"), QString::fromUtf8(SettingsItems::find(l.at)->name)},
                            {QStringLiteral("kind"), kindName(l.kind)},
                            {QStringLiteral("unit"), SettingsDiff::shownItem(*held, l.at)},
                            {QStringLiteral("file"), SettingsDiff::shownItem(*sent, l.at)},
                            {QStringLiteral("text"), diffLine(l)}});
    } else {
        for (const AreaDiff::Line &l : NumbersDiff::compare(unit, written).lines)
            changes.append(
                QJsonObject{{QStringLiteral("row"), l.at},
                            {QStringLiteral("kind"), kindName(l.kind)},
                            {QStringLiteral("unit"), numberRowWords(NumbersDiff::rowOf(unit, l.at))},
                            {QStringLiteral("file"), numberRowWords(NumbersDiff::rowOf(written, l.at))},
                            {QStringLiteral("text"), diffLine(l)}});
    }
    QJsonObject top = JsonEnvelope::document(QStringLiteral("diff"));
    top.insert(QStringLiteral("area"), areaName(area));
    top.insert(QStringLiteral("port"), port);
    top.insert(QStringLiteral("changes"), changes);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QList<Area> notWritten(const UnitJob &job)
{
    QList<Area> areas;
    for (const StepRecord &r : job.records())
        if (r.isSave() && r.held() == StepRecord::Held::Nothing) areas << r.area;
    return areas;
}

bool incomplete(const UnitJob &job)
{
    for (const StepRecord &r : job.records())
        if (r.isSave() && r.held() != StepRecord::Held::Whole) return true;
    return false;
}

QJsonObject unitReport(const UnitJob &job, bool verifyAsked)
{
    const bool ok = job.exit() == Exit::Done;
    // Each area a save was asked for is written whole, partly (what the unit holds is
    // given) or not at all; a verify step that found nothing verifies its area.
    QStringList written, verified;
    QJsonArray partly;
    for (const StepRecord &r : job.records()) {
        if (r.isSave() && r.held() == StepRecord::Held::Whole) written << areaName(r.area);
        if (r.isSave() && r.held() == StepRecord::Held::Part)
            partly.append(QJsonObject{{QStringLiteral("area"), areaName(r.area)},
                                      {QStringLiteral("unit_holds"), unitHolds(r)}});
        if (r.verified()) verified << areaName(r.area);
    }
    const QStringList &errors = job.lines();
    QJsonArray steps;
    for (const StepRecord &r : job.records())
        steps.append(stepJson(r));
    QJsonObject unit{
        {QStringLiteral("port"), job.port()},
        {QStringLiteral("path"), textOrNull(job.resolved().path)},
        {QStringLiteral("usb_serial"), textOrNull(job.resolved().usbSerial)},
        {QStringLiteral("exit"), int(job.exit())},
        {QStringLiteral("result"), ok ? QStringLiteral("ok") : QStringLiteral("failed")},
        {QStringLiteral("written"), QJsonArray::fromStringList(written)},
        {QStringLiteral("partly_written"), partly},
        {QStringLiteral("verified"), verifyAsked && ok},
        {QStringLiteral("verified_areas"), QJsonArray::fromStringList(verified)},
        {QStringLiteral("not_written"), QJsonArray::fromStringList(areaNames(notWritten(job)))},
        {QStringLiteral("steps"), steps},
        {QStringLiteral("error"), errors.isEmpty() ? QJsonValue() : QJsonValue(errors.join(u'\n'))}};
    if (job.itemsChangedKnown) {
        QJsonArray items;
        for (int item : job.itemsChanged)
            items.append(item);
        unit.insert(QStringLiteral("items_changed"), items);
    }
    return unit;
}

QByteArray runReport(const QString &command, const QList<UnitJob *> &jobs, bool verifyAsked)
{
    QJsonArray units;
    QStringList failed, unfinished;
    for (const UnitJob *job : jobs) {
        units.append(unitReport(*job, verifyAsked));
        if (job->exit() != Exit::Done) failed << job->port();
        if (incomplete(*job)) unfinished << job->port();
    }
    QJsonObject top = JsonEnvelope::document(QStringLiteral("report"));
    top.insert(QStringLiteral("command"), command);
    // What a script that retries needs: the units that failed, and those that hold an area
    // not written whole.
    top.insert(QStringLiteral("failed"), QJsonArray::fromStringList(failed));
    top.insert(QStringLiteral("incomplete"), QJsonArray::fromStringList(unfinished));
    top.insert(QStringLiteral("units"), units);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace zc::cli
