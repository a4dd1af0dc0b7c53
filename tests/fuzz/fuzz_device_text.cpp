// Device texts: any bytes shown as text and saved again give back exactly those bytes, and
// cutting to a field never yields more bytes than the field.
#include "link/device_text.h"

#include <cstdlib>

using namespace zc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = DeviceText::fromBytes(bytes);
    if (DeviceText::toBytes(text) != bytes)
        std::abort();
    const int limit = size ? data[0] % 48 : 0;
    if (DeviceText::toBytesCut(text, limit).size() > limit)
        std::abort();
    return 0;
}
