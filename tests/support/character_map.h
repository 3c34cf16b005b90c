// Where each character of a drawn subtitle picture lies: the character of every text pixel, kept beside the material for the teachers.
#pragma once

#include "core/result.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace glyfex::test {

// One picture's characters in reading order, line by line, blanks left out, and for each pixel of the
// picture (row by row) 1 + the index of the character whose text it is, 0 for outline and background.
struct CharacterMap {
    struct Character {
        int line = 0;
        QString text;
        bool italic = false;
    };
    uint32_t startMs = 0; // when the picture is shown
    int width = 0;
    int height = 0;
    // Where its ink (text and outline) lies: a reader that cuts the picture to its ink shows this part.
    int inkX = 0;
    int inkY = 0;
    int inkWidth = 0;
    int inkHeight = 0;
    std::vector<Character> characters;
    std::vector<uint16_t> labels;

    uint16_t labelAt(int x, int y) const { return labels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The maps of a whole VobSub, in one file beside it (base.chars). Reading checks every count against
// the data, so a damaged file is an error naming it, never a wrong map.
core::Result<void> writeCharacterMaps(const QString &path, const std::vector<CharacterMap> &maps);
core::Result<std::vector<CharacterMap>> readCharacterMaps(const QString &path);

} // namespace glyfex::test
