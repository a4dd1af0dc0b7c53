// The JSON documents zarvento-cli writes about its runs for programs to read: the diff and
// the provision or restore report, each in the envelope of sheets/json_envelope.h.
#pragma once

#include "cli/unit_job.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace zc::cli {

// What writing the area's pages `written` would change on a unit that holds `unit`: one
// entry per settings item or list row with its kind and both sides as the window shows them.
QByteArray diffJson(Area area, const QString &port, const QList<PageBytes> &unit,
                    const QList<PageBytes> &written);

// One unit's entry in a provision or restore report: its port and identity, its exit code,
// each step and how it ended, and after a failure what the unit holds.
QJsonObject unitReport(const UnitJob &job, bool verifyAsked);
// The whole report of a provision or restore run.
QByteArray runReport(const QString &command, const QList<UnitJob *> &jobs, bool verifyAsked);

// The areas whose save left nothing on the unit: it never ran because an earlier step
// failed, or it ended before the unit took a page.
QList<Area> notWritten(const UnitJob &job);
// A save of the job did not leave its whole area on the unit.
bool incomplete(const UnitJob &job);

} // namespace zc::cli
