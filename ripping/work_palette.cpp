// Work picture palette: the DVD colours, their inverses and two marker colours.
#include "ripping/work_palette.h"

namespace glyfex::ripping {

std::array<uint32_t, 256> workPicturePalette(const DvdPalette &dvd)
{
    std::array<uint32_t, 256> out{};
    for (size_t i = 0; i < 16; ++i) {
        out[i] = dvd[i] & 0xFFFFFF;
        out[16 + i] = ~dvd[i] & 0xFFFFFF; // each component 255 - value
    }
    out[32] = 0x3333FF; // red (255, 51, 51)
    out[33] = 0xFF3333; // blue (51, 51, 255)
    return out;
}

} // namespace glyfex::ripping
