// The window's words for the audit's findings: a short title for the line above a page's
// grid and a sentence with the fix for its Details list.
#pragma once

#include "audit/audit_rules.h"

#include <QList>
#include <QString>

namespace zc::FindingWords {

// "factory password", "every caller may open the gate", "2 windows ended".
QString title(const Audit::Finding &finding);
// "2 risks: factory password; every caller may open the gate"; "" when there is none.
QString line(const QList<Audit::Finding> &findings);
// What it is, where, and what to do: one entry of the Details list.
QString detail(const Audit::Finding &finding, int withinDays = Audit::kDefaultWithinDays);

} // namespace zc::FindingWords
