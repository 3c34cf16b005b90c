// Reduction of a work picture by a whole factor, by the ink majority of each block.
#include "recognition/picture_reduction.h"

#include <algorithm>
#include <array>

namespace glyfex::recognition {

int reductionFactor(int frameRows)
{
    if (frameRows <= kUnreducedFrameRows)
        return 1;
    return (frameRows + kUnreducedFrameRows - 1) / kUnreducedFrameRows;
}

picture::CodeImage reducePicture(const picture::CodeImage &image, InkCodes ink, int factor)
{
    if (factor <= 1 || image.empty())
        return image;
    const int width = (image.width + factor - 1) / factor;
    const int height = (image.height + factor - 1) / factor;
    picture::CodeImage out(width, height, 0);
    std::array<int, 256> count{};
    for (int ry = 0; ry < height; ++ry) {
        const int y0 = ry * factor;
        const int y1 = std::min(y0 + factor, image.height);
        for (int rx = 0; rx < width; ++rx) {
            const int x0 = rx * factor;
            const int x1 = std::min(x0 + factor, image.width);
            int inkPixels = 0;
            for (int y = y0; y < y1; ++y) {
                const uint8_t *p = image.row(y);
                for (int x = x0; x < x1; ++x) {
                    ++count[p[x]];
                    inkPixels += ink.isInk(p[x]) ? 1 : 0;
                }
            }
            const int pixels = (y1 - y0) * (x1 - x0);
            uint8_t code = 0;
            if (2 * inkPixels >= pixels) {
                // A text code of 255 is "none" and never counted as ink.
                const int text = ink.text != 255 ? count[ink.text] : -1;
                const int outline = ink.outline != 255 ? count[ink.outline] : -1;
                code = text >= outline ? ink.text : ink.outline;
            } else {
                int best = -1;
                for (int y = y0; y < y1; ++y) {
                    const uint8_t *p = image.row(y);
                    for (int x = x0; x < x1; ++x) {
                        const uint8_t c = p[x];
                        if (!ink.isInk(c) && (count[c] > best || (count[c] == best && c < code))) {
                            best = count[c];
                            code = c;
                        }
                    }
                }
            }
            out.at(rx, ry) = code;
            for (int y = y0; y < y1; ++y) {
                const uint8_t *p = image.row(y);
                for (int x = x0; x < x1; ++x)
                    count[p[x]] = 0;
            }
        }
    }
    return out;
}

} // namespace glyfex::recognition
