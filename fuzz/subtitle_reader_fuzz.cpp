// Subtitle text files: the loader with its format detection, and each of the 14 readers on any bytes.
#include "fuzz/subtitle_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return glyfex::fuzz::readSubtitleFile(data, size);
}
