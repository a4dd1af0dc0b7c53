// An area in words, as the window's questions and the command line's lines name it
// ("settings", "number list", "history").
#pragma once

#include "link/address_map.h"

#include <QString>

namespace zc {

QString areaName(Area area);

} // namespace zc
