// Run-length compressed BMP files (BI_RLE4 and BI_RLE8) made from the plain file image of a picture.
#include "core/bmp_rle_writer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace glyfex::core {

namespace {

constexpr int kInfoEnd = 54;       // file header (14) + info header (40)
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr int32_t kMaxSide = 0x7FFF;

uint32_t le32(QByteArrayView b, qsizetype at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
        | uint32_t(uint8_t(b[at + 3])) << 24;
}

uint16_t le16(QByteArrayView b, qsizetype at)
{
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

void putLe32(QByteArray &b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// The fields of a plain image that the encoders need, checked against its length.
struct PlainLayout {
    uint32_t offBits = 0;
    int32_t width = 0;
    int32_t height = 0;
    int bits = 0;
    qsizetype stride = 0; // bytes per stored row, padded to 4
    qsizetype used = 0;   // bytes of a row that hold pixels
};

Error notCompressed(const QString &why)
{
    return makeError(QStringLiteral("Bitmap could not be compressed"), QString(), why);
}

Result<PlainLayout> layoutOf(QByteArrayView image)
{
    if (image.size() < kInfoEnd || image[0] != 'B' || image[1] != 'M')
        return notCompressed(QStringLiteral("not a bitmap file image"));
    PlainLayout l;
    l.offBits = le32(image, 10);
    l.width = int32_t(le32(image, 18));
    l.height = int32_t(le32(image, 22));
    l.bits = le16(image, 28);
    if (le32(image, 14) != 40 || le32(image, 30) != 0)
        return notCompressed(QStringLiteral("only an uncompressed bitmap with a 40-byte info header can be compressed"));
    if (l.bits != 4 && l.bits != 8)
        return notCompressed(QStringLiteral("%1 bits per pixel cannot be run-length compressed").arg(l.bits));
    // A negative height stores the rows top-down, which run-length bitmaps cannot express.
    if (l.width <= 0 || l.width > kMaxSide || l.height < 0 || l.height > kMaxSide)
        return notCompressed(QStringLiteral("the size %1 x %2 is not that of a bottom-up bitmap").arg(l.width).arg(l.height));
    l.stride = ((qsizetype(l.bits) * l.width + 31) >> 3) & ~qsizetype(3);
    l.used = (qsizetype(l.bits) * l.width + 7) >> 3;
    if (l.offBits < uint32_t(kInfoEnd) || l.offBits > uint32_t(image.size())
        || qsizetype(image.size()) - qsizetype(l.offBits) < l.stride * l.height)
        return notCompressed(QStringLiteral("the rows do not fit in the file image"));
    return l;
}

// Replaces the last row end by the end-of-bitmap mark, or adds the mark when there is no row.
void endBitmap(QByteArray &out, qsizetype rowsStart)
{
    if (out.size() > rowsStart)
        out[out.size() - 1] = 1;
    else
        out.append("\0\1", 2);
}

// 4 bits: each stored byte holds two pixels, the first in the high nibble.
class Rle4Row {
public:
    Rle4Row(QByteArray &out, const uint8_t *row, qsizetype used, int32_t width)
        : m_out(out), m_row(row), m_used(used), m_width(width) {}

    void encode()
    {
        qsizetype i = 1;
        uint8_t c = m_row[0];
        while (i <= m_used) {
            if (i < m_used && m_row[i] == c) {
                const qsizetype s = i - 1;
                // The run ends at the last used byte, never in the padding.
                while (i < m_used && m_row[i] == c)
                    ++i;
                const qsizetype length = i - s;
                if (length >= 4 || (length >= 2 && s - m_pending < 2)) {
                    flush(s);
                    run(s, length, c);
                    m_pending = i;
                }
            }
            if (i < m_used)
                c = m_row[i];
            ++i;
        }
        flush(m_used);
        m_out.append("\0\0", 2);
    }

private:
    // Pixels of bytes [from, from + bytes), short of the padding nibble of an odd width.
    int pixels(qsizetype from, qsizetype bytes) const
    {
        return int(std::min<qsizetype>(2 * bytes, qsizetype(m_width) - 2 * from));
    }

    void run(qsizetype from, qsizetype length, uint8_t c)
    {
        while (length > 0) {
            const qsizetype n = std::min<qsizetype>(length, 127);
            m_out.append(char(pixels(from, n)));
            m_out.append(char(c));
            from += n;
            length -= n;
        }
    }

    // The waiting bytes up to end: one alone as a pair, more in absolute mode. The last byte of an
    // odd-width row holds one pixel; decoders disagree on absolute stretches of an odd pixel count
    // (some read a byte short), so that byte always goes as a pair of one pixel.
    void flush(qsizetype end)
    {
        while (m_pending < end) {
            qsizetype n = end - m_pending;
            if (n > 1 && end == m_used && m_width % 2 == 1 && m_pending + n == m_used)
                n -= 1;
            if (n == 1) {
                m_out.append(char(pixels(m_pending, 1)));
                m_out.append(char(m_row[m_pending]));
                m_pending += 1;
                continue;
            }
            const qsizetype m = std::min<qsizetype>(n, 127);
            m_out.append('\0');
            m_out.append(char(pixels(m_pending, m)));
            m_out.append(reinterpret_cast<const char *>(m_row + m_pending), m);
            if (m & 1)
                m_out.append('\0'); // absolute data is padded to whole words
            m_pending += m;
        }
    }

    QByteArray &m_out;
    const uint8_t *m_row;
    qsizetype m_used;
    int32_t m_width;
    qsizetype m_pending = 0;
};

// 8 bits: one pixel per byte. The row is cut into its runs of equal pixels; each run goes as (count,
// index) pairs, or several neighbouring runs of 3 to 255 pixels in all go as one absolute stretch,
// whichever makes the row shortest (equal sizes prefer the pairs).
class Rle8Encoder {
public:
    // Appends to out; rows are written through a pointer into room made once per row (a pair per
    // pixel and the row end at most), which the end of the row gives back.
    explicit Rle8Encoder(QByteArray &out) : m_out(out) {}

    void encode(const uint8_t *row, int width)
    {
        m_row = row;
        size_t runs = findRuns(row, width);
        const int *start = m_runStart.data();
        const qsizetype rowStart = m_out.size();
        m_out.resize(rowStart + 2 * qsizetype(width) + 2);
        char *o = m_out.data() + rowStart;
        // Without a run of one pixel, pairs are shortest: a stretch of n pixels in runs of 2 or more
        // has at most n / 2 runs, whose pairs take at most n bytes against n + 2 absolute.
        bool anySingle = false;
        for (size_t k = 0; k < runs; ++k)
            anySingle |= start[k + 1] - start[k] == 1;
        if (!anySingle) {
            for (size_t k = 0; k < runs; ++k)
                o = pairs(o, start[k], start[k + 1] - start[k]);
            runs = 0;
        }
        // A run of 6 or more inside an absolute stretch is never cheaper than cutting the stretch
        // around it (its pair costs 2 bytes, the cut at most 6 more), so no stretch takes one: such
        // runs go as pairs, and the short runs between them are settled group by group, the same way.
        for (size_t k = 0; k < runs;) {
            if (start[k + 1] - start[k] >= 6) {
                o = pairs(o, start[k], start[k + 1] - start[k]);
                ++k;
                continue;
            }
            size_t end = k;
            bool single = false;
            for (; end < runs && start[end + 1] - start[end] < 6; ++end)
                single |= start[end + 1] - start[end] == 1;
            if (single) {
                o = shortRuns(o, k, end);
            } else {
                for (; k < end; ++k)
                    o = pairs(o, start[k], start[k + 1] - start[k]);
            }
            k = end;
        }
        *o++ = 0;
        *o++ = 0;
        m_out.truncate(o - m_out.data());
    }

private:
    // Runs first to end (each shorter than 6 pixels, some of one pixel) as pairs and absolute
    // stretches, as few bytes as possible.
    char *shortRuns(char *o, size_t first, size_t end)
    {
        const int *start = m_runStart.data() + first;
        const size_t runs = end - first;
        // best[k]: the fewest bytes for the first k runs; from[k]: where the last piece starts (a run
        // of its own when from[k] == k - 1 and absolute[k] is false).
        m_best.assign(runs + 1, 0);
        m_from.assign(runs + 1, 0);
        m_absolute.assign(runs + 1, 0);
        // singles[k]: the runs of one pixel among the first k.
        m_singles.assign(runs + 1, 0);
        for (size_t k = 1; k <= runs; ++k)
            m_singles[k] = m_singles[k - 1] + (start[k] - start[k - 1] == 1);
        for (size_t k = 1; k <= runs; ++k) {
            m_best[k] = m_best[k - 1] + 2; // a run shorter than 6 is one pair
            m_from[k] = k - 1;
            m_absolute[k] = 0;
            for (size_t j = k; j-- > 0;) {
                const int n = start[k] - start[j];
                if (n > 255)
                    break;
                // Taking in one more run of L pixels adds L bytes and saves at most the 2 of its pair,
                // so only runs of one pixel can make a longer stretch cheaper, by 1 byte each.
                if (m_best[j] + 2 + n - m_singles[j] >= m_best[k])
                    break;
                if (n < 3)
                    continue;
                const int cost = m_best[j] + 2 + n + (n & 1);
                if (cost < m_best[k]) {
                    m_best[k] = cost;
                    m_from[k] = j;
                    m_absolute[k] = 1;
                }
            }
        }
        // The pieces from the end back to the start, then written in order.
        m_pieces.clear();
        for (size_t k = runs; k > 0; k = m_from[k])
            m_pieces.push_back(k);
        for (size_t i = m_pieces.size(); i-- > 0;) {
            const size_t k = m_pieces[i];
            const int from = start[m_from[k]];
            const int n = start[k] - from;
            if (m_absolute[k]) {
                *o++ = 0;
                *o++ = char(n);
                std::memcpy(o, m_row + from, size_t(n));
                o += n;
                if (n & 1)
                    *o++ = 0; // absolute data is padded to whole words
                continue;
            }
            o = pairs(o, from, n);
        }
        return o;
    }

    // The starts of the row's runs of equal pixels, followed by width; returns how many runs. Many
    // neighbouring pixels are compared at a time and only the places where the value changes are
    // visited, so that a subtitle row's many short runs cost no branch per pixel.
    size_t findRuns(const uint8_t *row, int width)
    {
        static_assert(std::endian::native == std::endian::little, "the first pixel is the lowest byte");
        m_runStart.resize(size_t(width) + 1);
        int *starts = m_runStart.data();
        size_t n = 0;
        starts[n++] = 0;
        int x = 1;
#if defined(__SSE2__)
        // Sixty-four at a time where the processor compares sixteen bytes in one step.
        for (; x + 64 <= width; x += 64) {
            uint64_t changes = 0;
            for (int i = 0; i < 4; ++i) {
                const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + x + 16 * i));
                const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + x + 16 * i - 1));
                const auto same = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(here, before)));
                changes |= uint64_t(~same & 0xFFFFu) << (16 * i);
            }
            for (; changes != 0; changes &= changes - 1)
                starts[n++] = x + std::countr_zero(changes);
        }
