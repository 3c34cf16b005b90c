// Glyph descriptors read from the marker paint of a box, singly and as runs of boxes.
#include "ascii_picture.h"
#include "glyph_art.h"

#include "recognition/glyph.h"
#include "recognition/segmentation.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

std::vector<std::string> artOf(const Glyph &g)
{
    std::vector<std::string> rows;
    for (int y = 0; y < g.height; ++y) {
        std::string row;
        for (int x = 0; x < g.width; ++x)
            row += g.pixel(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(GlyphDescriptor, TakesOnlyThePixelsOfTheBoxMarker)
{
    // Box 0 painted 5, box 1 painted 6, overlapping columns 3..4.
    auto image = test::pictureFromArt({
        "55.6666",
        "5..6..6",
        "555#6..",
    });
    const Glyph g = buildGlyphDescriptor(image, 5, CharBox{0, 0, 5, 3, 1});
    EXPECT_EQ(artOf(g), (std::vector<std::string>{"##...", "#....", "###.."}));
    EXPECT_EQ(g.dy, 1);
    const Glyph h = buildGlyphDescriptor(image, 6, CharBox{3, 0, 4, 3, 0});
    EXPECT_EQ(artOf(h), (std::vector<std::string>{"####", "#..#", ".#.."}));
}

TEST(GlyphDescriptor, CutsBoxesLargerThanTheBitmap)
{
    picture::CodeImage image(90, 50, 5);
    const Glyph g = buildGlyphDescriptor(image, 5, CharBox{0, 0, 90, 50, 0});
    EXPECT_EQ(g.width, 80);
    EXPECT_EQ(g.height, 45);
    EXPECT_TRUE(g.pixel(79, 44));
}

TEST(MergedDescriptor, JoinsTheRunInEitherReadingDirection)
{
    // Two boxes of one line, the second lower down; each box contributes its own marker only.
    auto image = test::pictureFromArt({
        "555...",
        "5.5.66",
        "555.66",
        "....6.",
    });
    const std::vector<CharBox> boxes{{0, 0, 3, 3, 0}, {4, 1, 2, 3, 1}};
    const std::vector<std::string> expected{"###...", "#.#.##", "###.##", "....#."};
    const Glyph ltr = buildMergedDescriptor(image, boxes, 0, 1, false);
    EXPECT_EQ(artOf(ltr), expected);
    EXPECT_EQ(ltr.dy, 0);
    const Glyph rtl = buildMergedDescriptor(image, boxes, 1, 1, true);
    EXPECT_EQ(rtl, ltr);
    const Glyph single = buildMergedDescriptor(image, boxes, 1, 0, false);
    EXPECT_EQ(artOf(single), (std::vector<std::string>{"##", "##", "#."}));
    EXPECT_EQ(single.dy, 1);
}

TEST(MergedDescriptor, CutsRunsTallerThanTheBitmap)
{
    // Only a hand-edited maximum line height lets a line, and so a run, exceed 45 rows.
    picture::CodeImage image(6, 60);
    test::fillRect(image, 0, 0, 3, 50, 5);
    test::fillRect(image, 3, 10, 3, 50, 6);
    const std::vector<CharBox> boxes{{0, 0, 3, 50, 0}, {3, 10, 3, 50, 10}};
    const Glyph g = buildMergedDescriptor(image, boxes, 0, 1, false);
    EXPECT_EQ(g.width, 6);
    EXPECT_EQ(g.height, 45);
    EXPECT_EQ(g.dy, 0);
    EXPECT_EQ(g.text.length, 0) << "nothing was written past the rows";
    EXPECT_TRUE(g.pixel(5, 44));
    EXPECT_FALSE(g.pixel(5, 9));
}

TEST(MergedDescriptor, RunOutsideTheBoxesIsCut)
{
    auto image = test::pictureFromArt({"55", "55"});
    const std::vector<CharBox> boxes{{0, 0, 2, 2, 0}};
    EXPECT_EQ(buildMergedDescriptor(image, boxes, 0, 3, false).width, 2);
    EXPECT_EQ(buildMergedDescriptor(image, {}, 0, 0, false).width, 0);
}
