// Palette BMP files of 4 or 8 bits: the exact bytes of a plain one, and writing plain or compressed files.
#include "core/bmp_writer.h"

#include "core/bmp_rle_writer.h"
#include "core/save_file.h"

#include <algorithm>
#include <cstring>

namespace glyfex::core {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void putLe16(QByteArray &b, int at, uint32_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void putLe32(QByteArray &b, int at, uint32_t v)
{
    putLe16(b, at, v & 0xFFFF);
    putLe16(b, at + 2, v >> 16);
}

} // namespace

Result<QByteArray> encodeBmp(const IndexedPicture &p)
{
    const QString where = QStringLiteral("%1 x %2 picture").arg(p.width).arg(p.height);
    if (p.width <= 0 || p.height <= 0 || p.width > 0x7FFF || p.height > 0x7FFF)
        return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("the size must be 1 to 32767 pixels each way"));
    if (p.pixels.size() != size_t(p.width) * size_t(p.height))
        return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("the pixels do not fill the picture"));
    if (p.bitsPerPixel != 4 && p.bitsPerPixel != 8)
        return makeError(QStringLiteral("Cannot make a bitmap"), where,
                         QStringLiteral("%1 bits per pixel: only 4 and 8 are written").arg(p.bitsPerPixel));
    const size_t maxColours = size_t(1) << p.bitsPerPixel;
    if (p.palette.empty() || p.palette.size() > maxColours)
        return makeError(QStringLiteral("Cannot make a bitmap"), where,
                         QStringLiteral("the palette must hold 1 to %1 colours").arg(maxColours));
    const bool packed = p.bitsPerPixel == 4;

    const int colours = int(p.palette.size());
    const int stride = ((p.bitsPerPixel * p.width + 31) >> 3) & ~3;
    const int imageSize = stride * p.height;
    const int offBits = kFileHeaderSize + kInfoHeaderSize + 4 * colours;
    // Every byte is written below, so the buffer is not cleared first.
    QByteArray b(offBits + imageSize, Qt::Uninitialized);
    std::fill_n(b.data(), offBits, '\0');

    // BITMAPFILEHEADER
    b[0] = 'B';
    b[1] = 'M';
    putLe32(b, 2, uint32_t(b.size()));  // bfSize: the whole file
    putLe32(b, 10, uint32_t(offBits));  // bfOffBits: where the rows start
    // BITMAPINFOHEADER
    putLe32(b, 14, kInfoHeaderSize);
    putLe32(b, 18, uint32_t(p.width));
    putLe32(b, 22, uint32_t(p.height)); // positive: rows stored bottom-up
    putLe16(b, 26, 1);                  // planes
    putLe16(b, 28, uint32_t(p.bitsPerPixel));
    putLe32(b, 30, 0);                  // BI_RGB: no compression
    putLe32(b, 34, uint32_t(imageSize));
    putLe32(b, 46, uint32_t(colours));  // biClrUsed
    // Palette: RGBQUAD is blue, green, red, reserved; a colour value keeps red in its low byte.
    for (int i = 0; i < colours; ++i) {
        const uint32_t c = p.palette[size_t(i)];
        const int at = kFileHeaderSize + kInfoHeaderSize + 4 * i;
        b[at] = char((c >> 16) & 0xFF);
        b[at + 1] = char((c >> 8) & 0xFF);
        b[at + 2] = char(c & 0xFF);
    }
    const int used = packed ? (p.width + 1) / 2 : p.width;
    for (int y = 0; y < p.height; ++y) {
        const uint8_t *src = p.pixels.data() + size_t(p.height - 1 - y) * size_t(p.width);
        auto *dst = reinterpret_cast<uint8_t *>(b.data()) + offBits + size_t(y) * size_t(stride);
        if (packed) {
            // Checked row by row while the row is at hand (the picture may be a whole frame), in
            // loops the compiler does many pixels at a time.
            uint8_t all = 0;
            for (int x = 0; x < p.width; ++x)
                all |= src[x];
            if (all > 15)
                return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("a 4-bit pixel passes index 15"));
            // Two pixels a byte, the first in the high nibble; an odd row's last pixel alone.
            const int pairs = p.width / 2;
            for (int x = 0; x < pairs; ++x)
                dst[x] = uint8_t(src[2 * x] << 4 | src[2 * x + 1]);
            if (p.width & 1)
                dst[pairs] = uint8_t(src[p.width - 1] << 4);
        } else {
            std::memcpy(dst, src, size_t(p.width));
        }
        std::fill(dst + used, dst + stride, uint8_t(0));
    }
    return b;
}

Result<void> writeBitmapFile(const QString &path, const IndexedPicture &picture, const BitmapFileOptions &options)
{
    const QString what = QStringLiteral("Cannot write the bitmap");
    auto plain = encodeBmp(picture);
    if (!plain)
        return makeError(what, path, plain.error().why);
    if (!options.compress)
        return saveFile(path, *plain, what, options.sync);
    auto compressed = compressBmp(*plain);
    if (!compressed)
        return makeError(compressed.error().what, path, compressed.error().why);
    return saveFile(path, *compressed, what, options.sync);
}

} // namespace glyfex::core
