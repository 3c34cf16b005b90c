// Fuzz target: the VobSub index reader and its timing pre-scan over arbitrary text must answer with a
// value or an error, never crash or overflow.
#include "ripping/vobsub_index.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    // The first byte picks the stream to pre-scan, the rest is the index.
    const int stream = data[0] % 34 - 1; // -1 and 32 lie outside the table on purpose
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    auto index = glyfex::ripping::parseVobSubIndex(text);
    auto timing = glyfex::ripping::prescanVobSubTimes(text, stream);
    if (timing.ok())
        for (const auto &unit : timing->units)
            if (unit.filePos < 0) __builtin_trap();
    (void)index;
    return 0;
}
