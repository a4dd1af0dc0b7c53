#include "words/area_words.h"

namespace zc {

QString areaName(Area area)
{
    static const char *const kNames[kAreaCount] = {"settings", "number list", "history"};
    return QString::fromLatin1(kNames[int(area)]);
}

} // namespace zc
