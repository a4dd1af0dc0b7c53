// The contents the simulated unit can start with.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zc::devsim {

enum class Preset {
    Factory, // as the unit leaves the factory: default settings, empty list, empty log
    Blank,   // never configured: every byte 0xFF
    Demo,    // factory settings, about 40 numbers and about 300 history records
};

// "factory", "blank" or "demo" (any case).
std::optional<Preset> presetFromName(const QString &name);

// The 512 settings bytes, the 32000 number list bytes and the 128000 history bytes of a preset.
// Every preset is the same on every run.
QByteArray presetSettings(Preset preset);
QByteArray presetNumbers(Preset preset);
QByteArray presetHistory(Preset preset);

} // namespace zc::devsim
