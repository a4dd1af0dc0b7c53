#include "cli/json_reports.h"

#include "numbers/numbers_diff.h"
#include "settings/settings_diff.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace zc::cli {

namespace {

const QString kPrefix = QStringLiteral("zarvento-cli/");

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

QJsonObject stepJson(const StepRecord &r)
{
    QJsonObject o{{QStringLiteral("step"), r.name}, {QStringLiteral("outcome"), r.outcome}};
    if (r.hasArea) {
        o.insert(QStringLiteral("area"), areaName(r.area));
        o.insert(QStringLiteral("pages_done"), r.pagesDone);
        o.insert(QStringLiteral("page_count"), r.pageCount);
        o.insert(QStringLiteral("page"), r.page > 0 ? QJsonValue(r.page) : QJsonValue());
    }
    if (r.differences >= 0) o.insert(QStringLiteral("differences"), r.differences);
    if (!r.message.isEmpty()) o.insert(QStringLiteral("message"), r.message);
    // A save that ended early: what the unit holds, as numbers and in words.
    if (r.name.startsWith(QLatin1String("save ")) && r.outcome != QLatin1String("completed") &&
        r.outcome != QLatin1String("skipped")) {
        const int uncertain = r.pageUncertain ? r.pagesDone + 1 : 0;
        o.insert(
            QStringLiteral("unit_holds"),
            QJsonObject{{QStringLiteral("pages_saved"), r.pagesDone},
                        {QStringLiteral("page_uncertain"), uncertain ? QJsonValue(uncertain) : QJsonValue()},
                        {QStringLiteral("pages_not_saved_from"),
                         (uncertain ? uncertain : r.pagesDone) + 1 <= r.pageCount
                             ? QJsonValue((uncertain ? uncertain : r.pagesDone) + 1)
                             : QJsonValue()},
                        {QStringLiteral("page_count"), r.pageCount},
                        {QStringLiteral("text"), r.leftBehind}});
    }
    return o;
}

} // namespace

QJsonObject jsonDocument(const QString &kind)
{
    return QJsonObject{{QStringLiteral("format"), kPrefix + kind}, {QStringLiteral("version"), kJsonVersion}};
}

QString jsonKindProblem(const QJsonObject &top, const QString &kind)
{
    const QJsonValue format = top.value(QLatin1String("format"));
    if (format.isUndefined()) return {};
    if (format.toString() != kPrefix + kind)
        return QStringLiteral("the JSON is a \"%1\" document, not \"%2\"")
            .arg(format.toString(), kPrefix + kind);
    const int version = top.value(QLatin1String("version")).toInt(0);
    if (version < 1 || version > kJsonVersion)
        return QStringLiteral("the JSON has version %1; this program reads version %2")
            .arg(top.value(QLatin1String("version")).toVariant().toString())
            .arg(kJsonVersion);
    return {};
}

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
                            {QStringLiteral("text"), l.text}});
    } else {
        for (const AreaDiff::Line &l : NumbersDiff::compare(unit, written).lines)
            changes.append(
                QJsonObject{{QStringLiteral("row"), l.at},
                            {QStringLiteral("kind"), kindName(l.kind)},
                            {QStringLiteral("unit"), NumbersDiff::rowText(NumbersDiff::rowOf(unit, l.at))},
                            {QStringLiteral("file"), NumbersDiff::rowText(NumbersDiff::rowOf(written, l.at))},
                            {QStringLiteral("text"), l.text}});
    }
    QJsonObject top = jsonDocument(QStringLiteral("diff"));
    top.insert(QStringLiteral("area"), areaName(area));
    top.insert(QStringLiteral("port"), port);
    top.insert(QStringLiteral("changes"), changes);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QStringList notWritten(const UnitJob &job)
{
    QStringList areas;
    for (const StepRecord &r : job.records())
        if (r.hasArea && r.name.startsWith(QLatin1String("save ")) && r.outcome == QLatin1String("skipped"))
            areas << areaName(r.area);
    return areas;
}

QJsonObject unitReport(const UnitJob &job, bool verifyAsked)
{
    const bool ok = job.exit() == Exit::Done;
    QStringList written, verified;
    for (const QString &d : job.done) {
        if (d.endsWith(QLatin1String(" written"))) written << d.chopped(8);
        if (d.endsWith(QLatin1String(" verified"))) verified << d.chopped(9);
    }
    QStringList errors;
    for (const QString &m : job.messages())
        errors << m.mid(job.port().size() + 2);
    QJsonArray steps;
    for (const StepRecord &r : job.records())
        steps.append(stepJson(r));
    return QJsonObject{
        {QStringLiteral("port"), job.port()},
        {QStringLiteral("path"), textOrNull(job.resolved().path)},
        {QStringLiteral("usb_serial"), textOrNull(job.resolved().usbSerial)},
        {QStringLiteral("exit"), int(job.exit())},
        {QStringLiteral("result"), ok ? QStringLiteral("ok") : QStringLiteral("failed")},
        {QStringLiteral("written"), QJsonArray::fromStringList(written)},
        {QStringLiteral("verified"), verifyAsked && ok},
        {QStringLiteral("verified_areas"), QJsonArray::fromStringList(verified)},
        {QStringLiteral("not_written"), QJsonArray::fromStringList(notWritten(job))},
        {QStringLiteral("steps"), steps},
        {QStringLiteral("error"), errors.isEmpty() ? QJsonValue() : QJsonValue(errors.join(u'\n'))}};
}

QByteArray runReport(const QString &command, const QList<UnitJob *> &jobs, bool verifyAsked)
{
    QJsonArray units;
    for (const UnitJob *job : jobs)
        units.append(unitReport(*job, verifyAsked));
    QJsonObject top = jsonDocument(QStringLiteral("report"));
    top.insert(QStringLiteral("command"), command);
    top.insert(QStringLiteral("units"), units);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace zc::cli
