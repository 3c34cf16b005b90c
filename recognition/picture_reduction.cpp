// Reduction of a work picture by a whole factor, by the ink majority of each block.
#include "recognition/picture_reduction.h"

#include <algorithm>
#include <array>

namespace glyfex::recognition {

int reductionFactor(int frameRows)
{
    if (frameRows <= kUnreducedFrameRows)
        return 1;
    return (frameRows + kUnreducedFrameRows - 1) / kUnreducedFrameRows;
}

namespace {

// The code of the reduced pixel for rows y0..y1-1 and columns x0..x1-1 of the picture; count is all zero
// on entry and again on return.
uint8_t reducedCode(const picture::CodeImage &image, InkCodes ink, int x0, int x1, int y0, int y1,
                    std::array<int, 256> &count)
{
    int inkPixels = 0;
    for (int y = y0; y < y1; ++y) {
        const uint8_t *p = image.row(y);
        for (int x = x0; x < x1; ++x) {
            ++count[p[x]];
            inkPixels += ink.isInk(p[x]) ? 1 : 0;
        }
    }
    const int pixels = (y1 - y0) * (x1 - x0);
    uint8_t code = 0;
    if (2 * inkPixels >= pixels) {
        // A text code of 255 is "none" and never counted as ink.
        const int text = ink.text != 255 ? count[ink.text] : -1;
        const int outline = ink.outline != 255 ? count[ink.outline] : -1;
        code = text >= outline ? ink.text : ink.outline;
    } else {
        int best = -1;
        for (int y = y0; y < y1; ++y) {
            const uint8_t *p = image.row(y);
            for (int x = x0; x < x1; ++x) {
                const uint8_t c = p[x];
                if (!ink.isInk(c) && (count[c] > best || (count[c] == best && c < code))) {
                    best = count[c];
                    code = c;
                }
            }
        }
    }
    for (int y = y0; y < y1; ++y) {
        const uint8_t *p = image.row(y);
        for (int x = x0; x < x1; ++x)
            count[p[x]] = 0;
    }
    return code;
}

// The picture reduced along the given row blocks: reduced row r stands for rows tops[r]..tops[r+1]-1.
picture::CodeImage reduceRows(const picture::CodeImage &image, InkCodes ink, int factor, const std::vector<int> &tops)
{
    const int width = (image.width + factor - 1) / factor;
    const int height = int(tops.size()) - 1;
    picture::CodeImage out(width, height, 0);
    std::array<int, 256> count{};
    for (int ry = 0; ry < height; ++ry) {
        for (int rx = 0; rx < width; ++rx) {
            const int x0 = rx * factor;
            out.at(rx, ry) = reducedCode(image, ink, x0, std::min(x0 + factor, image.width), tops[size_t(ry)],
                                         tops[size_t(ry) + 1], count);
        }
    }
    return out;
}

bool rowHasInk(const picture::CodeImage &image, InkCodes ink, int y)
{
    const uint8_t *p = image.row(y);
    for (int x = 0; x < image.width; ++x)
        if (ink.isInk(p[x]))
            return true;
    return false;
}

} // namespace

picture::CodeImage reducePicture(const picture::CodeImage &image, InkCodes ink, int factor)
{
    if (factor <= 1 || image.empty())
        return image;
    std::vector<int> tops;
    for (int y = 0; y < image.height; y += factor)
        tops.push_back(y);
    tops.push_back(image.height);
    return reduceRows(image, ink, factor, tops);
}

ReducedPicture reduceByBands(const picture::CodeImage &image, InkCodes ink, int factor)
{
    ReducedPicture out;
    if (factor <= 1 || image.empty()) {
        out.image = image;
        for (int y = 0; y <= image.height; ++y)
            out.sourceTop.push_back(y);
        out.reducedRow.resize(size_t(image.height));
        for (int y = 0; y < image.height; ++y)
            out.reducedRow[size_t(y)] = y;
        return out;
    }
    std::vector<bool> inked(size_t(image.height));
    for (int y = 0; y < image.height; ++y)
        inked[size_t(y)] = rowHasInk(image, ink, y);
    out.reducedRow.resize(size_t(image.height));
    int y = 0;
    while (y < image.height) {
        int end = y + 1;
        while (end < image.height && inked[size_t(end)] == inked[size_t(y)])
            ++end;
        for (int top = y; top < end; top += factor) {
            const int r = int(out.sourceTop.size());
            out.sourceTop.push_back(top);
            for (int k = top; k < std::min(top + factor, end); ++k)
                out.reducedRow[size_t(k)] = r;
        }
        y = end;
    }
    out.sourceTop.push_back(image.height);
    out.image = reduceRows(image, ink, factor, out.sourceTop);
    return out;
}

} // namespace glyfex::recognition
