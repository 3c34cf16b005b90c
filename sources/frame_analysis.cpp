// Burned-in text found by colour: one video frame's analysed area turned into a code mask of text pixels.
#include "sources/frame_analysis.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace glyfex::sources {

using picture::CodeImage;
using picture::Rect;

namespace {

int clampByte(int v)
{
    return std::clamp(v, 0, 255);
}

int countCode(const CodeImage &image, uint8_t code)
{
    return int(std::count(image.bytes.begin(), image.bytes.end(), code));
}

void fillRows(CodeImage &mask, int first, int last, uint8_t code)
{
    first = std::max(first, 0);
    last = std::min(last, mask.height - 1);
    for (int y = first; y <= last; ++y)
        std::fill(mask.row(y), mask.row(y) + mask.width, code);
}

void fillBlock(CodeImage &mask, int left, int top, int right, int bottom, uint8_t code)
{
    left = std::max(left, 0);
    right = std::min(right, mask.width - 1);
    top = std::max(top, 0);
    bottom = std::min(bottom, mask.height - 1);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            mask.at(x, y) = code;
}

// Every text area with a pixel on row y becomes an open area: a character cut by a band goes whole.
void openAreasOnRow(CodeImage &mask, int y)
{
    for (int x = 0; x < mask.width; ++x) {
        if (mask.at(x, y) == kMaskText)
            floodFill(mask, x, y, kMaskOpen);
    }
}

bool hasSideNeighbour(const CodeImage &mask, int x, int y, uint8_t code)
{
    return mask.at(x - 1, y) == code || mask.at(x + 1, y) == code || mask.at(x, y - 1) == code
        || mask.at(x, y + 1) == code;
}

// One clean-up rule over the mask: each pixel's new code from the mask as it stood before the rule, so a
// change never feeds the next pixel's decision. The outermost rows and columns stay as they are.
template <class Rule>
CodeImage applyToInside(const CodeImage &mask, Rule rule)
{
    CodeImage next = mask;
    for (int y = 1; y < mask.height - 1; ++y) {
        for (int x = 1; x < mask.width - 1; ++x)
            next.at(x, y) = rule(mask, x, y, mask.at(x, y));
    }
    return next;
}

// Round half to even, as the line height's scale is rounded.
int roundHalfEven(double v)
{
    return int(std::nearbyint(v));
}

} // namespace

ColourRange rangeAround(Rgb colour, Rgb tolerance)
{
    ColourRange r;
    r.min = {clampByte(colour.red - tolerance.red), clampByte(colour.green - tolerance.green),
             clampByte(colour.blue - tolerance.blue)};
    r.max = {clampByte(colour.red + tolerance.red), clampByte(colour.green + tolerance.green),
             clampByte(colour.blue + tolerance.blue)};
    return r;
}

ColourRange fattenRangeOf(const ColourRange &text, Rgb tolerance)
{
    ColourRange r;
    r.min = {std::max(text.min.red - tolerance.red, 0), std::max(text.min.green - tolerance.green, 0),
             std::max(text.min.blue - tolerance.blue, 0)};
    r.max = {std::min(text.max.red + tolerance.red, 255), std::min(text.max.green + tolerance.green, 255),
             std::min(text.max.blue + tolerance.blue, 255)};
    return r;
}

void floodFill(CodeImage &image, int x, int y, uint8_t code)
{
    if (!image.contains(x, y))
        return;
    const uint8_t from = image.at(x, y);
    if (from == code)
        return;
    // An explicit stack: an area of an HD frame is far deeper than a call stack.
    std::vector<std::pair<int, int>> stack{{x, y}};
    image.at(x, y) = code;
    while (!stack.empty()) {
        const auto [px, py] = stack.back();
        stack.pop_back();
        const std::pair<int, int> next[4] = {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}};
        for (const auto &[nx, ny] : next) {
            if (image.contains(nx, ny) && image.at(nx, ny) == from) {
                image.at(nx, ny) = code;
                stack.emplace_back(nx, ny);
            }
        }
    }
}

