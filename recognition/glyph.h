// A glyph: the 1-bit shape of a character with its place and size, both as a matrix entry and as the
// descriptor built from a character box of a picture; and the builders of descriptors.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "core/char_text.h"
#include "recognition/char_box.h"
#include "picture/code_image.h"

#include <array>
#include <bit>
#include <cstdint>
#include <span>

namespace glyfex::recognition {

// One bitmap row: bit x is pixel x (x = 0 the leftmost), 80 bits used. Keeping rows as machine words
// lets matching and spacing compare a whole row with a few logic operations and bit scans.
using GlyphRow = unsigned __int128;

// Index of the lowest set bit of a non-zero row.
inline int lowestBit(GlyphRow r)
{
    const uint64_t lo = uint64_t(r);
    return lo ? std::countr_zero(lo) : 64 + std::countr_zero(uint64_t(r >> 64));
}
// Index of the highest set bit of a non-zero row.
inline int highestBit(GlyphRow r)
{
    const uint64_t hi = uint64_t(r >> 64);
    return hi ? 127 - std::countl_zero(hi) : 63 - std::countl_zero(uint64_t(r));
}
// Bits 0..n-1 set, for n in 0..127.
inline GlyphRow lowBits(int n) { return (GlyphRow(1) << n) - 1; }

// The text of an entry that stands only for the first part of a run of boxes read as one glyph.
inline constexpr char16_t kTakeWithNext[] = u"take with next";
bool isTakeWithNext(const core::CharText &text);
// Whether the text is one mark of a single stroke that two of side by side make a double quote of: the
// apostrophe, the single quotes and the comma (the low double quote).
bool isQuoteStroke(const core::CharText &text);

// The small fields come first so that they share a cache line with the first rows.
struct Glyph {
    uint8_t dy = 0;     // top of the glyph minus the top of its text line
    uint8_t width = 0;  // 1..80
    uint8_t height = 0; // 1..45
    uint8_t style = 0;  // GlyphStyle flags (subtitles/style_tags.h)
    bool deleted = false;
    core::CharText text;
    // Pixels outside width x height carry no meaning and are never compared; the builders leave them 0.
    std::array<GlyphRow, kGlyphMaxHeight> rows{};

    bool pixel(int x, int y) const
    {
        return x >= 0 && x < kGlyphMaxWidth && y >= 0 && y < kGlyphMaxHeight && ((rows[y] >> x) & 1) != 0;
    }
    void setPixel(int x, int y, bool ink)
    {
        if (x < 0 || x >= kGlyphMaxWidth || y < 0 || y >= kGlyphMaxHeight)
            return;
        const GlyphRow bit = GlyphRow(1) << x;
        rows[y] = ink ? (rows[y] | bit) : (rows[y] & ~bit);
    }
    friend bool operator==(const Glyph &, const Glyph &) = default;
};

// The descriptor of one box: the pixels of the box that carry the marker it was painted with, cut at
// 80 x 45 when the box is larger.
Glyph buildGlyphDescriptor(const picture::CodeImage &image, uint8_t marker, const CharBox &box);

// The descriptor of the run of boxes c..c+n (left to right) or c-n..c (right to left, where the run
// grows towards lower indexes), each box contributing only its own marker pixels inside its own columns.
// Indexes are 0-based into the line's boxes; a run reaching outside them is cut to the boxes there are.
Glyph buildMergedDescriptor(const picture::CodeImage &image, std::span<const CharBox> boxes, int c, int n,
                            bool rightToLeft);

// The same run as spacing measures it: as wide as all its boxes together. The descriptor above ends at
// the last box's right edge, which stored matrices rely on, and so loses the columns of a first box
// reaching further right (a body with a tail below it).
Glyph buildRunShape(const picture::CodeImage &image, std::span<const CharBox> boxes, int c, int n, bool rightToLeft);

// The box a run's descriptor is matched as: its width, height and top offset.
inline CharBox boxOfDescriptor(const Glyph &g) { return CharBox{0, 0, g.width, g.height, g.dy}; }

} // namespace glyfex::recognition
