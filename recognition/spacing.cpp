// Space decisions. The shape rule measures the empty columns between the facing outlines of two glyphs
// row by row, after closing gaps and notches in the outlines so that serifs and holes do not count.
#include "recognition/spacing.h"

#include "recognition/accents.h"

#include <algorithm>
#include <array>

namespace glyfex::recognition {

namespace {

using Profile = std::array<int, kGlyphMaxHeight>;

// Leftmost and rightmost ink column of each row, -1 for an empty row.
void profiles(const Glyph &g, Profile &left, Profile &right)
{
    const GlyphRow mask = lowBits(std::min<int>(g.width, kGlyphMaxWidth));
    for (int y = 0; y < g.height; ++y) {
        const GlyphRow row = g.rows[y] & mask;
        left[y] = row ? lowestBit(row) : -1;
        right[y] = row ? highestBit(row) : -1;
    }
}

// Rows without ink inside a glyph (the gap of an "i", say) take their neighbours' outline.
void fillGaps(int height, Profile &left, Profile &right)
{
    for (int y = 1; y <= height - 2; ++y) {
        if (left[y] < 0)
            left[y] = left[y - 1];
        if (right[y] < 0)
            right[y] = std::max(right[y - 1], right[y + 1]);
    }
}

// Smooths notches deeper than 2 columns in the facing outline: in the left glyph's right outline
// (facing is its right side, step -1), in the right glyph's left outline (step +1). A notch next to a
// straight back outline is filled flush, otherwise to one column short.
void smoothNotches(int height, Profile &facing, const Profile &back, int step)
{
    auto fix = [&](int y, int ref) {
        const bool notch = step < 0 ? facing[y] < facing[ref] - 2 : facing[y] > facing[ref] + 2;
        if (notch)
            facing[y] = back[y] == back[ref] ? facing[ref] : facing[ref] + step;
    };
    for (int y = 1; y <= height - 1; ++y)
        fix(y, y - 1);
    for (int y = height - 2; y >= 0; --y)
        fix(y, y + 1);
}

bool oneOf(char16_t c, const char16_t *set)
{
    for (; *set; ++set)
        if (*set == c)
            return true;
    return false;
}

int readingPosition(int box, const SpacingContext &context)
{
    return context.rightToLeft ? int(context.boxes.size()) - 1 - box : box;
}

int originOf(const SpacedGlyph &g, const SpacingContext &context)
{
    int leftmost = context.rightToLeft ? g.box - (g.boxCount - 1) : g.box;
    leftmost = std::clamp(leftmost, 0, int(context.boxes.size()) - 1);
    return context.boxes[leftmost].x;
}

} // namespace

int glyphProfileSpaceRule(const Glyph &left, int leftOrigin, const Glyph &right, int rightOrigin, char16_t a,
                          char16_t b, int spaceWidth)
{
    const int lDy = left.dy, lH = std::min<int>(left.height, kGlyphMaxHeight);
    const int rDy = right.dy, rH = std::min<int>(right.height, kGlyphMaxHeight);
    if (lH < 8 || rH < 8 || left.width < 5)
        return -1;
    if (!(lDy < rDy + rH - 1 && rDy < lDy + lH - 1))
        return -1;
    // Letters whose side slants or stands open, and punctuation, make the outline gap misleading.
    if (oneOf(a, u"#'AKLPRTVWY") || oneOf(b, u"!',.:?"))
        return -1;
    const int top = std::max(lDy, rDy);
    const int bottom = std::min(lDy + lH, rDy + rH);
    if (bottom - top < 4)
        return -1;

    Profile lLeft{}, lRight{}, rLeft{}, rRight{};
    profiles(left, lLeft, lRight);
    profiles(right, rLeft, rRight);
    fillGaps(lH, lLeft, lRight);
    fillGaps(rH, rLeft, rRight);
    smoothNotches(lH, lRight, lLeft, -1);
    smoothNotches(rH, rLeft, rRight, +1);

    int smallest = 255;
    int total = 0;
    for (int t = top; t < bottom; ++t) {
        const int gap = (rightOrigin + rLeft[t - rDy] - 1) - (leftOrigin + lRight[t - lDy]);
        smallest = std::min(smallest, gap);
        total += gap;
    }
    const double measure = 0.5 * smallest + 0.5 * double(total / (bottom - top));
    return spaceWidth <= measure ? 1 : 0;
}

bool needSpaceBetween(const SpacedGlyph &previous, const SpacedGlyph &current, const SpacingContext &context)
{
    const int count = int(context.boxes.size());
    if (count == 0 || readingPosition(current.box, context) <= 0)
        return false;
    if (previous.box < 0 || previous.box >= count || current.box < 0 || current.box >= count)
        return false;

    const SpacedGlyph &l = context.rightToLeft ? current : previous;
    const SpacedGlyph &r = context.rightToLeft ? previous : current;
    char16_t a = u'o';
    char16_t b = u'o';
    if (!l.text.isEmpty() && !r.text.isEmpty()) {
        a = foldAccentedCapital(l.text.back().unicode(), context.charset);
        b = foldAccentedCapital(r.text.front().unicode(), context.charset);
    }

    if (l.descriptor && r.descriptor) {
        const int rule = glyphProfileSpaceRule(*l.descriptor, originOf(l, context), *r.descriptor,
                                               originOf(r, context), a, b, context.spaceWidth);
        if (rule >= 0)
            return rule == 1;
    }

    const CharBox &leftBox = context.boxes[l.box];
    const CharBox &rightBox = context.boxes[r.box];
    if (rightBox.x - (leftBox.x + leftBox.width) < context.spaceWidth)
        return false;
    // No space either when the box before the previous glyph already reaches to within a space width of
    // the current glyph: the previous glyph is then a small piece beside a wider one (an accent, a
    // quote mark), and the gap measured from it is no gap between words.
    if (readingPosition(current.box, context) >= 2) {
        const int before = context.rightToLeft ? previous.box + 1 : previous.box - 1;
        if (before >= 0 && before < count) {
            const CharBox &that = context.boxes[before];
            const CharBox &cur = context.boxes[current.box];
            const int distance = context.rightToLeft ? that.x - (cur.x + cur.width) : cur.x - (that.x + that.width);
            if (distance < context.spaceWidth)
                return false;
        }
    }
    return true;
}

} // namespace glyfex::recognition