std::optional<Rect> cutValidRect(CodeImage &image, uint8_t value)
{
    int top = -1;
    int bottom = -1;
    int left = image.width;
    int right = -1;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t *row = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            if (row[x] != value)
                continue;
            if (top < 0)
                top = y;
            bottom = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    if (top < 0)
        return std::nullopt;
    const Rect box{left, top, right, bottom};
    CodeImage cut(box.width(), box.height());
    for (int y = 0; y < cut.height; ++y)
        std::copy_n(image.row(top + y) + left, cut.width, cut.row(y));
    image = std::move(cut);
    return box;
}

core::Result<void> FrameAnalysis::setArea(const Rect &area, int frameWidth, int frameHeight)
{
    const Rect clamped{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, frameWidth - 1),
                       std::min(area.bottom, frameHeight - 1)};
    if (clamped.right < clamped.left || clamped.bottom < clamped.top) {
        return core::makeError(QStringLiteral("Cannot analyse the area"),
                               QStringLiteral("%1,%2 - %3,%4").arg(area.left).arg(area.top).arg(area.right).arg(area.bottom),
                               QStringLiteral("it leaves no pixel of the %1 x %2 frame").arg(frameWidth).arg(frameHeight));
    }
    m_area = clamped;
    m_hasArea = true;
    // What was followed in the old area says nothing about the new one.
    m_mask.reset(m_area.width(), m_area.height(), kMaskUnexamined);
    m_accMask.reset(m_area.width(), m_area.height(), kMaskNothing);
    return {};
}

bool FrameAnalysis::areaFits(const BgrFrame &frame) const
{
    return m_hasArea && m_area.right < frame.width && m_area.bottom < frame.height
        && frame.bytes.size() >= size_t(frame.width) * size_t(frame.height) * 3;
}

int FrameAnalysis::analyzeFrame(BgrFrame &frame, AnalysisMode mode)
{
    switch (mode) {
    case AnalysisMode::Full:
        m_textCount = buildTextMask(frame);
        break;
    case AnalysisMode::Accumulate:
        m_textCount = accumulateTextMask(frame);
        break;
    case AnalysisMode::Compare:
        m_textCount = compareTextMask(frame);
        break;
    case AnalysisMode::Update:
        m_textCount = updateTextMask(frame);
        break;
    }
    return m_textCount;
}

int FrameAnalysis::buildTextMask(BgrFrame &frame)
{
    const int count = buildMask(frame, AnalysisMode::Full);
    m_textCount = count;
    return count;
}

void FrameAnalysis::paintLineBands(BgrFrame &frame) const
{
    const FrameAnalysisOptions &o = options;
    const int left = m_area.left;
    const int top = m_area.top;
    const int w = m_mask.width;
    const int h = m_mask.height;
    // Rows first..last of the area (relative to its top), clipped to the frame, in the outline colour so
    // that they classify as no text.
    const auto band = [&](int first, int last) {
        first = std::max(first + top, 0);
        last = std::min(last + top, frame.height - 1);
        for (int y = first; y <= last; ++y) {
            for (int x = left; x < left + w && x < frame.width; ++x) {
                uint8_t *p = frame.pixel(x, y);
                p[0] = uint8_t(clampByte(o.outlineColour.blue));
                p[1] = uint8_t(clampByte(o.outlineColour.green));
                p[2] = uint8_t(clampByte(o.outlineColour.red));
            }
        }
    };
    band(0, o.topOffset - 2);
    for (int i = 1; i < o.lineCount; ++i) {
        const int a = (o.lineHeight + o.space) * i + o.topOffset;
        const int b = a - o.space;
        band(b + 1, a - 2);
    }
    const int last = (o.lineHeight + o.space) * o.lineCount + o.topOffset - o.space;
    band(last + 1, h - 2);
}

