// The command line's words for the audit's findings: what each one means, what it concerns
// and how to fix it. The rules themselves are in audit/audit_rules.h.
#pragma once

#include "audit/audit_rules.h"

#include <QString>

namespace zc::cli {

// One line: what the finding means for the gate.
QString findingExplanation(const Audit::Finding &finding, int withinDays);
// What it concerns: "item 1", "rows 3, 7", "records 12"; "" when nothing in particular.
// names, when given, holds one name per row or record ("" for none): "rows 3 (Anna Berg), 7".
QString findingPlace(const Audit::Finding &finding, const QStringList &names = {});
// What to do about it.
QString findingFix(const Audit::Finding &finding);

} // namespace zc::cli
