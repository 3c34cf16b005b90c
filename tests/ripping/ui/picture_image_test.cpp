// Pixel-code pictures in DVD colours: the colour map, transparent codes and marker codes.
#include "ripping/ui/picture_image.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping;

TEST(CodePictureImage, CodesTakeTheirMappedColours)
{
    picture::CodeImage codes(5, 2);
    const uint8_t values[] = {0, 1, 2, 3, 9, 3, 2, 1, 0, 5};
    std::copy(std::begin(values), std::end(values), codes.bytes.begin());
    DvdPalette palette{};
    palette[4] = 0x0000FF;  // red
    palette[7] = 0x00FF00;  // green
    palette[12] = 0xFF0000; // blue
    palette[13] = 0xFFFFFF;
    const std::array<uint8_t, 4> colourMap{13, 4, 7, 0x1C}; // the high nibble is not part of an index
    const std::array<uint8_t, 4> contrastMap{0, 15, 15, 8};
    const QImage image = ui::codePictureImage(codes, colourMap, contrastMap, palette, 0x808080);
    ASSERT_EQ(image.size(), QSize(5, 2));
    struct Row { int x, y; QRgb rgb; const char *why; };
    const Row rows[] = {
        {0, 0, qRgb(128, 128, 128), "contrast 0 shows the background, not palette entry 13"},
        {1, 0, qRgb(255, 0, 0), "code 1 -> palette 4"},
        {2, 0, qRgb(0, 255, 0), "code 2 -> palette 7"},
        {3, 0, qRgb(0, 0, 255), "code 3 -> palette 12"},
        {4, 0, qRgb(255, 0, 255), "marker 9 keeps its magenta"},
        {4, 1, qRgb(254, 0, 0), "marker 5"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(image.pixel(r.x, r.y), r.rgb) << r.why;
    EXPECT_TRUE(ui::codePictureImage(picture::CodeImage(), colourMap, contrastMap, palette, 0).isNull());
}
