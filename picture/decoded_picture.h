// The decoded-picture state: the last subpicture unit turned into pixel codes, display sequences and per-code tables.
#pragma once

#include "picture/code_image.h"
#include "picture/rect.h"

#include <array>
#include <cstdint>
#include <vector>

namespace glyfex::picture {

// One display control sequence of a unit, as decoded. Colour word, area and pixel offsets carry over
// from the previous sequence of the same unit when a sequence does not set them; the first sequence
// starts from zero.
struct SpuControlSequence {
    enum State : uint8_t { DisplayStart = 1, DisplayStop = 2 };

    uint32_t delayMs = 0;      // after the unit's presentation time: raw delay x 1024 / 90 (integer)
    uint16_t next = 0;         // byte offset of the next sequence; the last one points to itself
    uint8_t state = DisplayStart;
    uint16_t colour = 0;       // four 4-bit palette indices, bits 15-12 code 3 ... bits 3-0 code 0
    uint16_t contrast = 0xFFF0; // four 4-bit contrasts in the same order; 0 transparent, 15 opaque
    int32_t x1 = 0;            // display area, inclusive screen pixels
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    uint16_t topOffset = 0;    // byte offsets of the two fields' run-length data in the unit
    uint16_t bottomOffset = 0;

    Rect area() const { return {x1, y1, x2, y2}; }
    friend bool operator==(const SpuControlSequence &, const SpuControlSequence &) = default;
};

// Written only by the subpicture decoder for DVD and VobSub input; recognition, colour detection,
// dispatch and export read it. Lives until the next unit is decoded.
struct DecodedPicture {
    // A unit's chain of sequences is cut here; real units hold two or three.
    static constexpr int maxSequences = 4096;

    // Pixel codes 0-3 (0 background, 1 pattern, 2 emphasis 1, 3 emphasis 2), trimmed to what is visible.
    CodeImage codes;
    // In unit order; sequences.front() gives the picture's colours, contrasts and pixel offsets, and
    // after decoding its area is the screen rectangle of the trimmed picture.
    // Never empty, so first() is always valid, even before the first unit.
    std::vector<SpuControlSequence> sequences = std::vector<SpuControlSequence>(1);
    bool forced = false;       // some sequence held the forced display start command
    uint16_t width = 0;        // picture size before trimming
    uint16_t height = 0;
    // Rows of the frame the picture is shown on (the video's, the index's, a sequence picture's own);
    // 0 when not known. Recognition reduces the pictures of a tall frame by one factor taken from it.
    uint16_t frameHeight = 0;

    // Per pixel code, from the first sequence: palette index 0-15, contrast 0-15, and whether the
    // code is a colour candidate (2 visible, 0 fully transparent; recognition later marks 1 for a
    // code it rules out).
    std::array<uint8_t, 4> colourMap{};
    std::array<uint8_t, 4> contrastMap{};
    std::array<uint8_t, 4> colourCandidates{};

    // Colour word and contrast word of the previous unit (zero at the start of a run), and whether
    // this unit's words differ from them.
    std::array<uint16_t, 2> colourWordPrev{};
    std::array<bool, 2> colourChanged{};

    const SpuControlSequence &first() const { return sequences.front(); }
};

} // namespace glyfex::picture
