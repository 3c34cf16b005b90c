// Decides whether a space goes between two neighbouring glyphs of a line: from their shapes where that is
// reliable, from the distance of their boxes otherwise.
#pragma once

#include "recognition/char_box.h"
#include "recognition/glyph.h"

#include <QStringView>

#include <span>

namespace glyfex::recognition {

// One recognised glyph of a line: its descriptor, its text, and where it sits in the line's boxes.
struct SpacedGlyph {
    const Glyph *descriptor = nullptr;
    QStringView text;
    int box = 0;      // 0-based index of the box where the glyph starts in reading order
    int boxCount = 1; // boxes of the run (1 for a single box)
};

struct SpacingContext {
    std::span<const CharBox> boxes; // the line's boxes, left to right
    bool rightToLeft = false;       // reading order runs from the last box to the first
    int spaceWidth = 7;
    int charset = 0;                // subtitle charset, for folding accented capitals
};

// Whether a blank goes between the previous glyph and the current one (in reading order).
bool needSpaceBetween(const SpacedGlyph &previous, const SpacedGlyph &current, const SpacingContext &context);

// The shape rule alone: 1 space, 0 no space, -1 undecided. left and right are in picture order, with the
// picture column of each descriptor's column 0; a is the left text's last character, b the right's first.
int glyphProfileSpaceRule(const Glyph &left, int leftOrigin, const Glyph &right, int rightOrigin, char16_t a,
                          char16_t b, int spaceWidth);

} // namespace glyfex::recognition
