// Palette BMP files of 4 or 8 bits: the exact bytes of a plain one, and writing plain or compressed files.
#include "core/bmp_writer.h"

#include "core/bmp_rle_writer.h"
#include "core/save_file.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Packs one row of 4-bit indices two a byte, the first in the high nibble and an odd row's last pixel
// alone; false when an index passes 15. Eight pixels are taken at a time as one 64-bit word, since
// byte-wise loops of this shape stay one pixel a step at the optimisation most builds use, and the
// pictures of a run are whole frames.
bool packRow4(const uint8_t *src, uint8_t *dst, int width)
{
    int x = 0;
#if defined(__SSE2__)
    // Thirty-two pixels a step where SSE2 is there (every x86-64): the same lanes as below, sixteen
    // to a register, the packed pairs narrowed to bytes together.
    __m128i seen = _mm_setzero_si128();
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    for (; x + 32 <= width; x += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x + 16));
        seen = _mm_or_si128(seen, _mm_or_si128(a, b));
        const __m128i pa = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(a, 4), _mm_srli_epi16(a, 8)), lowBytes);
        const __m128i pb = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(b, 4), _mm_srli_epi16(b, 8)), lowBytes);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x / 2), _mm_packus_epi16(pa, pb));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(seen, _mm_set1_epi8(char(0xF0))), _mm_setzero_si128())) != 0xFFFF)
        return false;
#endif
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t all = 0;
        for (; x + 8 <= width; x += 8) {
            uint64_t v;
            std::memcpy(&v, src + x, sizeof v);
            all |= v;
            // In each 16-bit lane the even pixel is the low byte and the odd one the high byte: the
            // low byte of (lane << 4 | lane >> 8) is the packed pair, if both are below 16.
            uint64_t pairs = ((v << 4) | (v >> 8)) & 0x00FF00FF00FF00FFull;
            pairs = (pairs | (pairs >> 8)) & 0x0000FFFF0000FFFFull;
            pairs = (pairs | (pairs >> 16)) & 0x00000000FFFFFFFFull;
            const auto packed = uint32_t(pairs);
            std::memcpy(dst + x / 2, &packed, sizeof packed);
        }
        if (all & 0xF0F0F0F0F0F0F0F0ull)
            return false;
    }
    uint8_t rest = 0;
    for (int i = x; i < width; ++i)
        rest |= src[i];
    if (rest > 15)
        return false;
    for (; x + 1 < width; x += 2)
        dst[x / 2] = uint8_t(src[x] << 4 | src[x + 1]);
    if (x < width)
        dst[x / 2] = uint8_t(src[x] << 4);
    return true;
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
            if (!packRow4(src, dst, p.width))
                return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("a 4-bit pixel passes index 15"));
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
