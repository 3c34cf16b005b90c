// The export-bitmap engine: a decoded subtitle picture becomes the bitmap an authoring tool places on the frame.
#include "subtitles/export_bitmap.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace glyfex::subtitles {

using core::BmpOutSettings;
using picture::CodeImage;
using picture::Rect;

namespace {

// The colours of the code picture's palette (0x00BBGGRR): black, white, red, blue.
constexpr std::array<uint32_t, 4> kCodeColours{0x000000, 0xFFFFFF, 0x0000FF, 0xFF0000};

// Writes index[code & 3] for each of n codes (the higher bits are markers of earlier steps). Eight
// pixels are taken at a time as one 64-bit word, with a byte mask per code, since byte-wise selects
// stay one pixel a step at the optimisation most builds use and a bitmap may be a whole frame.
void mapCodes(const uint8_t *src, uint8_t *dst, int n, const std::array<uint8_t, 4> &index)
{
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t i0 = index[0] * kOnes, i1 = index[1] * kOnes, i2 = index[2] * kOnes, i3 = index[3] * kOnes;
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        uint64_t v;
        std::memcpy(&v, src + x, sizeof v);
        const uint64_t low = v & kOnes;
        const uint64_t high = (v >> 1) & kOnes;
        // Each byte of these is 0 or 1, so times 0xFF it is 0 or 0xFF without carrying into the next.
        const uint64_t m0 = (~(low | high) & kOnes) * 0xFF;
        const uint64_t m1 = (low & ~high) * 0xFF;
        const uint64_t m2 = (high & ~low) * 0xFF;
        const uint64_t m3 = (low & high) * 0xFF;
        const uint64_t mapped = (i0 & m0) | (i1 & m1) | (i2 & m2) | (i3 & m3);
        std::memcpy(dst + x, &mapped, sizeof mapped);
    }
    for (; x < n; ++x)
        dst[x] = index[src[x] & 3];
}

// The tools whose scripts give the colours per pixel code: their bitmaps keep the codes.
bool keepsCodes(int preset)
{
    return preset == core::PresetSonicScenarist || preset == core::PresetSpruceDvdMaestro;
}

// A step of 0 would divide by zero; it means no step, like 1.
int stepOf(uint8_t divisor)
{
    return divisor == 0 ? 1 : divisor;
}

int roundUpTo(int value, int step)
{
    return value % step == 0 ? value : step * (value / step + 1);
}

// Keeps the bitmap on the frame: its near edge at 0 at least, its far edge at the frame's end at most;
// the picture's offset inside it takes up the difference, so the picture stays where it was.
void clampToScreen(int &start, int &offset, int size, int frameSize)
{
    if (start < 0) {
        offset += start;
        start = 0;
    }
    if (start + size > frameSize) {
        offset += start - (frameSize - size);
        start = frameSize - size;
    }
}

// The picture's offset in a bitmap of size by the alignment mode, moved against the shift, kept inside.
int alignedOffset(uint8_t mode, int size, int picture, int shift)
{
    int offset = 0;
    if (mode == 1)
        offset = (size - picture) / 2;
    else if (mode == 2)
        offset = size - picture;
    offset -= shift;
    if (offset < 0)
        offset = 0;
    else if (offset > size - picture)
        offset = std::max(0, size - picture);
    return offset;
}

// Moves the bitmap's start to a multiple of step: to the one below when the picture's offset plus the
// remainder fits in one step (the offset grows), else to the one above (the offset shrinks). The
// bitmap then grows to hold the picture and is kept on the frame again.
template <class Fit>
void alignStart(int &start, int &offset, int &size, int pictureStart, int step, int frameSize, Fit fit)
{
    const int r = start % step;
    if (r == 0)
        return;
    if (step >= r + offset)
        offset += r;
    else
        offset -= step - r;
    size = fit(offset);
    start = pictureStart - offset;
    clampToScreen(start, offset, size, frameSize);
}

// Where positioning puts a bitmap of size on a frame of frameSize along one axis: mode 1 centred, 2 at
// the far edge, 3 at the set value, else where it was; then shifted, and kept on the frame.
int positionedStart(uint8_t mode, int kept, int set, int shift, int size, int frameSize)
{
    int start = kept;
    if (mode == 1)
        start = (frameSize - size) / 2;
    else if (mode == 2)
        start = frameSize - size;
    else if (mode == 3)
        start = set;
    start = std::max(start + shift, 0);
    if (start + size > frameSize)
        start = frameSize - size;
    return start;
}

