// A teacher that answers each question with the characters whose ink the asked glyph covers, as a user reads them off the frame.
#pragma once

#include "recognition/glyph_asker.h"
#include "support/character_map.h"

#include <vector>

namespace glyfex::test {

// Knows where each character of every picture was drawn (CharacterMap) and looks at the pixels the
// question highlights: the characters they cover (most of their ink) are the answer, in the style
// they were drawn in; when the glyph holds only a piece of a character that goes on in the next box,
// it presses ">>" while it can. It never types an answer it cannot see: a speck that covers no
// character is used without text, and a picture it has no map for (or of another size) is skipped.
class CoveringTeacher : public recognition::GlyphAsker {
public:
    explicit CoveringTeacher(std::vector<CharacterMap> maps);

    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &question) override;

    int unanswerable() const { return m_unanswerable; }
    // Questions answered by growing the run, and glyphs that covered no character.
    int grown() const { return m_grown; }
    int specks() const { return m_specks; }

private:
    const CharacterMap *mapAt(const core::TimeCode &start) const;

    std::vector<CharacterMap> m_maps;
    std::vector<std::vector<int>> m_ink; // per map, the text pixels of each character
    std::vector<std::vector<bool>> m_typed; // per map, the characters some answer has typed
    int m_unanswerable = 0;
    int m_grown = 0;
    int m_specks = 0;
};

} // namespace glyfex::test
