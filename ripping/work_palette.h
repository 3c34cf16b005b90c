// The 256-colour palette of the coloured work picture, built from the DVD palette.
#pragma once

#include "ripping/batch_state.h"

#include <array>
#include <cstdint>

namespace glyfex::ripping {

// Entries 0-15 the DVD colours, 16-31 the same inverted, 32 red (255, 51, 51), 33 blue (51, 51, 255),
// the rest black; every entry 0x00BBGGRR like the DVD palette.
std::array<uint32_t, 256> workPicturePalette(const DvdPalette &dvd);

} // namespace glyfex::ripping
