// A glyph asker that learns nothing: it counts the questions and takes each glyph's best guess, so a run shows what a matrix reads on its own.
#pragma once
// Header-only so that the OCR benchmark, which links only the logic library, asks the same way.

#include "recognition/glyph_asker.h"

namespace glyfex::test {

class GuessingAsker : public recognition::GlyphAsker {
public:
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &q) override
    {
        ++asked;
        return recognition::GlyphAnswer{core::toCharText(q.bestGuess), q.bestGuessStyle,
                                        recognition::AnswerCode::UseTextOnly};
    }
    int asked = 0;
};

} // namespace glyfex::test
