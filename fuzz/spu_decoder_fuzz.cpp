// Fuzz target for the subpicture decoder: any bytes as a unit must decode to a bounded picture, the same
// picture a plain nibble-by-nibble reading of the run-length rules gives.
#include "fuzz/require.h"
#include "picture/crop_to_text.h"
#include "ripping/spu_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using glyfex::picture::CodeImage;
using glyfex::picture::DecodedPicture;
using glyfex::fuzz::require;

namespace {

// The pixels of one field read the slow way: nibbles while the value stays below the next length's
// threshold, every run written out, codes 0 included.
void referenceField(const uint8_t *data, size_t begin, size_t end, int firstRow, CodeImage &img)
{
    if (begin >= end)
        return;
    size_t bit = begin * 8;
    const size_t endBits = end * 8;
    const auto nibble = [&](uint32_t &out) {
        if (bit + 4 > endBits)
            return false;
        out = uint32_t(data[bit / 8] >> (4 - bit % 8)) & 0x0F;
        bit += 4;
        return true;
    };
    int x = 0;
    int y = firstRow;
    for (;;) {
        // Thresholds 4, 0x10, 0x40: the value of a 4, 8, 12 bit code; 16 bits at most.
        uint32_t v = 0;
        uint32_t n = 0;
        bool whole = nibble(v);
        for (uint32_t threshold = 4; whole && v < threshold && threshold <= 0x40; threshold <<= 2) {
            whole = nibble(n);
            v = v << 4 | n;
        }
        if (!whole)
            return;
        const int count = int(v >> 2);
        const int run = count == 0 ? img.width - x : std::min(count, img.width - x);
        std::fill_n(img.row(y) + x, run, uint8_t(v & 3));
        x += run;
        if (x == img.width) {
            bit = (bit + 7) / 8 * 8;
            x = 0;
            y += 2;
            if (y >= img.height)
                return;
        }
    }
}

CodeImage referencePicture(const uint8_t *unit, size_t size, const DecodedPicture &picture)
{
    const size_t unitSize = size >= 2 ? size_t(unit[0] << 8 | unit[1]) : 0;
    const size_t controlOffset = size >= 4 ? size_t(unit[2] << 8 | unit[3]) : 0;
    const size_t limit = std::min(unitSize, size);
    const auto &first = picture.first();
    CodeImage img(picture.width, picture.height + 1);
    referenceField(unit, first.topOffset, std::min<size_t>(first.bottomOffset, limit), 0, img);
    referenceField(unit, first.bottomOffset, std::min(controlOffset, limit), 1, img);
    img.height = picture.height;
    img.bytes.resize(size_t(img.width) * size_t(img.height));
    for (int c = 0; c < 4; ++c) {
        if (picture.contrastMap[c] == 0)
            glyfex::picture::cropToText(img, uint8_t(c));
    }
    return img;
}

} // namespace

// The first byte picks the frame height (unknown, NTSC, PAL or a short one) in bits 0-1 and the frame
// width (unknown, DVD, HD or a narrow title set's video) in bits 2-3; the rest is the unit.
// The state is kept between inputs, as the program keeps it between the units of a run.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static DecodedPicture picture;
    if (size < 1 || size > 65537)
        return 0;
    static constexpr int frameHeights[4] = {0, 480, 576, 100};
    static constexpr int frameWidths[4] = {0, 720, 1920, 352};
    const int frameHeight = frameHeights[data[0] & 3];
    const int frameWidth = frameWidths[data[0] >> 2 & 3];
    const int heightLimit = frameHeight ? frameHeight : 576;
    const int widthLimit = std::max(frameWidth, 720);
    const uint8_t *unit = data + 1;
    const size_t unitBytes = size - 1;
    glyfex::ripping::decodeSubpicture(std::span<const uint8_t>(unit, unitBytes), frameWidth, frameHeight, picture);

    const auto &codes = picture.codes;
    require(!picture.sequences.empty() && picture.sequences.size() <= size_t(DecodedPicture::maxSequences),
            "sequence count out of range");
    require(picture.width >= 1 && picture.width <= widthLimit && picture.height >= 1 && picture.height <= heightLimit,
            "decoded size out of range");
    require(codes.width >= 1 && codes.width <= picture.width && codes.height >= 1 && codes.height <= picture.height,
            "trimmed size out of range");
    require(codes.bytes.size() == size_t(codes.width) * size_t(codes.height), "picture bytes do not match its size");
    const auto &first = picture.first();
    require(first.x2 == first.x1 + codes.width - 1 && first.y2 == first.y1 + codes.height - 1,
            "area does not match the trimmed picture");
    require(codes == referencePicture(unit, unitBytes, picture), "pixels differ from the plain reading");
    return 0;
}
