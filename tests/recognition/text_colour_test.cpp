// Text colour detection on small pictures of pixel codes, with and without an outline code.
#include "ascii_picture.h"

#include "recognition/text_colour.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

// Art digits for codes in these pictures: '.' 0, '#' 1, 'o' 2, '+' 3.
struct ColourCase {
    const char *name;
    std::vector<std::string> art;
    ColourCandidates candidates;
    bool found;
    InkCodes ink;
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const ColourCase &c, std::ostream *os)
{
    *os << c.name;
}

class DetectTextColours : public testing::TestWithParam<ColourCase> {};

TEST_P(DetectTextColours, ChoosesTheInkCodes)
{
    const ColourCase &c = GetParam();
    const auto image = test::pictureFromArt(c.art);
    ColourCandidates candidates = c.candidates;
    const auto ink = detectTextColours(image, candidates);
    ASSERT_EQ(ink.has_value(), c.found);
    if (c.found) {
        EXPECT_EQ(int(ink->text), int(c.ink.text));
        EXPECT_EQ(int(ink->outline), int(c.ink.outline));
    }
}

const ColourCase kColourCases[] = {
    {"OnlyCodeThreeVisible", {"....", ".++.", "...."}, {0, 0, 0, 2}, true, {3, 255}},
    {"TopLeftCodeIsBackground", {"oooo", "o##o", "oooo"}, {0, 2, 2, 0}, true, {1, 255}},
    {"NeitherInTopRowTakesTheLower", {"....", ".#o.", "...."}, {0, 2, 2, 0}, true, {1, 255}},
    // Code 1 starts each row left of code 2 and has as many pixels: it surrounds code 2, so it is dropped.
    {"SurroundingCodeOfSimilarCountIsDropped", {"......", ".#oo#.", ".#oo#.", "......"}, {2, 2, 2, 0}, true,
     {255, 2}},
    {"TextWithAThirdOfTheOutlinePixelsIsDropped", {"......", ".o#oo.", ".o#oo.", "......"}, {2, 2, 2, 0}, true,
     {255, 2}},
    {"ThreeCodesNeverPairedAloneKeepBoth", {"......", ".#o+..", "..+o#.", "......"}, {2, 2, 2, 2}, true, {1, 2}},
    {"TransparentPictureIsSkipped", {"....", "...."}, {0, 0, 0, 0}, false, {}},
    {"CandidateWithoutPixelsIsNotPresent", {"....", "...."}, {0, 2, 0, 0}, false, {}},
    {"MarkerCodesAreIgnored", {"5555", "5##5", "6666"}, {0, 2, 0, 0}, true, {1, 255}},
};

INSTANTIATE_TEST_SUITE_P(Cases, DetectTextColours, testing::ValuesIn(kColourCases),
                         [](const testing::TestParamInfo<ColourCase> &info) { return std::string(info.param.name); });

TEST(DetectTextColours, MarksTheBackgroundAndDroppedCodes)
{
    const auto image = test::pictureFromArt({"......", ".#oo#.", "......"});
    ColourCandidates candidates{2, 2, 2, 2};
    ASSERT_TRUE(detectTextColours(image, candidates));
    EXPECT_EQ(candidates, (ColourCandidates{1, 1, 2, 0}));
}

TEST(ColourImage, MapsCodesThroughTheColourMapAndMarkersToTheBackground)
{
    const auto image = test::pictureFromArt({".#o+5"});
    const auto coloured = buildColourImage(image, {9, 10, 11, 12});
    EXPECT_EQ(coloured.bytes, (std::vector<uint8_t>{9, 10, 11, 12, 9}));

    std::array<uint32_t, 16> palette{};
    palette[3] = 0x00332211; // blue 0x33, green 0x22, red 0x11
    const auto colours = codeColours({3, 3, 19, 0}, palette);
    EXPECT_EQ(colours[0], 0x00112233u);
    EXPECT_EQ(colours[2], 0x00112233u) << "an index above 15 stays inside the palette";
}

} // namespace

namespace glyfex::recognition {
namespace {

TEST(InkCodesOfChoice, TheLowestCheckedCodeIsTheTextTheNextItsOutline)
{
    const struct {
        std::array<bool, 4> checked;
        std::optional<InkCodes> expected;
    } cases[] = {
        {{false, true, false, false}, InkCodes{1, 255}},
        {{false, true, false, true}, InkCodes{1, 3}}, // checked as 3 then 1: the order of the codes counts
        {{true, false, true, false}, InkCodes{0, 2}},
        {{false, false, false, false}, std::nullopt},
        {{true, true, true, false}, std::nullopt},
        {{true, true, true, true}, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(inkCodesOfChoice(c.checked), c.expected);
}

} // namespace
} // namespace glyfex::recognition