#endif
        for (; x + 8 <= width; x += 8) {
            uint64_t here;
            uint64_t before;
            std::memcpy(&here, row + x, 8);
            std::memcpy(&before, row + x - 1, 8);
            // The lowest bit of each byte set where the pixel differs from the one before it.
            uint64_t changes = here ^ before;
            changes |= changes >> 4;
            changes |= changes >> 2;
            changes |= changes >> 1;
            changes &= 0x0101010101010101ull;
            for (; changes != 0; changes &= changes - 1)
                starts[n++] = x + std::countr_zero(changes) / 8;
        }
        for (; x < width; ++x)
            if (row[x] != row[x - 1])
                starts[n++] = x;
        starts[n] = width;
        return n;
    }

    // The run of n pixels from start as pairs of at most 255.
    char *pairs(char *o, int start, int n) const
    {
        if (n <= 255) {
            *o++ = char(n);
            *o++ = char(m_row[start]);
            return o;
        }
        for (int left = n; left > 0;) {
            const int count = std::min(left, 255);
            *o++ = char(count);
            *o++ = char(m_row[start]);
            left -= count;
        }
        return o;
    }

    QByteArray &m_out;
    const uint8_t *m_row = nullptr;
    // Kept from row to row, so that a picture allocates them once.
    std::vector<int> m_runStart;
    std::vector<int> m_best;
    std::vector<size_t> m_from;
    std::vector<uint8_t> m_absolute; // not vector<bool>: read in the inner loop
    std::vector<size_t> m_pieces;
    std::vector<int> m_singles;
};

