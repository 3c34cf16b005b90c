// Text colour detection: which of the four subpicture codes are ink for segmentation.
#include "recognition/text_colour.h"

#include <cstdlib>

namespace glyfex::recognition {

std::optional<InkCodes> detectTextColours(const picture::CodeImage &image, ColourCandidates &candidates)
{
    std::array<int64_t, 4> pixels{};
    for (uint8_t code : image.bytes)
        if (code < 4)
            ++pixels[code];
    for (int k = 0; k < 4; ++k)
        if (candidates[k] != CandidateAbsent && pixels[k] == 0)
            candidates[k] = CandidateAbsent;

    int present = 0;
    for (uint8_t v : candidates)
        if (v != CandidateAbsent)
            ++present;
    if (present == 0)
        return std::nullopt;

    InkCodes ink;
    auto firstText = [&](int after) {
        for (int k = after + 1; k < 4; ++k)
            if (candidates[k] == CandidateText)
                return uint8_t(k);
        return uint8_t(255);
    };
    if (present == 1) {
        for (int k = 0; k < 4; ++k)
            if (candidates[k] != CandidateAbsent)
                ink.text = uint8_t(k);
        return ink;
    }

    // The first present code met on the top row, from the left, is the background.
    if (image.height > 0) {
        const uint8_t *top = image.row(0);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t code = top[x];
            if (code < 4 && candidates[code] != CandidateAbsent) {
                candidates[code] = CandidateBackground;
                break;
            }
        }
    }
    ink.text = firstText(-1);
    if (present == 2)
        return ink;
    ink.outline = ink.text == 255 ? uint8_t(255) : firstText(ink.text);

    // Is there a row where exactly two text candidates meet? Only then can one be told from the other.
    bool pairRow = false;
    for (int y = 0; y < image.height && !pairRow; ++y) {
        std::array<bool, 4> seen{};
        const uint8_t *row = image.row(y);
        for (int x = 0; x < image.width; ++x)
            if (row[x] < 4 && candidates[row[x]] == CandidateText)
                seen[row[x]] = true;
        pairRow = int(seen[0]) + int(seen[1]) + int(seen[2]) + int(seen[3]) == 2;
    }
    if (!pairRow || ink.outline == 255)
        return ink;

    const int64_t textCount = pixels[ink.text];
    const int64_t outlineCount = pixels[ink.outline];
    const int64_t ratio = textCount * 100 / outlineCount;
    bool dropText;
    if (ratio < 50 || ratio > 150) {
        dropText = textCount <= outlineCount;
    } else {
        // The code that starts further left in the rows where both start close together surrounds the
        // other: it is the outline.
        int64_t textTotal = 0;
        int64_t outlineTotal = 0;
        for (int y = 0; y < image.height; ++y) {
            const uint8_t *row = image.row(y);
            int firstTextCol = -1;
            int firstOutlineCol = -1;
            for (int x = 0; x < image.width && (firstTextCol < 0 || firstOutlineCol < 0); ++x) {
                if (firstTextCol < 0 && row[x] == ink.text)
                    firstTextCol = x;
                else if (firstOutlineCol < 0 && row[x] == ink.outline)
                    firstOutlineCol = x;
            }
            if (firstTextCol >= 0 && firstOutlineCol >= 0 && std::abs(firstTextCol - firstOutlineCol) < 4) {
                textTotal += firstTextCol;
                outlineTotal += firstOutlineCol;
            }
        }
        dropText = textTotal <= outlineTotal;
    }
    if (dropText) {
        candidates[ink.text] = CandidateBackground;
        ink.text = 255;
    } else {
        candidates[ink.outline] = CandidateBackground;
        ink.outline = 255;
    }
    return ink;
}

picture::CodeImage buildColourImage(const picture::CodeImage &image, const std::array<uint8_t, 4> &colourMap)
{
    picture::CodeImage out(image.width, image.height);
    for (size_t i = 0; i < image.bytes.size(); ++i) {
        const uint8_t code = image.bytes[i];
        out.bytes[i] = colourMap[code < 4 ? code : 0];
    }
    return out;
}

std::array<uint32_t, 4> codeColours(const std::array<uint8_t, 4> &colourMap, const std::array<uint32_t, 16> &dvdPalette)
{
    std::array<uint32_t, 4> out{};
    for (int k = 0; k < 4; ++k) {
        const uint32_t bgr = dvdPalette[colourMap[k] & 15];
        out[k] = (bgr & 0x00FF00) | (bgr & 0xFF) << 16 | (bgr >> 16 & 0xFF);
    }
    return out;
}

std::optional<InkCodes> inkCodesOfChoice(const std::array<bool, 4> &checked)
{
    InkCodes ink;
    int count = 0;
    for (uint8_t code = 0; code < 4; ++code) {
        if (!checked[code])
            continue;
        if (++count == 1)
            ink.text = code;
        else
            ink.outline = code;
    }
    if (count < 1 || count > 2)
        return std::nullopt;
    return ink;
}

} // namespace glyfex::recognition
