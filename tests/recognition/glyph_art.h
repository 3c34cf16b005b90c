// Glyphs written as ASCII art in tests: '#' is ink, anything else is not.
#pragma once

#include "recognition/glyph.h"

#include <string>
#include <vector>

namespace glyfex::test {

// A glyph from art: '#' is ink; width and height are those of the art.
inline recognition::Glyph glyphFromArt(const std::vector<std::string> &rows, int dy = 0)
{
    recognition::Glyph g;
    g.height = uint8_t(rows.size());
    g.width = uint8_t(rows.empty() ? 0 : rows.front().size());
    g.dy = uint8_t(dy);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            g.setPixel(int(x), int(y), rows[y][x] == '#');
    return g;
}

// A glyph width x height whose ink fills its first inkWidth columns (all of them by default).
inline recognition::Glyph inkBlock(int width, int height, int inkWidth = -1, int dy = 0)
{
    recognition::Glyph g;
    g.width = uint8_t(width);
    g.height = uint8_t(height);
    g.dy = uint8_t(dy);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < (inkWidth < 0 ? width : inkWidth); ++x)
            g.setPixel(x, y, true);
    return g;
}

} // namespace glyfex::test
