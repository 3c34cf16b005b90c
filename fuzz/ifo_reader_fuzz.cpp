// Fuzz target: the title-set IFO reader over arbitrary bytes must answer with a value or an error, never crash.
#include "ripping/ifo_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    auto info = glyfex::ripping::parseIfo(bytes);
    auto palette = glyfex::ripping::parseIfoPalette(bytes);
    // Both read the same chain: one accepting and the other refusing would be a fault.
    if (info.ok() != palette.ok() || (info.ok() && info->palette != *palette)) __builtin_trap();
    return 0;
}