// One axis of the scaling onto the export frame: for each bitmap pixel, the picture's pixels it covers
// and by how much. Lengths are counted in units of 1/num of a source pixel (a source pixel is num long, a
// bitmap pixel den), so that every overlap is a whole number.
struct AxisCover {
    int first = 0; // the first bitmap pixel
    int count = 0;
    int den = 1;   // the length of a bitmap pixel
    std::vector<std::vector<std::pair<int, int>>> cover; // per bitmap pixel: (picture pixel, length)
};

// The picture runs from start (on the source frame) for size pixels; num / den is the scale (num <= den).
AxisCover coverAxis(int start, int size, int num, int den)
{
    AxisCover a;
    a.den = den;
    const int64_t from = int64_t(start) * num;        // where the picture begins, in units
    const int64_t to = int64_t(start + size) * num;   // and ends
    a.first = int(from / den);
    const int last = int((to + den - 1) / den) - 1;
    a.count = std::max(0, last - a.first + 1);
    a.cover.resize(size_t(a.count));
    for (int i = 0; i < a.count; ++i) {
        const int64_t lo = int64_t(a.first + i) * den;
        const int64_t hi = lo + den;
        // The picture pixels whose span [p * num, (p + 1) * num) meets [lo, hi).
        const int p0 = int(std::max<int64_t>(lo, from) / num) - start;
        const int p1 = int((std::min<int64_t>(hi, to) - 1) / num) - start;
        for (int p = std::max(p0, 0); p <= std::min(p1, size - 1); ++p) {
            const int64_t s = std::max<int64_t>(lo, int64_t(start + p) * num);
            const int64_t e = std::min<int64_t>(hi, int64_t(start + p + 1) * num);
            if (e > s)
                a.cover[size_t(i)].push_back({p, int(e - s)});
        }
    }
    return a;
}

} // namespace

CodeImage scaleToExportFrame(const CodeImage &codes, Rect &area, int sourceWidth, int sourceHeight, int frameRows,
                             const std::array<bool, 4> &transparent, uint8_t background)
{
    // Only a frame larger than the export frame shrinks, along the axis where it is larger.
    const int numX = sourceWidth > kExportFrameWidth ? kExportFrameWidth : 1;
    const int denX = sourceWidth > kExportFrameWidth ? sourceWidth : 1;
    const int numY = sourceHeight > frameRows ? frameRows : 1;
    const int denY = sourceHeight > frameRows ? sourceHeight : 1;
    const AxisCover xs = coverAxis(area.left, codes.width, numX, denX);
    const AxisCover ys = coverAxis(area.top, codes.height, numY, denY);
    CodeImage out(xs.count, ys.count, background);
    const int64_t box = int64_t(denX) * denY; // a bitmap pixel's area, in units squared
    for (int y = 0; y < ys.count; ++y) {
        uint8_t *row = out.row(y);
        for (int x = 0; x < xs.count; ++x) {
            std::array<int64_t, 4> weight{};
            for (const auto &[py, wy] : ys.cover[size_t(y)]) {
                const uint8_t *src = codes.row(py);
                for (const auto &[px, wx] : xs.cover[size_t(x)])
                    weight[src[px] & 3] += int64_t(wx) * wy;
            }
            int64_t ink = 0;
            int best = -1;
            for (int c = 0; c < 4; ++c) {
                if (transparent[size_t(c)])
                    continue;
                ink += weight[size_t(c)];
                if (weight[size_t(c)] > 0 && (best < 0 || weight[size_t(c)] > weight[size_t(best)]))
                    best = c;
            }
            if (best >= 0 && ink * 3 >= box)
                row[x] = uint8_t(best);
        }
    }
    area = {xs.first, ys.first, xs.first + out.width - 1, ys.first + out.height - 1};
    return out;
}

int fitWidthConstraint(const ExportSettings &settings, int pictureWidth, int extra)
{
    int w = std::max(int(settings.bmp.cropMinX), pictureWidth + extra);
    w = roundUpTo(w, stepOf(settings.bmp.cropDivX));
    return std::min(w, kExportFrameWidth);
}

