// SIGTERM, SIGHUP and SIGINT end the window at once, through the event loop: what runs on
// the unit stops, standard error says what the unit then holds (the status line's
// sentence) and whether edits went unsaved, and the program leaves its event loop with
// 128 + the signal's number. Nothing asks first: the window goes away whatever the answer.
#pragma once

namespace zc {

class TForm1;

// From now on the signals end the window as said above.
void endWindowOnSignals(TForm1 &window);

} // namespace zc
