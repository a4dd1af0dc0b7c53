// The simulated unit's request side: any byte stream is split into requests and answered
// without crashing, and every reply it builds is a whole frame.
#include "devsim/device_core.h"

#include <cstdlib>

using namespace zc::devsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Options o;
    DeviceCore core(o);
    const auto result = core.receive(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const auto &reply : result.replies)
        if (!reply.frame.isEmpty() && reply.frame.size() < 9)
            std::abort();
    return 0;
}