int fitHeightConstraint(const ExportSettings &settings, int pictureHeight, int extra)
{
    const int frame = settings.frameRows();
    int h = std::max(int(settings.bmp.cropMinY), pictureHeight + extra);
    if (settings.preset == core::PresetSpruceDvdMaestro && pictureHeight + 4 > h && h <= frame - 6)
        h += 4;
    h = roundUpTo(h, stepOf(settings.bmp.cropDivY));
    return std::min(h, frame);
}

CropGeometry computeCropGeometry(const ExportSettings &settings, int w0, int h0, const picture::Rect &area)
{
    const BmpOutSettings &b = settings.bmp;
    const int frame = settings.frameRows();
    CropGeometry g;
    g.width = fitWidthConstraint(settings, w0, 0);
    g.height = fitHeightConstraint(settings, h0, 0);
    g.offsetX = alignedOffset(b.cropXPosMode, g.width, w0, b.cropShiftX);
    g.offsetY = alignedOffset(b.cropYPosMode, g.height, h0, b.cropShiftY);
    g.left = area.left - g.offsetX;
    clampToScreen(g.left, g.offsetX, g.width, kExportFrameWidth);
    g.top = area.top - g.offsetY;
    clampToScreen(g.top, g.offsetY, g.height, frame);

    alignStart(g.left, g.offsetX, g.width, area.left, stepOf(b.cropDivL), kExportFrameWidth,
               [&](int extra) { return fitWidthConstraint(settings, w0, extra); });
    alignStart(g.top, g.offsetY, g.height, area.top, stepOf(b.cropDivT), frame,
               [&](int extra) { return fitHeightConstraint(settings, h0, extra); });
    return g;
}

void chooseExportBackground(const picture::DecodedPicture &picture, ExportBackground &background)
{
    std::array<bool, 4> transparent{};
    int count = 0;
    for (int c = 0; c < 4; ++c) {
        transparent[size_t(c)] = picture.contrastMap[size_t(c)] == 0;
        if (transparent[size_t(c)]) {
            background.code = uint8_t(c); // the highest one unless the pixels say otherwise
            ++count;
        }
    }
    const CodeImage &codes = picture.codes;
    if (count >= 2 && !codes.empty()) {
        const int right = codes.width - 1;
        const int bottom = codes.height - 1;
        const std::array<uint8_t, 4> corners{codes.at(0, 0), codes.at(right, 0), codes.at(0, bottom), codes.at(right, bottom)};
        bool found = false;
        for (int c = 0; c < 4 && !found; ++c)
            if (transparent[size_t(c)] && std::find(corners.begin(), corners.end(), uint8_t(c)) != corners.end()) {
                background.code = uint8_t(c);
                found = true;
            }
        for (size_t i = 0; i < codes.bytes.size() && !found; ++i)
            if (const uint8_t c = codes.bytes[i]; c < 4 && transparent[c]) {
                background.code = c;
                found = true;
            }
    }
    background.colour = kCodeColours[background.code & 3];
}

std::vector<uint32_t> buildPreviewPalette(const ExportSettings &settings, const std::array<uint32_t, 16> &dvdPalette)
{
    std::vector<uint32_t> palette(settings.bmp.depth == BmpOutSettings::FourBits ? 16 : 256, 0x000000);
    if (keepsCodes(settings.preset)) {
        // red, black, blue, white
        const std::array<uint32_t, 4> fixed{0x0000FF, 0x000000, 0xFF0000, 0xFFFFFF};
        std::copy(fixed.begin(), fixed.end(), palette.begin());
    } else if (settings.bmp.customColours) {
        std::copy(settings.bmp.customColour.begin(), settings.bmp.customColour.end(), palette.begin());
    } else {
        std::copy(dvdPalette.begin(), dvdPalette.end(), palette.begin());
    }
    return palette;
}

