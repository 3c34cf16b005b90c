// Segmentation of small ASCII-art pictures: line gluing, glyph joins, merges, limits and the marker paint.
#include "ascii_picture.h"

#include "recognition/flood_fill.h"
#include "recognition/segmentation.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace glyfex;
using namespace glyfex::recognition;
using glyfex::test::artOfPicture;
using glyfex::test::fillRect;
using glyfex::test::pictureFromArt;

namespace {

const InkCodes kTextOnly{1, 255};
const std::array<uint32_t, 4> kColours{0x000000, 0x111111, 0x222222, 0x333333};

Segmentation segment(picture::CodeImage &image, const OcrSettings &settings = {}, InkCodes ink = kTextOnly)
{
    return segmentSubtitle(image, ink, kColours, settings);
}

} // namespace

TEST(FloodFill, JoinsEdgeNeighboursOnlyAndStopsAtOtherCodes)
{
    auto image = pictureFromArt({
        "##.#",
        ".#..",
        ".##o",
        "#...",
    });
    EXPECT_EQ(floodFill(image, 0, 0, 5), 5);
    EXPECT_EQ(artOfPicture(image), (std::vector<std::string>{"55.#", ".5..", ".55o", "#..."}));
    EXPECT_EQ(floodFill(image, 0, 0, 5), 0) << "already painted";
    EXPECT_EQ(floodFill(image, 9, 9, 5), 0) << "outside";
}

// Two blocks 9 rows high (taller than the minimum line height, so an empty row ends the first) with a
// gap of 1 or 2 empty rows: closer than the minimum inter-line gap they are one line.
TEST(Segmentation, GluesBlocksCloserThanTheInterLineGap)
{
    struct Case {
        int gap;
        size_t lines;
        int firstBoxHeight;
    };
    for (const Case &c : {Case{1, 1, 19}, Case{2, 2, 9}}) {
        picture::CodeImage image(6, 1 + 9 + c.gap + 9 + 2);
        fillRect(image, 1, 1, 3, 9);
        fillRect(image, 1, 1 + 9 + c.gap, 3, 9);
        const auto result = segment(image);
        ASSERT_EQ(result.lines.size(), c.lines) << "gap " << c.gap;
        ASSERT_EQ(result.lines[0].boxes.size(), 1u);
        EXPECT_EQ(result.lines[0].boxes[0], (CharBox{1, 1, 3, c.firstBoxHeight, 0})) << "gap " << c.gap;
    }
}

TEST(Segmentation, InkStartingOnTheLastRowIsNoLine)
{
    picture::CodeImage image(6, 14);
    fillRect(image, 1, 0, 3, 9);
    fillRect(image, 1, 13, 3, 1);
    const auto result = segment(image);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].bottom, 8);
}

TEST(Segmentation, DropsTooTallLinesAndStopsAfterTen)
{
    // A 46-row block, then eleven 9-row blocks two rows apart.
    picture::CodeImage image(6, 46 + 2 + 11 * 11);
    fillRect(image, 1, 0, 3, 46);
    for (int i = 0; i < 11; ++i)
        fillRect(image, 1, 48 + i * 11, 3, 9);
    const auto result = segment(image);
    ASSERT_EQ(result.lines.size(), 10u);
    EXPECT_EQ(result.lines[0].top, 48);
    EXPECT_EQ(result.lines[9].top, 48 + 9 * 11);
    // Each line passed over is given by the number of lines read above it.
    EXPECT_EQ(result.unreadLines, (std::vector<int>{0, 10}));

    OcrSettings taller;
    taller.maxLineHeight = 46;
    picture::CodeImage again(6, 46 + 2 + 11 * 11);
    fillRect(again, 1, 0, 3, 46);
    EXPECT_EQ(segment(again, taller).lines.size(), 1u);
}

namespace {

// One line of art: the boxes found and the whole picture as segmentation leaves it painted ('5' and '6'
// the two markers), since stored matrices depend on exactly these shapes.
struct ArtCase {
    const char *name;
    std::vector<std::string> art;
    std::vector<CharBox> boxes;
    std::vector<std::string> painted;
    InkCodes ink = kTextOnly;
    bool checkDetachedChar = true;
    uint32_t colour = 0x111111;
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const ArtCase &c, std::ostream *os)
{
    *os << c.name;
}

class SegmentArt : public testing::TestWithParam<ArtCase> {};

TEST_P(SegmentArt, FindsTheBoxesAndPaintsTheGlyphs)
{
    const ArtCase &c = GetParam();
    auto image = pictureFromArt(c.art);
    OcrSettings settings;
    settings.checkDetachedChar = c.checkDetachedChar;
    const auto result = segment(image, settings, c.ink);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].boxes, c.boxes);
    EXPECT_EQ(artOfPicture(image), c.painted);
    EXPECT_EQ(result.lines[0].colour, c.colour);
}

