// The contents the simulated unit can start with.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace zc::devsim {

enum class Preset {
    Factory, // as the unit leaves the factory: default settings, empty list, empty log
    Blank,   // never configured: every byte 0xFF
    Demo,    // factory settings, about 40 numbers and about 300 history records
    Clean,   // a well-kept unit: own password and SIM number, only listed callers open, a few
             // numbers allowed now, a short log whose power came back; the audit finds nothing
};

// "factory", "blank", "demo" or "clean" (any case).
std::optional<Preset> presetFromName(const QString &name);

// The 512 settings bytes, the 32000 number list bytes and the 128000 history bytes of a preset.
// Every preset is the same on every run.
QByteArray presetSettings(Preset preset);
QByteArray presetNumbers(Preset preset);
QByteArray presetHistory(Preset preset);

// The audit rules a unit can be seeded with: each changes a clean unit so that the audit
// finds that rule's case and nothing else (with the log read too).
QStringList seedNames();
// Seeds the image (settings, list and log, as DeviceMemory lays them out) with the rule's
// case, dated around now; false for a name seedNames() does not give.
bool seedImage(const QString &rule, QByteArray &image, const QDateTime &now);

} // namespace zc::devsim
