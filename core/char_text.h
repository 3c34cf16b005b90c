// The fixed 20-unit text that a character-matrix entry stands for, and its conversion to and from QString.
#pragma once

#include <QString>

#include <cstdint>

namespace glyfex::core {

// Matrix files store this record as it is: 20 UTF-16 code units, the unused ones 0, and the number used.
struct CharText {
    static constexpr int kCapacity = 20;

    char16_t text[kCapacity] = {};
    uint8_t length = 0;

    bool operator==(const CharText &) const = default;
};

// The first 20 code units of the text; longer text is cut without a message, but never between the two
// halves of a surrogate pair (the pair is dropped whole, leaving 19 units).
CharText toCharText(const QString &text);

// The used part of the record. A length above 20, as a damaged matrix file may hold, reads as 20.
QString fromCharText(const CharText &record);

} // namespace glyfex::core
