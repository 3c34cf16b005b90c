// The picture as it is exported and shown, and the seam that turns a decoded picture into it.
#pragma once

#include "core/bmp_writer.h"
#include "picture/decoded_picture.h"
#include "picture/rect.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace glyfex::picture {

// A picture ready for a bitmap file, and where it lies on the frame. An empty picture (width or
// height 0) has no file: problem says why, and the picture is skipped. A picture that is there may
// still carry a problem, a warning about how it was made (cut to the frame).
struct ExportedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;    // width x height palette indices, rows top down
    std::vector<uint32_t> palette;  // 0x00BBGGRR
    Rect rect;
    int bitsPerPixel = 8;           // of the file: 4 or 8
    bool compress = false;          // the file is run-length compressed
    QString problem;
    bool empty() const { return width <= 0 || height <= 0; }
    core::IndexedPicture indexed() const { return {width, height, pixels, palette, bitsPerPixel}; }
};

// The bitmap-export engine implements it with its presets; the ripping pass has a plain one that
// keeps the picture as decoded.
class ExportRenderer {
public:
    virtual ~ExportRenderer() = default;
    virtual void render(const DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette, ExportedPicture &out) = 0;
};

} // namespace glyfex::picture
