// The plain BMP writer's files as QImage reads them: size, pixel indices and colours, at 8 and 4 bits.
#include "core/bmp_writer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace glyfex::core {
namespace {

void expectQImageReadsIndicesAndColours(int bits, const std::vector<uint32_t> &palette, std::initializer_list<int> widths)
{
    for (int width : widths) {
        const int height = 3;
        std::vector<uint8_t> pixels(size_t(width * height));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t((i * 5 + i / 16 * 3 + i / size_t(width)) % palette.size()); // no 16-pixel period
        auto bytes = encodeBmp({width, height, pixels, palette, bits});
        ASSERT_TRUE(bytes.ok());
        QImage image;
        ASSERT_TRUE(image.loadFromData(*bytes, "BMP")) << width;
        ASSERT_EQ(image.size(), QSize(width, height));
        ASSERT_EQ(image.format(), QImage::Format_Indexed8);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t index = pixels[size_t(y * width + x)];
                EXPECT_EQ(image.pixelIndex(x, y), index) << bits << " bits, width " << width << " at " << x << "," << y;
                const uint32_t value = palette[index]; // 0x00BBGGRR
                EXPECT_EQ(image.pixel(x, y), qRgb(int(value & 0xFF), int((value >> 8) & 0xFF), int(value >> 16)));
            }
    }
}

TEST(BmpWriterImage, QImageReadsSizesIndicesAndColours)
{
    // Widths with every row padding (0-3 bytes), a palette with distinct red, green and blue.
    const std::vector<uint32_t> palette{0x000000, 0xFFFFFF, 0x0000FF, 0xFF0000, 0x00FF00, 0x123456};
    expectQImageReadsIndicesAndColours(8, palette, {1, 2, 3, 4, 5, 13});
}

TEST(BmpWriterImage, QImageReadsFourBitRowsOfEveryLength)
{
    // Rows packed several pixels at a time: widths shorter than, equal to and past whole groups of
    // pixels, odd and even, with all sixteen indices in every position of a byte.
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i)
        palette.push_back(i * 15 | (255 - i * 15) << 8 | ((i * 37) & 255) << 16);
    expectQImageReadsIndicesAndColours(4, palette, {1, 2, 3, 7, 8, 9, 15, 16, 17, 24, 31, 32, 33, 40, 47, 63, 64, 65, 720});
}

} // namespace
} // namespace glyfex::core
