// Text lines taller than the glyph bitmap: the reduced work picture of a tall frame, and lines that cannot be read marked, never lost.
#include "ascii_picture.h"
#include "ocr_road.h"

#include "recognition/picture_reduction.h"
#include "recognition/recognition_driver.h"
#include "recognition/segmentation.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace glyfex;
using namespace glyfex::recognition;
using glyfex::test::artOfPicture;
using glyfex::test::fillRect;
using glyfex::test::pictureFromArt;

namespace {

TEST(ReductionFactor, DvdFramesAreReadAsTheyAre)
{
    const struct {
        int rows;
        int factor;
    } cases[] = {{0, 1}, {480, 1}, {576, 1}, {577, 2}, {720, 2}, {1080, 2}, {1152, 2}, {1153, 3}, {2160, 4}};
    for (const auto &c : cases)
        EXPECT_EQ(reductionFactor(c.rows), c.factor) << c.rows << " rows";
}

// A reduced pixel is ink when at least half of its block is; the ink code that covers more of the block
// wins, and a pixel without enough ink takes the commonest other code. Blocks are cut at the edges.
TEST(ReducePicture, InkByTheMajorityOfEachBlock)
{
    const struct {
        const char *name;
        std::vector<std::string> art;
        InkCodes ink;
        int factor;
        std::vector<std::string> reduced;
    } cases[] = {
        {"half_a_block_is_ink", {"#...##", "#..##."}, {1, 255}, 2, {"#.#"}},
        {"a_quarter_is_not", {"#.....", "......"}, {1, 255}, 2, {"..."}},
        {"cut_edge_counts_its_own_pixels", {"..#", "..."}, {1, 255}, 2, {".#"}},
        {"outline_wins_when_it_covers_more", {"#+", "++"}, {1, 3}, 2, {"+"}},
        {"text_wins_a_tie", {"#+", "+#"}, {1, 3}, 2, {"#"}},
        {"background_takes_the_commonest_code", {"ooo", "o#o", ".o."}, {1, 255}, 3, {"o"}},
        {"factor_three", {"###...", "##....", "......"}, {1, 255}, 3, {"#."}},
        {"factor_one_is_the_picture", {"#o+."}, {1, 255}, 1, {"#o+."}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(artOfPicture(reducePicture(pictureFromArt(c.art), c.ink, c.factor)), c.reduced);
    }
}

// A mark of thin strokes that the majority rule would wipe out (no block of it half ink) keeps its blocks,
// unless ink stands beside them; a thin stroke of a glyph that keeps ink elsewhere, and a speck of less
// than half a block, keep the majority rule.
TEST(ReducePicture, ThinMarksKeepTheirBlocks)
{
    const struct {
        const char *name;
        std::vector<std::string> art;
        InkCodes ink;
        std::vector<std::string> reduced; // at factor 3
    } cases[] = {
        {"diagonal_mark_kept", {"#.....", ".#....", "..#...", "...#..", "....#.", ".....#"}, {1, 255}, {"#.", ".#"}},
        {"mark_keeps_its_ink_code", {"o.....", ".o....", "..o...", "...o..", "....o.", ".....o"}, {1, 2}, {"o.", ".o"}},
        {"tail_of_a_glyph_not_kept",
         {"###......", "###......", "###......", "...#.....", "....#....", ".....#...", "......#..", ".......#.",
          "........#"},
         {1, 255},
         {"#..", "...", "..."}},
        {"mark_beside_ink_not_kept", {"###.#.", "###..#", "###.#.", ".....#", "....#.", ".....#"}, {1, 255}, {"#.", ".."}},
        {"speck_of_less_than_half_a_block_dropped", {"..#...", "..##..", "...#.."}, {1, 255}, {".."}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(artOfPicture(reducePicture(pictureFromArt(c.art), c.ink, 3)), c.reduced);
        EXPECT_EQ(artOfPicture(reduceByBands(pictureFromArt(c.art), c.ink, 3).image), c.reduced);
    }
}

// Reduced band by band, an empty row between two inked ones stays empty (the uniform grid fills it from
// the row above), and each band is cut in blocks from its own top row.
TEST(ReduceByBands, GapsBetweenLinesStayEmpty)
{
    const struct {
        const char *name;
        std::vector<std::string> art;
        int factor;
        std::vector<std::string> reduced;
        std::vector<int> sourceTop;
    } cases[] = {
        {"one_empty_row_stays", {"##", "##", "..", "##"}, 2, {"#", ".", "#"}, {0, 2, 3, 4}},
        {"blocks_start_at_each_band", {"..", "##", "##", "..", "..", "..", "##", "##"}, 2, {".", "#", ".", ".", "#"}, {0, 1, 3, 5, 6, 8}},
        {"no_gap_is_the_uniform_grid", {"#.", "##", ".#", "##"}, 2, {"#", "#"}, {0, 2, 4}},
        {"factor_one_is_the_picture", {"#", ".", "#"}, 1, {"#", ".", "#"}, {0, 1, 2, 3}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ReducedPicture r = reduceByBands(pictureFromArt(c.art), InkCodes{1, 255}, c.factor);
        EXPECT_EQ(artOfPicture(r.image), c.reduced);
        EXPECT_EQ(r.sourceTop, c.sourceTop);
        ASSERT_EQ(r.reducedRow.size(), c.art.size());
        for (size_t y = 0; y < c.art.size(); ++y) {
            const int row = r.reducedRow[y];
            EXPECT_TRUE(c.sourceTop[size_t(row)] <= int(y) && int(y) < c.sourceTop[size_t(row) + 1]) << "row " << y;
        }
    }
}

// The code pictures below: lines of two solid glyphs, a narrow "a" and a wide "b", standing 3 pixels
// apart; a line may carry two accent dots far enough above it to form a band of their own.
struct DrawnLine {
    int height = 0;
    bool dots = false;
    int gapBelow = 14; // empty rows to the next line
};

constexpr int kPictureWidth = 120;
constexpr int kDotSize = 6;
constexpr int kDotGap = 8; // empty rows between the dots and their line

picture::CodeImage drawPicture(const std::vector<DrawnLine> &lines)
{
    int height = 2;
    for (const DrawnLine &l : lines)
        height += l.height + l.gapBelow + (l.dots ? kDotSize + kDotGap : 0);
    picture::CodeImage image(kPictureWidth, height);
    int top = 2;
    for (const DrawnLine &l : lines) {
        if (l.dots) {
            fillRect(image, 12, top, kDotSize, kDotSize);
            fillRect(image, 28, top, kDotSize, kDotSize);
            top += kDotSize + kDotGap;
        }
        // "a" from an odd column and a row below the line's top: a reduced block holds its corner alone.
        fillRect(image, 5, top + 1, 8, l.height - 1);
        fillRect(image, 16, top, 30, l.height); // "b"
        top += l.height + l.gapBelow;
    }
    return image;
}

// Names each glyph by the width of its box as the question shows it, in the picture's own pixels, and
// keeps the height of every box asked about.
class WidthAsker : public GlyphAsker {
public:
    static constexpr uint8_t kTextIndex = 1; // the text's code 1 as the question shows it (colour map 0 1 2 3)
    GlyphAnswer askGlyph(const GlyphQuestion &q) override
    {
        const CharBox &box = q.boxes[size_t(q.box)];
        askedHeights.push_back(box.height);
        // The asked glyph's own pixels are highlighted where the picture shows them, every one of them:
        // also a corner pixel whose block of the reduced picture held too little ink to count.
        int highlighted = 0, plain = 0;
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x) {
                highlighted += q.shown.at(x, y) == kHighlightIndex;
                plain += q.shown.at(x, y) == kTextIndex;
            }
        EXPECT_GT(2 * highlighted, box.width * box.height) << "box at " << box.x << "," << box.y;
        EXPECT_EQ(plain, 0) << "box at " << box.x << "," << box.y;
        const char *text = box.width >= 26 && box.width <= 32 ? "b" : box.width >= 6 && box.width <= 10 ? "a" : "?";
        return GlyphAnswer{core::toCharText(QString::fromLatin1(text)), 0, AnswerCode::Ok};
    }
    std::vector<int> askedHeights;
};

struct TallCase {
    const char *name;
    int frameRows;
    std::vector<DrawnLine> lines;
    std::vector<const char *> expected; // "#" is the unread-line marker; empty: the picture read nothing
    int unread;
    int questions; // two for each line height read: each shape is asked once
};

void PrintTo(const TallCase &c, std::ostream *os)
{
    *os << c.name;
}

class TallLines : public testing::TestWithParam<TallCase> {};

TEST_P(TallLines, EveryLineIsReadOrMarked)
{
    const TallCase &c = GetParam();
    CharMatrix matrix;
    subtitles::SubtitleStore store;
    test::DropSkippedItems skipped;
    OcrAssistState assist;
    core::SilentPrompt prompt(core::Answer::No);
    WidthAsker asker;
    RecognitionDriver driver(DriverEnvironment{matrix, store, skipped, asker, assist, prompt}, DriverOptions{});

    picture::DecodedPicture p;
    p.codes = drawPicture(c.lines);
    p.colourMap = {0, 1, 2, 3};
    p.contrastMap = {0, 15, 15, 15};
    p.colourCandidates = {0, 2, 0, 0};
    p.frameHeight = uint16_t(c.frameRows);
    auto outcome = driver.recognisePicture(p, core::millisecondsToTimeCode(1000), core::millisecondsToTimeCode(3000),
                                           picture::Rect{0, 0, p.codes.width - 1, p.codes.height - 1});
    ASSERT_TRUE(outcome.ok()) << outcome.error().message().toStdString();

    QStringList expected;
    for (const char *line : c.expected)
        expected << (std::string(line) == "#" ? unreadLineMarker() : QString::fromLatin1(line));
    EXPECT_EQ(outcome->lines, expected) << outcome->lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(outcome->unreadLines, c.unread);
    EXPECT_EQ(driver.unreadLines(), c.unread);
    // Nothing read: the picture went to the skipped items, where its text can be typed.
    EXPECT_EQ(skipped.asked, expected.isEmpty() ? 1 : 0);
    // Dots are never asked about: every box asked is a whole glyph of a line read, each shape once.
    EXPECT_EQ(int(asker.askedHeights.size()), c.questions);
    for (int h : asker.askedHeights)
        EXPECT_GT(h, kDotSize) << "an accent band was read as a line";
    // The shapes were learned from the reduced picture and fit the glyph bitmap.
    for (int i = 1; i <= matrix.count(); ++i)
        EXPECT_LE(matrix.entry(i).height, kGlyphMaxHeight);
}

const TallCase kTallCases[] = {
    {"dvd_45_rows_read", 576, {{45}}, {"ab"}, 0, 2},
    {"dvd_46_rows_to_the_skipped_items", 576, {{46}}, {}, 1, 0},
    {"unknown_frame_46_rows_to_the_skipped_items", 0, {{46}}, {}, 1, 0},
    {"hd_45_rows_read", 1080, {{45}}, {"ab"}, 0, 2},
    {"hd_46_rows_read", 1080, {{46}}, {"ab"}, 0, 2},
    {"hd_50_rows_read", 1080, {{50}}, {"ab"}, 0, 2},
    {"hd_60_rows_read", 1080, {{60}}, {"ab"}, 0, 2},
    {"hd_90_rows_read", 1080, {{90}}, {"ab"}, 0, 2},
    {"hd_91_rows_to_the_skipped_items", 1080, {{91}}, {}, 1, 0},
    {"uhd_90_rows_read", 2160, {{90}}, {"ab"}, 0, 2},
    {"dvd_tall_second_line_marked", 576, {{20}, {46}}, {"ab", "#"}, 1, 2},
    {"dvd_tall_first_line_marked", 576, {{60}, {20}}, {"#", "ab"}, 1, 2},
    {"hd_tall_line_between_two_read", 1080, {{40}, {120}, {40}}, {"ab", "#", "ab"}, 1, 2},
    {"hd_one_tall_line_of_two_read", 1080, {{40}, {80}}, {"ab", "ab"}, 0, 4},
    {"dvd_dots_of_a_tall_line_not_asked", 576, {{20}, {50, true}}, {"ab", "#"}, 1, 2},
    {"hd_dots_of_a_tall_line_not_asked", 1080, {{40}, {100, true}}, {"ab", "#"}, 1, 2},
    {"dvd_dots_of_the_only_line_to_the_skipped_items", 576, {{50, true}}, {}, 1, 0},
    // A typeface's own line spacing can leave a row or two between a descender and the line below.
    // On a DVD frame blocks that close form one line, as they always have.
    {"dvd_lines_one_row_apart_are_one", 576, {{20, false, 1}, {20}}, {"ab"}, 0, 2},
    {"hd_lines_one_row_apart_read_apart", 1080, {{40, false, 1}, {40}}, {"ab", "ab"}, 0, 2},
    {"hd_lines_two_rows_apart_read_apart", 1080, {{41, false, 2}, {40}}, {"ab", "ab"}, 0, 2},
};

INSTANTIATE_TEST_SUITE_P(Cases, TallLines, testing::ValuesIn(kTallCases),
                         [](const testing::TestParamInfo<TallCase> &info) { return std::string(info.param.name); });

} // namespace
