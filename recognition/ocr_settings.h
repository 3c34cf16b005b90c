// The recognition tuning block read by segmentation, matching and spacing; all distances in pixels.
#pragma once

#include <cstdint>

namespace glyfex::recognition {

// Saved in the INI section "OCR SETTING" under keys named like the fields and edited in the
// Advanced OCR Setup dialog. Values may come from a hand-edited file, so readers must not assume the
// dialog's ranges (for example maxLineHeight can exceed the 45-row glyph bitmap).
struct OcrSettings {
    uint8_t minLineHeight = 8;     // an empty row ends a line only this many rows below its top
    uint8_t minInterLine = 2;      // ink blocks closer than this vertically form one line
    uint8_t maxLineHeight = 45;    // taller lines are dropped
    uint8_t minCharWidth = 2;      // smaller glyphs get no box; also the width before a gap ends a glyph
    uint8_t minCharHeight = 2;
    int32_t spaceWidth = 7;        // gap that makes a space
    bool checkDetachedChar = true; // join ink that touches a glyph only diagonally on its left
    uint16_t sensibility = 980;    // match threshold, per mille
    uint8_t maxCharDiffHeight = 2; // size and top-offset tolerances of a match
    uint8_t maxCharDiffWidth = 2;
    uint8_t maxCharDiffTop = 6;

    friend bool operator==(const OcrSettings &, const OcrSettings &) = default;
};

} // namespace glyfex::recognition
