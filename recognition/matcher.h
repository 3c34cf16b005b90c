// Matching a glyph descriptor against the entries of a character matrix.
#pragma once

#include "recognition/char_box.h"
#include "recognition/char_matrix.h"
#include "recognition/glyph.h"
#include "recognition/ocr_settings.h"

#include <cstdint>

namespace glyfex::recognition {

struct MatchOptions {
    OcrSettings settings;         // size and top tolerances, sensibility
    bool imageSequenceMode = false; // pictures from image files: thin letters match at the ordinary threshold
    int charset = 0;              // subtitle charset; 238 adds the Central European thin letters
    // The picture was reduced (a tall frame): a pixel there stands for a block of the frame, so a thin
    // letter must agree pixel for pixel; a neighbour's agreement, which absorbs a rounding shift on a
    // full-size picture, would take an "l" for an "I" that differs from it by a whole column.
    bool reducedPicture = false;
};

// What matching a descriptor against the matrix found.
struct MatchResult {
    enum class Kind : uint8_t {
        None,  // no entry matches and none scored above zero
        Match, // entry index matches: the lowest matching index
        Guess, // none matches; entry index scored best (the lowest index among equal scores), the answer to offer
    };
    Kind kind = Kind::None;
    int index = 0; // 1..count() of the matrix for Match and Guess, 0 for None

    static MatchResult match(int index) { return {Kind::Match, index}; }
    static MatchResult guess(int index) { return index > 0 ? MatchResult{Kind::Guess, index} : MatchResult{}; }
    bool matched() const { return kind == Kind::Match; }
    bool guessed() const { return kind == Kind::Guess; }
    friend bool operator==(const MatchResult &, const MatchResult &) = default;
};

// The entry that matches the descriptor, or else the best guess. box gives the compared size (for a
// single box the box itself, which may exceed 80 x 45); descriptor.dy the top offset. A "take with
// next" entry matches only when allowJoin is set; otherwise it can still be the guess.
MatchResult matchChar(const CharMatrix &matrix, const Glyph &descriptor, const CharBox &box, bool allowJoin,
                  const MatchOptions &options);

// The per mille score of one entry against a descriptor compared at the given size, without the
// tolerance checks: the comparison matchChar makes for each candidate.
int scoreGlyph(const Glyph &descriptor, int boxWidth, int boxHeight, const Glyph &entry);

namespace detail {
// scoreGlyph as processors without a popcount instruction compute it; scoreGlyph and matchChar choose
// that build or the one using the instruction at run time, so tests compare both on any machine.
int scoreGlyphPortable(const Glyph &descriptor, int boxWidth, int boxHeight, const Glyph &entry);
} // namespace detail

} // namespace glyfex::recognition
