// Reduction of a work picture by a whole factor, by the ink majority of each block.
#include "recognition/picture_reduction.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

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

// The ink code that covers more of the block (the text code on a tie).
uint8_t inkCodeOf(const picture::CodeImage &image, InkCodes ink, int x0, int x1, int y0, int y1)
{
    int text = 0, outline = 0;
    for (int y = y0; y < y1; ++y) {
        const uint8_t *p = image.row(y);
        for (int x = x0; x < x1; ++x) {
            text += ink.text != 255 && p[x] == ink.text;
            outline += ink.outline != 255 && p[x] == ink.outline && ink.outline != ink.text;
        }
    }
    return text >= outline && ink.text != 255 ? ink.text : ink.outline;
}

// A mark of thin strokes (an apostrophe, a comma, the tail of a serif quote) may cover less than half of
// every block it touches and would leave no ink at all. Such a mark, a group of ink pixels touching
// each other (diagonally too) of which no block became ink, with ink enough for half a block at least,
// keeps the blocks it touches that have no ink next to them (all eight neighbours), so that it stays a
// glyph of its own and never glues to another. Strokes of a glyph that has ink somewhere keep the
// majority rule: letters do not thicken.
void keepVanishedMarks(const picture::CodeImage &image, InkCodes ink, int factor, const std::vector<int> &tops,
                       picture::CodeImage &out)
{
    const int width = out.width;
    const int height = out.height;
    std::vector<uint8_t> majority(size_t(width) * size_t(height));
    for (int ry = 0; ry < height; ++ry)
        for (int rx = 0; rx < width; ++rx)
            majority[size_t(ry) * size_t(width) + size_t(rx)] = ink.isInk(out.at(rx, ry)) ? 1 : 0;
    const auto majorityAt = [&](int rx, int ry) {
        return rx >= 0 && ry >= 0 && rx < width && ry < height && majority[size_t(ry) * size_t(width) + size_t(rx)];
    };
    // A block apart: no ink itself and none around it.
    const auto apart = [&](int rx, int ry) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (majorityAt(rx + dx, ry + dy))
                    return false;
        return true;
    };
    std::vector<int> rowOf(size_t(image.height));
    for (int ry = 0; ry < height; ++ry)
        for (int y = tops[size_t(ry)]; y < tops[size_t(ry) + 1]; ++y)
            rowOf[size_t(y)] = ry;

    std::vector<uint8_t> seen(size_t(image.width) * size_t(image.height));
    std::vector<std::pair<int, int>> mark;
    std::vector<std::pair<int, int>> blocks;
    // Only a mark with a block apart can keep anything: the search starts there, so the letters of
    // ordinary text, whose thin edges lie beside their own ink, are not walked at all.
    for (int ry = 0; ry < height; ++ry) {
        for (int rx = 0; rx < width; ++rx) {
            if (!apart(rx, ry))
                continue;
            const int x1 = std::min((rx + 1) * factor, image.width);
            for (int sy = tops[size_t(ry)]; sy < tops[size_t(ry) + 1]; ++sy) {
                for (int sx = rx * factor; sx < x1; ++sx) {
                    if (!ink.isInk(image.at(sx, sy)) || seen[size_t(sy) * size_t(image.width) + size_t(sx)])
                        continue;
                    mark.clear();
                    mark.emplace_back(sx, sy);
                    seen[size_t(sy) * size_t(image.width) + size_t(sx)] = 1;
                    bool carried = false;
                    for (size_t i = 0; i < mark.size(); ++i) {
                        const auto [x, y] = mark[i];
                        carried = carried || majorityAt(x / factor, rowOf[size_t(y)]);
                        for (int dy = -1; dy <= 1; ++dy) {
                            for (int dx = -1; dx <= 1; ++dx) {
                                const int nx = x + dx, ny = y + dy;
                                if (nx < 0 || ny < 0 || nx >= image.width || ny >= image.height)
                                    continue;
                                uint8_t &s = seen[size_t(ny) * size_t(image.width) + size_t(nx)];
                                if (!s && ink.isInk(image.at(nx, ny))) {
                                    s = 1;
                                    mark.emplace_back(nx, ny);
                                }
                            }
                        }
                    }
                    // Less ink than half a block is a speck, dropped as the majority rule drops it.
                    if (carried || 2 * int(mark.size()) < factor * factor)
                        continue;
                    blocks.clear();
                    for (const auto &[x, y] : mark)
                        blocks.emplace_back(x / factor, rowOf[size_t(y)]);
                    std::sort(blocks.begin(), blocks.end());
                    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
                    for (const auto &[bx, by] : blocks) {
                        if (!apart(bx, by))
                            continue;
                        const int x0 = bx * factor;
                        out.at(bx, by) = inkCodeOf(image, ink, x0, std::min(x0 + factor, image.width), tops[size_t(by)],
                                                   tops[size_t(by) + 1]);
                    }
                }
            }
        }
    }
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
    keepVanishedMarks(image, ink, factor, tops, out);
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
