// The check made before the settings are saved: a text longer than its field on the unit
// would be cut, so the user is told which items and asked before anything is sent.
#pragma once

#include <QString>

namespace zc {

class SettingsModel;

namespace SettingsCheck {

// The question naming every text item whose bytes exceed its field (what the unit would
// keep and what would be lost, at most 40 characters of each), ending in whether to save
// anyway; empty when every text fits.
QString cutQuestion(const SettingsModel &model);

} // namespace SettingsCheck
} // namespace zc
