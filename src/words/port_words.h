// The port in words, for the window and the command line alike: what the user can do about
// a port that would not open or was lost, and how the port list shows a port.
#pragma once

#include "link/port_problem.h"

#include <QString>

namespace zc {

class ECommsError;
struct PortEntry;

// What the user can do about it ("You are not allowed to use /dev/ttyUSB0. Add your user
// to the dialout group …"); empty for Kind::None.
QString portAdvice(const PortProblem &problem);
// A failed open's advice: its problem in words.
QString portAdvice(const ECommsError &error);
// A port as the port list shows it: its name, or "Simulated unit (NAME)".
QString portShown(const PortEntry &port);

} // namespace zc