int FrameAnalysis::buildMask(BgrFrame &frame, AnalysisMode mode)
{
    m_shownMode = AnalysisMode::Full;
    int count = 0;
    if (!m_hasArea) {
        m_mask.reset(0, 0);
    } else {
        m_mask.reset(m_area.width(), m_area.height(), kMaskUnexamined);
    }
    if (areaFits(frame)) {
        const int w = m_mask.width;
        const int h = m_mask.height;
        const int m = options.exploreWidth();
        if (options.drawLines)
            paintLineBands(frame);
        for (Plane *p : {&m_text, &m_fatten, &m_outline}) {
            p->margin = m;
            p->stride = w + 2 * m;
            p->flags.assign(size_t(p->stride) * size_t(h + 2 * m), 0);
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool text = isTextColor(frame.pixel(m_area.left + x, m_area.top + y));
                m_text.at(x, y) = text;
                count += text;
            }
        }
        if (count > options.minPixels) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const uint8_t *px = frame.pixel(m_area.left + x, m_area.top + y);
                    m_fatten.at(x, y) = isFattenColor(px);
                    m_outline.at(x, y) = isOutlineColor(px);
                }
            }
            decide();
            count = countCode(m_mask, kMaskText);
            if (count > options.minPixels) {
                clean();
                if (options.fillOpen) {
                    for (int y = 0; y < h; ++y) {
                        if (m_mask.at(0, y) == kMaskText)
                            floodFill(m_mask, 0, y, kMaskOpen);
                        if (m_mask.at(w - 1, y) == kMaskText)
                            floodFill(m_mask, w - 1, y, kMaskOpen);
                    }
                    for (int x = 0; x < w; ++x) {
                        if (m_mask.at(x, 0) == kMaskText)
                            floodFill(m_mask, x, 0, kMaskOpen);
                        if (m_mask.at(x, h - 1) == kMaskText)
                            floodFill(m_mask, x, h - 1, kMaskOpen);
                    }
                }
                if (options.fillLarge)
                    fillLargeAreas();
                if (options.fatten)
                    fattenText();
                if (options.drawLines) {
                    fillBetweenLines(m_mask);
                    if (options.fillSides)
                        fillSides(m_mask);
                }
                count = countCode(m_mask, kMaskText);
            }
        }
    }
    if (mode == AnalysisMode::Full)
        m_accMask = m_mask;
    return count + 1;
}

void FrameAnalysis::decide()
{
    const int w = m_mask.width;
    const int h = m_mask.height;
    const int m = options.exploreWidth();
    const int tw = options.textLineWidth;
    const bool useOutline = options.useOutline;
    enum { Up, UpRight, Right, DownRight, Down, DownLeft, Left, UpLeft };
    // Is there a flag in plane p along direction (dx, dy) within distance reach (a quadrant for diagonals)?
    const auto along = [](const Plane &p, int x, int y, int dx, int dy, int reach) {
        if (dx == 0 || dy == 0) {
            for (int d = 1; d <= reach; ++d) {
                if (p.at(x + dx * d, y + dy * d))
                    return true;
            }
            return false;
        }
        for (int d = 1; d <= reach; ++d) {
            for (int e = 1; e <= reach; ++e) {
                if (p.at(x + dx * e, y + dy * d))
                    return true;
            }
        }
        return false;
    };
    static constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool text = m_text.at(x, y);
            const bool outline = m_outline.at(x, y);
            uint8_t code = kMaskNothing;
            if (text && !useOutline) {
                code = kMaskText;
            } else if (text || outline) {
                bool o[8];
                bool anyO = false;
                for (int k = 0; k < 8; ++k) {
                    if (useOutline)
                        o[k] = along(m_outline, x, y, kDx[k], kDy[k], m);
                    else
                        o[k] = (k == Up || k == Down) ? false : along(m_text, x, y, kDx[k], kDy[k], m);
                    anyO = anyO || o[k];
                }
                const bool surrounded = (o[Left] && o[Right]) || (o[Up] && o[Down])
                    || (o[UpLeft] && o[DownRight] && (o[DownLeft] || o[UpRight]))
                    || (o[DownLeft] && o[UpRight] && (o[UpLeft] || o[DownRight]));
                if (text && surrounded) {
                    code = kMaskText;
                } else if (outline && (!useOutline || anyO)) {
                    bool anyT = false;
                    for (int k = 0; k < 8 && !anyT; ++k)
                        anyT = along(m_text, x, y, kDx[k], kDy[k], tw);
                    if (anyT)
                        code = kMaskBorder;
                }
            }
            m_mask.at(x, y) = code;
        }
    }
}

