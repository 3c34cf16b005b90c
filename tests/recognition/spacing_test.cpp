// Space decisions between neighbouring glyphs: the outline rule, the box rule and their exceptions.
#include "glyph_art.h"

#include "recognition/accents.h"
#include "recognition/spacing.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

struct Pair {
    Glyph left;
    Glyph right;
    std::vector<CharBox> boxes;
};

// Left glyph in box 0 at column 0, right glyph in box 1 at rightX.
Pair pairOf(const Glyph &left, const Glyph &right, int rightX)
{
    return Pair{left, right,
                {CharBox{0, left.dy, left.width, left.height, left.dy},
                 CharBox{rightX, right.dy, right.width, right.height, right.dy}}};
}

bool space(const Pair &p, const QString &leftText, const QString &rightText, int spaceWidth, int charset = 0)
{
    SpacingContext c{p.boxes, false, spaceWidth, charset};
    return needSpaceBetween(SpacedGlyph{&p.left, leftText, 0, 1}, SpacedGlyph{&p.right, rightText, 1, 1}, c);
}

} // namespace

TEST(Spacing, OutlineGapDecidesForTallGlyphs)
{
    // Ink 7 empty columns apart in every row: 0.5 x 7 + 0.5 x 7 reaches a space width of 7, not 8.
    const Pair p = pairOf(test::inkBlock(6, 10, 6), test::inkBlock(6, 10, 6), 13);
    EXPECT_TRUE(space(p, u"a"_qs, u"b"_qs, 7));
    EXPECT_FALSE(space(p, u"a"_qs, u"b"_qs, 8));
}

TEST(Spacing, BoxRuleDecidesWhereOutlinesMislead)
{
    // The left glyph's ink covers half its box: outlines are 10 apart, boxes 7.
    const Pair tall = pairOf(test::inkBlock(6, 10, 3), test::inkBlock(6, 10, 6), 13);
    const Pair short7 = pairOf(test::inkBlock(6, 7, 3), test::inkBlock(6, 7, 6), 13);
    struct Case {
        const char *name;
        const Pair &pair;
        const char16_t *left;
        const char16_t *right;
        int charset;
        bool expected;
    };
    const Case cases[] = {
        {"outline rule", tall, u"a", u"b", 0, true},
        {"slanted capital before", tall, u"T", u"b", 0, false},
        {"accented capital folded", tall, u"\u00C0", u"b", kCharsetWestern, false},
        {"accent not folded elsewhere", tall, u"\u00C0", u"b", kCharsetCentralEuropean, true},
        {"comma after", tall, u"a", u",", 0, false},
        {"full stop after", tall, u"a", u".", 0, false},
        {"glyphs lower than 8 rows", short7, u"a", u"b", 0, false},
        {"empty text counts as o", tall, u"", u"T", 0, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(space(c.pair, QString::fromUtf16(c.left), QString::fromUtf16(c.right), 9, c.charset), c.expected)
            << c.name;
}

TEST(Spacing, BoxRuleWithNegativeSpaceWidthAllowsOverlap)
{
    const Glyph g = test::inkBlock(10, 7, 10);
    EXPECT_TRUE(space(pairOf(g, g, 0), u"a"_qs, u"b"_qs, -10)) << "overlap of 10";
    Pair overlap11 = pairOf(g, g, 0);
    overlap11.boxes[0].x = 11;
    overlap11.boxes[1].x = 10;
    EXPECT_FALSE(space(overlap11, u"a"_qs, u"b"_qs, -10));
}

TEST(Spacing, RunsAndTheBoxBeforeThePreviousGlyph)
{
    const Glyph g = test::inkBlock(3, 7, 3);
    const QString a = u"a"_qs;
    // Boxes 0..5; the previous glyph is the run of boxes 3..4, the current one box 5.
    std::vector<CharBox> boxes;
    for (int x : {0, 10, 20, 30, 35, 40})
        boxes.push_back(CharBox{x, 0, 3, 7, 0});
    SpacingContext c{boxes, false, 7, 0};
    EXPECT_TRUE(needSpaceBetween({&g, a, 3, 2}, {&g, a, 5, 1}, c)) << "gap measured from the end of box 3";
    EXPECT_FALSE(needSpaceBetween({&g, a, 4, 1}, {&g, a, 5, 1}, c));
    EXPECT_FALSE(needSpaceBetween({&g, a, 0, 1}, {&g, a, 0, 1}, c)) << "never before the first glyph";

    // The box before the previous glyph ends close to the current glyph: no space.
    std::vector<CharBox> wide{{0, 0, 20, 7, 0}, {2, 0, 2, 7, 0}, {22, 0, 3, 7, 0}};
    SpacingContext w{wide, false, 7, 0};
    EXPECT_FALSE(needSpaceBetween({&g, a, 1, 1}, {&g, a, 2, 1}, w));
    wide[0].width = 10;
    EXPECT_TRUE(needSpaceBetween({&g, a, 1, 1}, {&g, a, 2, 1}, w));
}

TEST(Spacing, RightToLeftReadsFromTheLastBox)
{
    const Glyph g = test::inkBlock(3, 7, 3);
    const QString a = u"a"_qs;
    const std::vector<CharBox> boxes{{0, 0, 3, 7, 0}, {10, 0, 3, 7, 0}};
    SpacingContext c{boxes, true, 7, 0};
    EXPECT_TRUE(needSpaceBetween({&g, a, 1, 1}, {&g, a, 0, 1}, c));
    EXPECT_FALSE(needSpaceBetween({&g, a, 0, 1}, {&g, a, 1, 1}, c)) << "box 1 is the first in reading order";
}
