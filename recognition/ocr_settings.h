// The recognition tuning block read by segmentation, matching and spacing; all distances in pixels.
#pragma once

namespace glyfex::recognition {

// Saved in the INI section "OCR SETTING" under keys named like the fields and edited in the
// Advanced OCR Setup dialog. Values may come from a hand-edited file, so they are plain ints that pass
// through unchanged, and readers must not assume the dialog's ranges (maxLineHeight above the 45-row
// glyph bitmap, say).
struct OcrSettings {
    int minLineHeight = 8;         // an empty row ends a line only this many rows below its top
    int minInterLine = 2;          // ink blocks closer than this vertically form one line
    int maxLineHeight = 45;        // taller lines are dropped
    int minCharWidth = 2;          // smaller glyphs get no box; also the width before a gap ends a glyph
    int minCharHeight = 2;
    int spaceWidth = 7;            // gap that makes a space
    bool checkDetachedChar = true; // join ink that touches a glyph only diagonally on its left
    int sensibility = 980;         // match threshold, per mille
    int maxCharDiffHeight = 2;     // size and top-offset tolerances of a match
    int maxCharDiffWidth = 2;
    int maxCharDiffTop = 6;

    friend bool operator==(const OcrSettings &, const OcrSettings &) = default;
};

} // namespace glyfex::recognition
