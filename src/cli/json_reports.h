// The JSON documents zarvento-cli writes for programs to read. Every document is an object
// whose "format" names its shape ("zarvento-cli/settings", "zarvento-cli/report", ...) and
// whose "version" counts its changes: a program checks both before it reads on. A new key
// may appear within a version; a key is never renamed or given another meaning without a
// new version.
#pragma once

#include "cli/unit_job.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace zc::cli {

inline constexpr int kJsonVersion = 1;

// The document's object with "format": "zarvento-cli/<kind>" and "version" in front.
QJsonObject jsonDocument(const QString &kind);
// "" when top is a document of this kind that this program reads (or carries no "format"
// at all, as files written by hand may not), else why not.
QString jsonKindProblem(const QJsonObject &top, const QString &kind);

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