// The layout of a plain image of the given depth.
Result<PlainLayout> layoutOf(QByteArrayView image, int bits)
{
    auto layout = layoutOf(image);
    if (layout && layout->bits != bits)
        return notCompressed(QStringLiteral("BI_RLE%1 needs a %1-bit bitmap").arg(bits));
    return layout;
}

} // namespace

Result<QByteArray> encodeBmpRle4(QByteArrayView image)
{
    auto layout = layoutOf(image, 4);
    if (!layout)
        return layout.error();
    const PlainLayout &l = *layout;
    // Headers and palette as they are.
    QByteArray out(image.data(), qsizetype(l.offBits));
    out.reserve(qsizetype(l.offBits) + l.stride * l.height + 2);
    const auto *bits = reinterpret_cast<const uint8_t *>(image.data()) + l.offBits;
    for (int32_t y = 0; y < l.height; ++y)
        Rle4Row(out, bits + qsizetype(y) * l.stride, l.used, l.width).encode();
    endBitmap(out, qsizetype(l.offBits));
    putLe32(out, 2, uint32_t(out.size()));
    putLe32(out, 30, kBiRle4);
    putLe32(out, 34, uint32_t(out.size() - qsizetype(l.offBits)));
    return out;
}

Result<QByteArray> encodeBmpRle8(QByteArrayView image)
{
    auto layout = layoutOf(image, 8);
    if (!layout)
        return layout.error();
    const PlainLayout &l = *layout;
    const uint32_t usedColours = le32(image, 46);
    const uint32_t colours = usedColours == 0 ? 256 : usedColours;
    if (colours > 256 || qsizetype(kInfoEnd) + 4 * qsizetype(colours) > qsizetype(l.offBits))
        return notCompressed(QStringLiteral("the palette does not fit before the rows"));
    const qsizetype offBits = kInfoEnd + 4 * qsizetype(colours);
    QByteArray out(image.data(), offBits);
    out.reserve(offBits + l.stride * l.height + 2);
    const auto *bits = reinterpret_cast<const uint8_t *>(image.data()) + l.offBits;
    Rle8Encoder encoder(out);
    for (int32_t y = 0; y < l.height; ++y)
        encoder.encode(bits + qsizetype(y) * l.stride, l.width);
    endBitmap(out, offBits);
    putLe32(out, 2, uint32_t(out.size()));
    putLe32(out, 10, uint32_t(offBits));
    putLe32(out, 30, kBiRle8);
    putLe32(out, 34, uint32_t(out.size() - offBits));
    putLe32(out, 46, colours);
    putLe32(out, 50, 0);
    return out;
}

Result<QByteArray> compressBmp(QByteArrayView image)
{
    auto layout = layoutOf(image);
    if (!layout)
        return layout.error();
    return layout->bits == 4 ? encodeBmpRle4(image) : encodeBmpRle8(image);
}

} // namespace glyfex::core
