// Fuzz target: the video player over arbitrary bytes as a video file must open or refuse, and give frames
// of its own size or an error, never crash or read outside a buffer.
#include "fuzz/avi_player_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return glyfex::fuzz::playVideoBytes(data, size);
}
