// Work picture to QImage: an 8-bit image sharing the picture's bytes layout, with a 256-entry colour table.
#include "ripping/ui/picture_image.h"

#include <algorithm>
#include <cstring>

namespace glyfex::ripping::ui {

QColor colourOfBgr(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

uint32_t bgrOfColour(const QColor &c)
{
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

namespace {
QRgb rgbOf(uint32_t bgr) { return colourOfBgr(bgr).rgb(); }
} // namespace

QImage codePictureImage(const picture::CodeImage &codes, const std::array<uint8_t, 4> &colourMap,
                        const std::array<uint8_t, 4> &contrastMap, const DvdPalette &palette, uint32_t background)
{
    if (codes.empty())
        return {};
    QImage image(codes.width, codes.height, QImage::Format_Indexed8);
    // The work picture's marker colours for codes above 3 (filling marks, outlines).
    QList<QRgb> table(256, qRgb(0, 0, 0));
    const QRgb markers[10] = {qRgb(0, 0, 0),     qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255),
                              qRgb(192, 192, 192), qRgb(254, 0, 0),   qRgb(253, 0, 0), qRgb(0, 128, 128),
                              qRgb(128, 128, 128), qRgb(255, 0, 255)};
    for (int i = 4; i < 10; ++i)
        table[i] = markers[i];
    for (size_t c = 0; c < 4; ++c)
        table[int(c)] = contrastMap[c] == 0 ? rgbOf(background) : rgbOf(palette[colourMap[c] & 0x0F]);
    image.setColorTable(table);
    for (int y = 0; y < codes.height; ++y)
        std::memcpy(image.scanLine(y), codes.row(y), size_t(codes.width));
    return image;
}

} // namespace glyfex::ripping::ui
