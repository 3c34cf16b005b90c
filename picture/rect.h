// The one rectangle of the program: inclusive pixel edges, as subpictures, subtitle files and crops give them.
#pragma once

#include <cstdint>

namespace glyfex::picture {

// left..right and top..bottom are all inside: a single pixel is {x, y, x, y}.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left + 1; }
    int32_t height() const { return bottom - top + 1; }
    friend bool operator==(const Rect &, const Rect &) = default;
};

} // namespace glyfex::picture