void ExportBitmapEngine::render(const picture::DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette,
                                picture::ExportedPicture &out)
{
    // The caller hands the same picture back each time: its pixel buffer is kept, since a bitmap may be
    // a whole frame and allocating and clearing one per subtitle costs more than filling it.
    std::vector<uint8_t> pixels = std::move(out.pixels);
    out = picture::ExportedPicture();
    if (m_source)
        settings = m_source();
    const BmpOutSettings &b = settings.bmp;
    const int frame = settings.frameRows();
    const picture::SpuControlSequence &first = picture.first();
    picture::Rect dst = first.area();

    if (picture.colourChanged[0] || picture.colourChanged[1])
        chooseExportBackground(picture, m_background);
    if (b.depth != BmpOutSettings::FourBits && b.depth != BmpOutSettings::EightBits) {
        out.problem = QStringLiteral("the bit depth code %1 is neither 4 bits (2) nor 8 bits (3)").arg(b.depth);
        return;
    }

    // An HD source's frame is brought onto the export frame whole, with every picture on it, so that
    // no text passes the bitmap.
    CodeImage scaledCodes;
    const bool scaled = settings.scalesSource() && !picture.codes.empty();
    if (scaled) {
        std::array<bool, 4> transparent{};
        for (size_t c = 0; c < 4; ++c)
            transparent[c] = picture.contrastMap[c] == 0;
        scaledCodes = scaleToExportFrame(picture.codes, dst, settings.sourceWidth, settings.sourceHeight, frame,
                                         transparent, m_background.code);
    }
    // Authoring tools place bitmaps on their own frame only: a picture larger than it, or passing its
    // edges, is cut to its top left part and moved onto it, so no offset below can turn negative and no
    // picture is lost off the bitmap.
    const CodeImage &codes = scaled ? scaledCodes : picture.codes;
    const int w0 = std::min(codes.width, kExportFrameWidth);
    const int h0 = std::min(codes.height, frame);
    const int left = std::clamp(dst.left, 0, kExportFrameWidth - w0);
    const int top = std::clamp(dst.top, 0, frame - h0);
    if (w0 < codes.width || h0 < codes.height || left != dst.left || top != dst.top)
        out.problem = QStringLiteral("A subtitle picture of %1 x %2 pixels at %3, %4 passes the %5 x %6 frame of exported "
                                     "bitmaps: it is cut to %7 x %8 pixels and placed at %9, %10.")
                          .arg(codes.width).arg(codes.height).arg(dst.left).arg(dst.top).arg(kExportFrameWidth).arg(frame)
                          .arg(w0).arg(h0).arg(left).arg(top);
    dst = {left, top, left + w0 - 1, top + h0 - 1};

    // The bitmap's size and the picture's place in it; outside the picture a cropped bitmap shows
    // the background code.
    int width = w0;
    int height = h0;
    int ox = 0;
    int oy = 0;
    if (b.croppingEnabled) {
        const CropGeometry g = computeCropGeometry(settings, w0, h0, dst);
        width = std::max(g.width, 0);
        height = std::max(g.height, 0);
        ox = g.offsetX;
        oy = g.offsetY;
        dst = {g.left, g.top, g.left + g.width - 1, g.top + g.height - 1};
    }
    if (width == 0 || height == 0) {
        out.problem = QStringLiteral("the picture is empty");
        return;
    }

    // The bitmap: each pixel code as its DVD palette index, or unchanged for the tools and custom
    // colours that colour the codes themselves. Codes above 3 are markers of earlier steps.
    const bool codesAsTheyAre = keepsCodes(settings.preset) || b.customColours;
    std::array<uint8_t, 4> index{0, 1, 2, 3};
    if (!codesAsTheyAre)
        index = picture.colourMap;
    out.width = width;
    out.height = height;
    out.bitsPerPixel = b.depth == BmpOutSettings::FourBits ? 4 : 8;
    out.compress = b.compress;
    out.pixels = std::move(pixels);
    out.pixels.assign(size_t(width) * size_t(height), index[m_background.code & 3]);
    // The picture at (ox, oy), cut where it passes the bitmap.
    const int copyWidth = std::min(w0, width - ox);
    for (int y = 0; y < h0 && y + oy < height && copyWidth > 0 && ox >= 0 && oy >= 0; ++y)
        mapCodes(codes.row(y), out.pixels.data() + size_t(y + oy) * size_t(width) + size_t(ox), copyWidth, index);
    out.palette = buildPreviewPalette(settings, dvdPalette);

    if (b.positioningEnabled) {
        const int x = positionedStart(b.posXMode, dst.left, b.posSetX, b.posShiftX, out.width, kExportFrameWidth);
        const int y = positionedStart(b.posYMode, dst.top, b.posSetY, b.posShiftY, out.height, frame);
        dst = {x, y, x + out.width - 1, y + out.height - 1};
    }
    out.rect = dst;
}

} // namespace glyfex::subtitles
