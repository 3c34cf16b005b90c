// The font text of the output formats' fonts, as the configuration file gives it.
#include "fuzz/font_text_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return glyfex::fuzz::readFontText(data, size);
}
