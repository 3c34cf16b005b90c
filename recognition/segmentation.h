// Splits a work picture into text lines and character boxes, painting each glyph with its marker code.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "recognition/char_box.h"
#include "recognition/ocr_settings.h"
#include "picture/code_image.h"

#include <array>
#include <cstdint>
#include <vector>

namespace glyfex::recognition {

// The pixel codes that count as ink; 255 means "none" and matches no pixel.
struct InkCodes {
    uint8_t text = 255;
    uint8_t outline = 255;

    bool isInk(uint8_t code) const { return code != 255 && (code == text || code == outline); }
    friend bool operator==(const InkCodes &, const InkCodes &) = default;
};

struct Segmentation {
    std::vector<TextLine> lines; // at most kMaxLines
    // A glyph wider than the 80-pixel glyph bitmap gave the whole picture up: no lines, and the picture
    // must be treated as one that yielded no text (not silently dropped).
    bool glyphTooWide = false;
    // Lines passed over (taller than the tallest line read, or after the tenth), each given as the
    // number of lines read above it, so that the subtitle can show where text is missing. An accent
    // band just above a line passed over is part of that line, not a line read.
    std::vector<int> unreadLines;
};

// Finds the lines and boxes of `image` and leaves the marker paint in it: glyph descriptors read each
// box's pixels by its marker code. codeColours gives the displayed colour (0x00RRGGBB) of each pixel code
// 0..3, from which each line takes the colour of its first glyph.
// reduced says that image is a reduced work picture (picture_reduction.h), where one empty row stands
// for a gap of several rows: there a block that is a line of its own is never glued to the line above.
Segmentation segmentSubtitle(picture::CodeImage &image, InkCodes ink, const std::array<uint32_t, 4> &codeColours,
                             const OcrSettings &settings, bool reduced = false);

} // namespace glyfex::recognition