void FrameAnalysis::clean()
{
    // A text or border pixel with none of its kind beside it is a speck.
    m_mask = applyToInside(m_mask, [](const CodeImage &mask, int x, int y, uint8_t v) {
        return (v == kMaskText || v == kMaskBorder) && !hasSideNeighbour(mask, x, y, v) ? uint8_t(kMaskNothing) : v;
    });
    if (!options.useOutline)
        return;
    // A gap between two border pixels on opposite or adjacent sides closes.
    m_mask = applyToInside(m_mask, [](const CodeImage &mask, int x, int y, uint8_t v) {
        if (v == kMaskText || v == kMaskBorder)
            return v;
        const bool l = mask.at(x - 1, y) == kMaskBorder;
        const bool r = mask.at(x + 1, y) == kMaskBorder;
        const bool u = mask.at(x, y - 1) == kMaskBorder;
        const bool d = mask.at(x, y + 1) == kMaskBorder;
        return (l && r) || (u && d) || (u && r) || (u && l) || (d && r) || (d && l) ? uint8_t(kMaskBorder) : v;
    });
}

void FrameAnalysis::fillLargeAreas()
{
    const int w = m_mask.width;
    const int h = m_mask.height;
    const int size = options.drawLines ? roundHalfEven(options.lineHeight * 1.2) : options.textLineWidth * 10;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (m_mask.at(x, y) != kMaskText)
                continue;
            floodFill(m_mask, x, y, kMaskMeasuring);
            int minX = w, maxX = -1, minY = h, maxY = -1;
            for (int wy = std::max(y - size, 0); wy <= std::min(y + size, h - 1); ++wy) {
                for (int wx = std::max(x - size, 0); wx <= std::min(x + size, w - 1); ++wx) {
                    if (m_mask.at(wx, wy) == kMaskMeasuring) {
                        minX = std::min(minX, wx);
                        maxX = std::max(maxX, wx);
                        minY = std::min(minY, wy);
                        maxY = std::max(maxY, wy);
                    }
                }
            }
            floodFill(m_mask, x, y, (maxX - minX < size && maxY - minY < size) ? kMaskSmall : kMaskLarge);
        }
    }
    // The small areas are text again.
    for (uint8_t &v : m_mask.bytes) {
        if (v == kMaskMeasuring || v == kMaskSmall)
            v = kMaskText;
    }
}

void FrameAnalysis::fattenText()
{
    m_mask = applyToInside(m_mask, [this](const CodeImage &mask, int x, int y, uint8_t v) {
        if (v == kMaskText || !m_fatten.at(x, y) || (options.useOutline && v == kMaskBorder))
            return v;
        return hasSideNeighbour(mask, x, y, kMaskText) ? uint8_t(kMaskText) : v;
    });
}

void FrameAnalysis::fillBetweenLines(CodeImage &mask) const
{
    const FrameAnalysisOptions &o = options;
    const int h = mask.height;
    const bool open = o.fillOpen;
    fillRows(mask, 0, o.topOffset - 1, kMaskUnexamined);
    if (open && o.topOffset > 0 && o.topOffset < h)
        openAreasOnRow(mask, o.topOffset);
    for (int i = 1; i < o.lineCount; ++i) {
        const int a = (o.lineHeight + o.space) * i + o.topOffset;
        const int b = a - o.space;
        if (open && b > 0 && b < h)
            openAreasOnRow(mask, b);
        if (open && a > 0 && a < h)
            openAreasOnRow(mask, a);
        fillRows(mask, b, a - 1, kMaskUnexamined);
    }
    const int last = (o.lineHeight + o.space) * o.lineCount + o.topOffset - o.space;
    if (open && last > 0 && last < h)
        openAreasOnRow(mask, last);
    fillRows(mask, last, h - 1, kMaskUnexamined);
}

