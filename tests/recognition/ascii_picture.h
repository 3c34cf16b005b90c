// Small work pictures written as ASCII art in tests: '.' code 0, '#' code 1, 'o' code 2, '+' code 3.
#pragma once

#include <cstddef>
#include "picture/code_image.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace glyfex::test {

inline uint8_t codeOfArt(char c)
{
    switch (c) {
    case '#': return 1;
    case 'o': return 2;
    case '+': return 3;
    case '5': return 5;
    case '6': return 6;
    default: return 0;
    }
}

// Rows must all have the same length.
inline picture::CodeImage pictureFromArt(const std::vector<std::string> &rows)
{
    picture::CodeImage image(rows.empty() ? 0 : int(rows.front().size()), int(rows.size()));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.at(x, y) = codeOfArt(rows[size_t(y)][size_t(x)]);
    return image;
}

// The picture back as art, markers shown as '5' and '6', for readable failure messages.
inline std::vector<std::string> artOfPicture(const picture::CodeImage &image)
{
    static const char kArt[] = ".#o+456789";
    std::vector<std::string> rows;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t c = image.at(x, y);
            row += c < 10 ? kArt[c] : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

// A solid block of ink rows x cols placed in a picture, for building larger layouts.
inline void fillRect(picture::CodeImage &image, int x, int y, int w, int h, uint8_t code = 1)
{
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            if (image.contains(xx, yy))
                image.at(xx, yy) = code;
}

} // namespace glyfex::test
