// SIGTERM, SIGHUP and SIGINT end the window at once, through the event loop: what runs on
// the unit stops, standard error says what the unit then holds (the status line's
// sentence) and whether edits went unsaved, and the program leaves its event loop with
// 128 + the signal's number. Nothing asks first: the window goes away whatever the answer.
#pragma once

#include "link/outcome.h"

#include <QStringList>

#include <optional>

namespace zc {

class TForm1;

// The lines for standard error: what the running operation left behind, and the edits lost.
QStringList signalAccount(int signalNumber, const std::optional<Outcome> &stopped, bool unsavedEdits);

// From now on the signals end the window as said above.
void endWindowOnSignals(TForm1 &window);

} // namespace zc
