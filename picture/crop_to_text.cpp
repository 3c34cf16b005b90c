// Crop to text: trims a work picture to the bounding box of the pixels that differ from a background code.
#include "picture/crop_to_text.h"

#include <cstring>

namespace glyfex::picture {

namespace {

// Index of the first byte in [from, to) that differs from background, or to when there is none.
// Eight bytes are compared at a time: most rows of a subtitle picture are long background runs.
int firstText(const uint8_t *row, int from, int to, uint8_t background)
{
    const uint64_t pattern = 0x0101010101010101ULL * background;
    int x = from;
    for (; x + 8 <= to; x += 8) {
        uint64_t block;
        std::memcpy(&block, row + x, 8);
        if (block != pattern)
            break;
    }
    for (; x < to; ++x) {
        if (row[x] != background)
            return x;
    }
    return to;
}

// Index of the last byte in [from, to) that differs from background, or from - 1 when there is none.
int lastText(const uint8_t *row, int from, int to, uint8_t background)
{
    const uint64_t pattern = 0x0101010101010101ULL * background;
    int x = to;
    for (; x - 8 >= from; x -= 8) {
        uint64_t block;
        std::memcpy(&block, row + x - 8, 8);
        if (block != pattern)
            break;
    }
    for (; x > from; --x) {
        if (row[x - 1] != background)
            return x - 1;
    }
    return from - 1;
}

bool rowHasText(const CodeImage &picture, int y, uint8_t background)
{
    return firstText(picture.row(y), 0, picture.width, background) < picture.width;
}

} // namespace

std::optional<Rect> cropToText(CodeImage &picture, uint8_t background)
{
    const int width = picture.width;
    const int height = picture.height;
    if (width <= 0 || height <= 0)
        return std::nullopt;

    // Top: the first of two adjacent text rows; a lone text row is passed over.
    int top = -1;
    bool previous = rowHasText(picture, 0, background);
    for (int y = 1; y < height; ++y) {
        const bool current = rowHasText(picture, y, background);
        if (previous && current) {
            top = y - 1;
            break;
        }
        previous = current;
    }
    if (top < 0)
        return std::nullopt;

    // Bottom: the last text row, which exists since rows top and top + 1 hold text.
    int bottom = height - 1;
    while (!rowHasText(picture, bottom, background))
        --bottom;

    // Left and right over the rows top..bottom only; each row is scanned only where it could still
    // widen the box, row by row rather than column by column so the scan follows memory.
    int left = width;
    int right = -1;
    for (int y = top; y <= bottom; ++y) {
        const uint8_t *row = picture.row(y);
        left = firstText(row, 0, left, background);
        const int last = lastText(row, right + 1, width, background);
        if (last > right)
            right = last;
    }

    // Move the block to the origin row by row. Each destination row starts at or before its source,
    // so copying upwards in row order never overwrites a source row still to be copied.
    const int newWidth = right - left + 1;
    const int newHeight = bottom - top + 1;
    uint8_t *bytes = picture.bytes.data();
    for (int y = 0; y < newHeight; ++y)
        std::memmove(bytes + size_t(y) * size_t(newWidth),
                     bytes + size_t(top + y) * size_t(width) + size_t(left), size_t(newWidth));
    picture.width = newWidth;
    picture.height = newHeight;
    picture.bytes.resize(size_t(newWidth) * size_t(newHeight));
    return Rect{left, top, right, bottom};
}

} // namespace glyfex::picture
