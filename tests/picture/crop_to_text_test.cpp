// Crop to text: the box rules (a lone top row is cut, a lone bottom row kept) and the picture left behind.
#include "picture/crop_to_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace glyfex::ripping {
namespace {

// A filled rectangle of one code, inclusive coordinates.
struct Block {
    int left, top, right, bottom;
    uint8_t code = 1;
};

picture::CodeImage picture(int width, int height, uint8_t background, const std::vector<Block> &blocks)
{
    picture::CodeImage img(width, height, background);
    for (const Block &b : blocks)
        for (int y = b.top; y <= b.bottom; ++y)
            for (int x = b.left; x <= b.right; ++x)
                img.at(x, y) = b.code;
    return img;
}

struct CropCase {
    const char *name;
    int width, height;
    uint8_t background;
    std::vector<Block> blocks;
    std::optional<picture::Rect> box;
};
void PrintTo(const CropCase &c, std::ostream *os) { *os << c.name; }

class CropToText : public ::testing::TestWithParam<CropCase> {};

TEST_P(CropToText, FindsTheBoxAndKeepsItsPixels)
{
    const CropCase &c = GetParam();
    const picture::CodeImage before = picture(c.width, c.height, c.background, c.blocks);
    picture::CodeImage img = before;
    const std::optional<picture::Rect> box = cropToText(img, c.background);
    EXPECT_EQ(box, c.box);
    if (!c.box) {
        EXPECT_EQ(img, before);
        return;
    }
    // The picture is exactly the block of the original inside the box.
    ASSERT_EQ(img.width, c.box->right - c.box->left + 1);
    ASSERT_EQ(img.height, c.box->bottom - c.box->top + 1);
    ASSERT_EQ(img.bytes.size(), size_t(img.width) * size_t(img.height));
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            ASSERT_EQ(img.at(x, y), before.at(c.box->left + x, c.box->top + y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(, CropToText, ::testing::Values(
    CropCase{"TextInOneRowOnlyIsNoText", 20, 10, 0, {{2, 4, 15, 4}}, std::nullopt},
    CropCase{"OnlyBackgroundIsLeftAlone", 20, 10, 3, {}, std::nullopt},
    CropCase{"EmptyPictureIsLeftAlone", 0, 0, 0, {}, std::nullopt},
    CropCase{"TextInRows0And1", 20, 10, 0, {{3, 0, 5, 1}}, picture::Rect{3, 0, 5, 1}},
    CropCase{"LoneStrayRowAboveIsCut", 30, 50, 0, {{0, 2, 29, 2}, {4, 10, 20, 40}}, picture::Rect{4, 10, 20, 40}},
    CropCase{"LoneStrayRowBelowIsKept", 30, 50, 0, {{4, 10, 20, 40}, {25, 46, 27, 46}}, picture::Rect{4, 10, 27, 46}},
    CropCase{"StrayRowAboveDoesNotWidenTheBox", 30, 50, 0, {{0, 2, 0, 2}, {4, 10, 20, 40}}, picture::Rect{4, 10, 20, 40}},
    CropCase{"BlankRowsInsideTheText", 40, 30, 0, {{5, 3, 9, 4}, {20, 20, 30, 25}}, picture::Rect{5, 3, 30, 25}},
    CropCase{"BackgroundOtherThanZero", 12, 12, 3, {{1, 1, 2, 2, 0}, {6, 5, 10, 9, 1}}, picture::Rect{1, 1, 10, 9}},
    CropCase{"TextTouchingEveryEdge", 9, 7, 0, {{0, 0, 8, 1}, {8, 6, 8, 6, 2}}, picture::Rect{0, 0, 8, 6}},
    CropCase{"BlockInAFullFrame", 720, 576, 0, {{100, 400, 299, 449}}, picture::Rect{100, 400, 299, 449}},
    CropCase{"TallerThanADvdFrame", 64, 1200, 0, {{7, 1100, 40, 1150}}, picture::Rect{7, 1100, 40, 1150}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CropToTextTwice, ASecondCropOfTheResultChangesNothing)
{
    picture::CodeImage img = picture(50, 40, 0, {{10, 5, 30, 20}});
    ASSERT_TRUE(cropToText(img, 0));
    const picture::CodeImage once = img;
    EXPECT_EQ(cropToText(img, 0), (picture::Rect{0, 0, 20, 15}));
    EXPECT_EQ(img, once);
}

} // namespace
} // namespace glyfex::ripping
