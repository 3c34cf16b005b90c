// Glyph descriptors built from the marker paint segmentation left in the work picture.
#include "recognition/glyph.h"

#include <algorithm>

namespace glyfex::recognition {

bool isTakeWithNext(const core::CharText &text)
{
    constexpr int n = int(std::size(kTakeWithNext)) - 1;
    if (text.length != n)
        return false;
    return std::equal(kTakeWithNext, kTakeWithNext + n, std::begin(text.text));
}

bool isQuoteStroke(const core::CharText &text)
{
    if (text.length != 1)
        return false;
    switch (text.text[0]) {
    case u'\'':
    case u'`':
    case u',':
    case u'\u00B4': // acute accent, typed for a slanted apostrophe
    case u'\u2018':
    case u'\u2019':
    case u'\u201A':
        return true;
    default:
        return false;
    }
}

Glyph buildGlyphDescriptor(const picture::CodeImage &image, uint8_t marker, const CharBox &box)
{
    Glyph g;
    const int w = std::clamp(box.width, 0, kGlyphMaxWidth);
    const int h = std::clamp(box.height, 0, kGlyphMaxHeight);
    g.dy = uint8_t(std::clamp(box.dy, 0, 255));
    g.width = uint8_t(w);
    g.height = uint8_t(h);
    for (int y = 0; y < h; ++y) {
        const int py = box.y + y;
        if (py < 0 || py >= image.height)
            continue;
        const uint8_t *src = image.row(py);
        GlyphRow row = 0;
        for (int x = 0; x < w; ++x) {
            const int px = box.x + x;
            if (px >= 0 && px < image.width && src[px] == marker)
                row |= GlyphRow(1) << x;
        }
        g.rows[y] = row;
    }
    return g;
}

namespace {

// The run's boxes' own marker pixels, in a bitmap whose column 0 is the first box's left edge and
// which is wholeExtent ? as wide as all the boxes : as wide as up to the last box's right edge.
Glyph mergeRun(const picture::CodeImage &image, std::span<const CharBox> boxes, int c, int n, bool rightToLeft,
               bool wholeExtent)
{
    Glyph g;
    const int count = int(boxes.size());
    int first = rightToLeft ? c - n : c;
    int last = rightToLeft ? c : c + n;
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    if (first > last)
        return g;

    const CharBox &left = boxes[first];
    int rightEdge = boxes[last].x + boxes[last].width;
    if (wholeExtent)
        for (int i = first; i < last; ++i)
            rightEdge = std::max(rightEdge, boxes[i].x + boxes[i].width);
    const int w = std::clamp(rightEdge - left.x, 0, kGlyphMaxWidth);
    int top = boxes[first].y;
    int bottom = boxes[first].y + boxes[first].height;
    int dy = boxes[first].dy;
    for (int i = first; i <= last; ++i) {
        top = std::min(top, boxes[i].y);
        bottom = std::max(bottom, boxes[i].y + boxes[i].height);
        dy = std::min(dy, boxes[i].dy);
    }
    for (int i = first; i <= last; ++i) {
        const CharBox &b = boxes[i];
        const uint8_t marker = markerOfBox(i);
        const int rows = std::min(b.height, kGlyphMaxHeight);
        // Columns of the run that lie within this box's own columns.
        const int xFrom = std::max(0, b.x - left.x);
        const int xTo = std::min(w, b.x + b.width - left.x);
        for (int r = 0; r < rows; ++r) {
            const int py = b.y + r;
            const int ty = py - top;
            // A line taller than the bitmap (possible only through a hand-edited setting) is cut here.
            if (ty >= kGlyphMaxHeight || py < 0 || py >= image.height)
                continue;
            const uint8_t *src = image.row(py);
            for (int x = xFrom; x < xTo; ++x) {
                const int px = left.x + x;
                if (px >= 0 && px < image.width && src[px] == marker)
                    g.rows[ty] |= GlyphRow(1) << x;
            }
        }
    }
    g.width = uint8_t(w);
    g.height = uint8_t(std::clamp(bottom - top, 0, kGlyphMaxHeight));
    g.dy = uint8_t(std::clamp(dy, 0, 255));
    return g;
}

} // namespace

Glyph buildMergedDescriptor(const picture::CodeImage &image, std::span<const CharBox> boxes, int c, int n,
                            bool rightToLeft)
{
    return mergeRun(image, boxes, c, n, rightToLeft, false);
}

Glyph buildRunShape(const picture::CodeImage &image, std::span<const CharBox> boxes, int c, int n, bool rightToLeft)
{
    return mergeRun(image, boxes, c, n, rightToLeft, true);
}

} // namespace glyfex::recognition
