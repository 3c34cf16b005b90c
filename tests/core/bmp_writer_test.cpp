// Tests of the plain 8-bit BMP writer: golden files byte for byte, and refusals.
#include "core/bmp_writer.h"

#include "support/test_data.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <numeric>
#include <vector>

namespace glyfex::core {
namespace {

QByteArray golden(const char *name)
{
    const auto bytes = test::readBytes(test::dataPath(QStringLiteral("bmp/") + QLatin1String(name)));
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

struct GoldenCase {
    const char *file;
    int width;
    int height;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> palette;
};
void PrintTo(const GoldenCase &c, std::ostream *os) { *os << c.file; }

std::vector<uint32_t> sixteenColours()
{
    std::vector<uint32_t> p;
    for (uint32_t i = 0; i < 16; ++i)
        p.push_back(0x102030u + i * 0x010101u);
    return p;
}

std::vector<uint8_t> upTo(int n)
{
    std::vector<uint8_t> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), uint8_t(0));
    return v;
}

class GoldenBitmaps : public testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenBitmaps, MatchByteForByte)
{
    const GoldenCase &c = GetParam();
    const IndexedPicture picture{c.width, c.height, c.pixels, c.palette};
    auto bytes = encodeBmp(picture);
    ASSERT_TRUE(bytes.ok()) << bytes.error().message().toStdString();
    EXPECT_EQ(bytes->toHex(' ').toStdString(), golden(c.file).toHex(' ').toStdString());

}

INSTANTIATE_TEST_SUITE_P(, GoldenBitmaps,
                         testing::Values(GoldenCase{"three_by_two_four_colours.bmp", 3, 2, {0, 1, 2, 3, 2, 1},
                                                    {0x000000, 0xFFFFFF, 0x0000FF, 0xFF0000}},
                                         GoldenCase{"four_by_three_sixteen_colours.bmp", 4, 3, upTo(12), sixteenColours()}),
                         [](const auto &info) { return QString::fromLatin1(info.param.file).section('.', 0, 0).toStdString(); });

TEST(BmpWriter, RefusesPicturesItCannotWrite)
{
    const std::vector<uint8_t> six(6, 0);
    const std::vector<uint32_t> two{0, 0xFFFFFF};
    const std::vector<uint32_t> tooMany(257, 0);
    const struct {
        const char *name;
        IndexedPicture picture;
    } cases[] = {
        {"zero_width", {0, 2, {}, two}},
        {"pixels_short_of_the_size", {3, 3, six, two}},
        {"no_palette", {3, 2, six, {}}},
        {"palette_past_256", {3, 2, six, tooMany}},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(encodeBmp(c.picture).ok()) << c.name;
}

// A 4-bit file holds indices up to 15: one past that anywhere in the picture, first or last in a row,
// inside or after a group of pixels packed together, refuses the picture.
TEST(BmpWriter, RefusesAFourBitPixelPastFifteenAnywhere)
{
    const int width = 45; // a group of 32, one of 8 and 5 alone
    const int height = 2;
    const std::vector<uint32_t> palette(16, 0x808080);
    std::vector<uint8_t> pixels(size_t(width * height), 15);
    ASSERT_TRUE(encodeBmp({width, height, pixels, palette, 4}).ok()) << "index 15 is allowed";
    for (size_t at = 0; at < pixels.size(); ++at) {
        for (uint8_t bad : {uint8_t(16), uint8_t(0x80), uint8_t(255)}) {
            std::vector<uint8_t> px = pixels;
            px[at] = bad;
            EXPECT_FALSE(encodeBmp({width, height, px, palette, 4}).ok()) << "index " << int(bad) << " at " << at;
        }
    }
}

TEST(BmpWriter, FailedWriteKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const std::vector<uint8_t> px{1, 0, 0, 1};
    const std::vector<uint32_t> pal{0, 0xFFFFFF};
    const QString path = dir.filePath(QStringLiteral("a.bmp"));
    ASSERT_TRUE(writeBitmapFile(path, {2, 2, px, pal}).ok());
    const auto before = test::readBytes(path);
    EXPECT_FALSE(writeBitmapFile(dir.filePath(QStringLiteral("missing/a.bmp")), {2, 2, px, pal}).ok());
    EXPECT_FALSE(writeBitmapFile(path, {2, 3, px, pal}).ok()); // a refused picture does not touch the file
    EXPECT_EQ(test::readBytes(path), before);
}

} // namespace
} // namespace glyfex::core