void FrameAnalysis::fillSides(CodeImage &mask) const
{
    const FrameAnalysisOptions &o = options;
    const int w = mask.width;
    const int h = mask.height;
    const int lh = o.lineHeight;
    const int c = o.align == TextAlign::Left ? 3 * lh : o.align == TextAlign::Center ? w / 2 : w - 3 * lh;
    for (int i = 1; i <= o.lineCount; ++i) {
        const int top = (lh + o.space) * (i - 1) + o.topOffset;
        const int bottom = top + lh;
        const int mid = (top + bottom) / 2;
        if (mid <= 0 || mid >= h || top <= 0 || top >= h || bottom <= 0)
            return;
        // Text of the line: from the centre outwards, as long as the next text pixel lies within two line
        // heights of the last.
        int l = c;
        for (int x = std::min(c, w - 1); x >= 0; --x) {
            if (mask.at(x, mid) == kMaskText && l - x < 2 * lh)
                l = x;
        }
        int r = c;
        for (int x = std::max(c, 0); x < w; ++x) {
            if (mask.at(x, mid) == kMaskText && x - r < 2 * lh)
                r = x;
        }
        if (l == r) {
            fillRows(mask, top, bottom - 1, kMaskSmall);
            continue;
        }
        if (l - lh > 0)
            fillBlock(mask, 0, top, l - lh - 1, bottom - 1, kMaskSmall);
        if (r + lh < w)
            fillBlock(mask, r + lh, top, w - 1, bottom - 1, kMaskSmall);
    }
}

int FrameAnalysis::accumulateTextMask(BgrFrame &frame)
{
    buildMask(frame, AnalysisMode::Accumulate);
    m_shownMode = AnalysisMode::Accumulate;
    int count = 0;
    if (m_accMask.width == m_mask.width && m_accMask.height == m_mask.height) {
        for (size_t i = 0; i < m_accMask.bytes.size(); ++i) {
            if (m_accMask.bytes[i] != kMaskText)
                continue;
            if (m_mask.bytes[i] != kMaskText)
                m_accMask.bytes[i] = m_mask.bytes[i] = kMaskNothing;
            else
                ++count;
        }
    }
    return count + 1;
}

int FrameAnalysis::compareTextMask(const BgrFrame &frame)
{
    m_shownMode = AnalysisMode::Compare;
    int kept = 0;
    int lost = 0;
    if (areaFits(frame) && m_accMask.width == m_area.width() && m_accMask.height == m_area.height()) {
        for (int y = 0; y < m_accMask.height; ++y) {
            for (int x = 0; x < m_accMask.width; ++x) {
                if (m_accMask.at(x, y) != kMaskText)
                    continue;
                ++kept;
                const uint8_t *px = frame.pixel(m_area.left + x, m_area.top + y);
                if (!isTextColor(px) && !(options.fatten && isFattenColor(px)))
                    ++lost;
            }
        }
    }
    return kept - lost + 1;
}

int FrameAnalysis::updateTextMask(BgrFrame &frame)
{
    const int r = compareTextMask(frame);
    if (r < options.minPixels)
        return r;
    buildMask(frame, AnalysisMode::Update);
    m_shownMode = AnalysisMode::Accumulate;
    int count = 0;
    if (m_accMask.width == m_mask.width && m_accMask.height == m_mask.height) {
        for (size_t i = 0; i < m_mask.bytes.size(); ++i) {
            if (m_mask.bytes[i] == kMaskText) {
                m_accMask.bytes[i] = kMaskText;
                ++count;
            }
        }
    }
    return count + 1;
}

} // namespace glyfex::sources
