// Four-connected flood fill on the work picture, used to paint glyphs with their marker codes.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "picture/code_image.h"

#include <cstdint>

namespace glyfex::recognition {

// Repaints with newCode the region of edge-adjacent pixels that share the code of (x, y), over the whole
// picture. Returns the number of pixels painted: 0 when (x, y) is outside the picture or already has
// newCode.
int floodFill(picture::CodeImage &image, int x, int y, uint8_t newCode);

} // namespace glyfex::recognition
