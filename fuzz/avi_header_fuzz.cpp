// Fuzz target: the AVI header reader over arbitrary bytes must answer with a value or an error, never crash or overflow.
#include "subtitles/avi_header.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto header = glyfex::subtitles::parseAviHeader({data, size});
    if (header.ok()) {
        if (header->scale == 0) __builtin_trap();
        auto length = glyfex::subtitles::aviLength(*header);
        if (length.ok() && glyfex::core::timeCodeToMilliseconds(*length) < 0) __builtin_trap();
    }
    return 0;
}
