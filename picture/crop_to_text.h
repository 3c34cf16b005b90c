// Crop to text: trims a work picture to the bounding box of the pixels that differ from a background code.
#pragma once

#include "picture/code_image.h"
#include "picture/rect.h"

#include <cstdint>
#include <optional>

namespace glyfex::picture {

// A text pixel is any pixel whose code differs from background. The top edge is the first of two
// adjacent rows that both hold text, so a lone stray row above the text is cut away; the bottom edge
// is the last row holding text, even a lone one. When the picture holds no such pair of rows it is
// left exactly as it was and nothing is returned; otherwise it is replaced in place (no new memory)
// by the block inside the returned box, in the coordinates of the picture as it was before trimming. Any picture height works.
std::optional<Rect> cropToText(CodeImage &picture, uint8_t background);

} // namespace glyfex::picture
