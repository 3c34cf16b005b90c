// Character boxes and text lines that segmentation finds in a work picture, and the marker codes it paints.
#pragma once

#include <cstdint>
#include <vector>

namespace glyfex::recognition {

// The two marker codes glyphs are painted with, alternately: the glyph found when its line already has k
// boxes gets kFillMarkers[k & 1]. Box i (0-based) of a line therefore carries markerOfBox(i).
inline constexpr uint8_t kFillMarkers[2] = {5, 6};
constexpr uint8_t markerOfBox(int index) { return kFillMarkers[index & 1]; }

// A glyph's box in picture coordinates. dy is y minus the top row of its line.
struct CharBox {
    int x = 0;
    int y = 0;
    int width = 0;  // right - left + 1
    int height = 0; // bottom - top + 1
    int dy = 0;

    int right() const { return x + width - 1; }
    int bottom() const { return y + height - 1; }
    friend bool operator==(const CharBox &, const CharBox &) = default;
};

// The largest glyph bitmap: a wider glyph gives its picture up, a taller box is cut.
inline constexpr int kGlyphMaxWidth = 80;
inline constexpr int kGlyphMaxHeight = 45;

inline constexpr int kMaxLines = 10;
inline constexpr int kMaxBoxesPerLine = 500;

// One text line: its boxes from left to right (at most kMaxBoxesPerLine) and the colour of its first
// glyph as 0x00RRGGBB.
struct TextLine {
    int top = 0;
    int bottom = 0;
    std::vector<CharBox> boxes;
    uint32_t colour = 0;
};

} // namespace glyfex::recognition