const std::vector<std::string> kDiagonalDot{
    "...##.",
    "...##.",
    ".##...",
    ".##...",
    ".##...",
    ".##...",
};

const ArtCase kArtCases[] = {
    {"DotAboveTheStemJoins",
     {"......", ".##...", "......", ".##...", ".##...", ".##...", "......"},
     {{1, 1, 2, 5, 0}},
     {"......", ".55...", "......", ".55...", ".55...", ".55...", "......"}},
    {"DiagonalDotJoinsWithTheDetachedCheck",
     kDiagonalDot,
     {{1, 0, 4, 6, 0}},
     {"...55.", "...55.", ".55...", ".55...", ".55...", ".55..."}},
    {"DiagonalDotStaysApartWithoutIt",
     kDiagonalDot,
     {{1, 2, 2, 4, 2}, {3, 0, 2, 2, 0}},
     {"...66.", "...66.", ".55...", ".55...", ".55...", ".55..."},
     kTextOnly,
     false},
    // No box was counted for the 1-pixel stroke, so the next glyph carries the same marker.
    {"TooNarrowGlyphKeepsItsPaintButGetsNoBox",
     {".#..##.", ".#..##.", ".#..##."},
     {{4, 0, 2, 3, 0}},
     {".5..55.", ".5..55.", ".5..55."}},
    {"PieceBelowThePreviousGlyphMergesIntoIt",
     {".###.", ".###.", ".###.", ".....", "..##.", "..##."},
     {{1, 0, 3, 6, 0}},
     {".555.", ".555.", ".555.", ".....", "..55.", "..55."}},
    {"OutlineAndTextFormOneGlyph",
     {".ooooo", ".o###o", ".o#.#o", ".o###o", ".ooooo"},
     {{1, 0, 5, 5, 0}},
     {".55555", ".55555", ".55.55", ".55555", ".55555"},
     InkCodes{1, 2},
     true,
     0x222222},
};

INSTANTIATE_TEST_SUITE_P(Cases, SegmentArt, testing::ValuesIn(kArtCases),
                         [](const testing::TestParamInfo<ArtCase> &info) { return std::string(info.param.name); });

} // namespace

TEST(Segmentation, GlyphWiderThanTheBitmapGivesThePictureUp)
{
    for (int width : {80, 81}) {
        picture::CodeImage image(width + 4, 12);
        fillRect(image, 1, 1, 3, 9);
        fillRect(image, 1, 5, width, 3);
        const auto result = segment(image);
        if (width == 80) {
            ASSERT_EQ(result.lines.size(), 1u);
            EXPECT_EQ(result.lines[0].boxes[0].width, 80);
            EXPECT_FALSE(result.glyphTooWide);
        } else {
            EXPECT_TRUE(result.lines.empty());
            EXPECT_TRUE(result.glyphTooWide);
        }
    }
}

TEST(Segmentation, KeepsAtMostFiveHundredBoxesPerLine)
{
    picture::CodeImage image(3 * 510 + 1, 4);
    for (int i = 0; i < 510; ++i)
        fillRect(image, 1 + 3 * i, 1, 2, 2);
    const auto result = segment(image);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].boxes.size(), 500u);
    EXPECT_EQ(result.lines[0].boxes.back().x, 1 + 3 * 499);
}

TEST(Segmentation, PictureWithoutInkHasNoLines)
{
    auto image = pictureFromArt({"....", "+..+", "...."});
    EXPECT_TRUE(segment(image).lines.empty());
    picture::CodeImage none;
    EXPECT_TRUE(segment(none).lines.empty());
}

TEST(Segmentation, InkCodeWithoutAColourGivesABlackLine)
{
    // Codes above 3 have no entry in the four-colour table; the line still segments.
    picture::CodeImage image(4, 3);
    fillRect(image, 1, 0, 2, 3, 7);
    const auto result = segment(image, {}, InkCodes{7, 255});
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].boxes.size(), 1u);
    EXPECT_EQ(result.lines[0].colour, 0u);
}
