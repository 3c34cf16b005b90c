// Line and glyph segmentation. Stored character matrices depend on the exact shapes found here, so the
// order of every scan (columns left to right, rows bottom up) and every join rule matters bit for bit.
#include "recognition/segmentation.h"

#include "recognition/flood_fill.h"

#include <algorithm>

namespace glyfex::recognition {

namespace {

constexpr int kNotFound = -1;

class Segmenter {
public:
    Segmenter(picture::CodeImage &image, InkCodes ink, const std::array<uint32_t, 4> &colours,
              const OcrSettings &settings, bool reduced)
        : m_image(image), m_ink(ink), m_colours(colours), m_settings(settings), m_reduced(reduced)
    {
    }

    Segmentation run();

private:
    // A row test on columns c0..c1: ink (marker < 0) or one marker code.
    bool rowMatches(int row, int c0, int c1, int marker) const
    {
        const uint8_t *p = m_image.row(row);
        if (marker < 0) {
            for (int x = c0; x <= c1; ++x)
                if (m_ink.isInk(p[x]))
                    return true;
            return false;
        }
        for (int x = c0; x <= c1; ++x)
            if (p[x] == marker)
                return true;
        return false;
    }

    int findFirstRow(int r0, int r1, int c0, int c1, int marker) const
    {
        for (int r = r0; r <= r1; ++r)
            if (rowMatches(r, c0, c1, marker))
                return r;
        return kNotFound;
    }

    // Last matching row of the block that starts at r0; an empty row ends the block only when it lies at
    // least minGap rows below r0. Starts as the picture's last row, which is returned when nothing matches.
    int findLineEnd(int r0, int r1, int c0, int c1, int marker, int minGap) const
    {
        int result = m_image.height - 1;
        for (int r = r0; r <= r1; ++r) {
            if (rowMatches(r, c0, c1, marker))
                result = r;
            else if (r - r0 >= minGap)
                break;
        }
        return result;
    }

    bool markerAt(int x, int y, uint8_t marker) const
    {
        return x >= 0 && m_image.at(x, y) == marker;
    }

    // The rows of a block and the columns its ink (or the marker paint of its glyphs) spans.
    struct Band {
        int top = 0;
        int bottom = 0;
        int left = 0;
        int right = -1;
    };
    Band band(int top, int bottom) const;
    static bool isAccentBandOf(const Band &piece, const Band &line);

    // Returns false when the picture must be given up (a glyph wider than the glyph bitmap).
    bool segmentLine(int top, int bottom, TextLine &line);
    bool mergeIntoPrevious(CharBox &previous, const CharBox &box, uint8_t boxMarker, uint8_t previousMarker);

    picture::CodeImage &m_image;
    InkCodes m_ink;
    const std::array<uint32_t, 4> &m_colours;
    const OcrSettings &m_settings;
    const bool m_reduced;
};

Segmentation Segmenter::run()
{
    Segmentation result;
    const int lastRow = m_image.height - 1;
    const int lastCol = m_image.width - 1;
    if (m_image.empty())
        return result;

    // The rows of the line read last, while no band was passed over below it (top -1: none).
    int previousTop = -1;
    int previousBottom = -1;
    int start = 0;
    while (start <= lastRow) {
        const int top = findFirstRow(start, lastRow, 0, lastCol, -1);
        if (top == kNotFound)
            break;
        int bottom = findLineEnd(top, lastRow, 0, lastCol, -1, m_settings.minLineHeight);
        if (top == lastRow)
            break;
        // Glue blocks that are closer than the minimum gap between lines (an accent above a capital, say).
        // In a reduced picture a block that is a line of its own does not join a line that already is
        // one: a typeface's own line spacing can leave one to four rows between a descender and the
        // dots of a capital below it, which reduction makes one row or none.
        int next = bottom < lastRow ? findFirstRow(bottom + 1, lastRow, 0, lastCol, -1) : kNotFound;
        while (next != kNotFound && next - bottom - 1 < m_settings.minInterLine) {
            const int nextBottom = findLineEnd(next, lastRow, 0, lastCol, -1, m_settings.minLineHeight);
            if (m_reduced && m_settings.minLineHeight > 0 && bottom - top + 1 >= m_settings.minLineHeight
                && nextBottom - next + 1 >= m_settings.minLineHeight)
                break;
            bottom = nextBottom;
            next = bottom < lastRow ? findFirstRow(bottom + 1, lastRow, 0, lastCol, -1) : kNotFound;
        }
        start = bottom + 1;
        if (bottom - top + 1 > m_settings.maxLineHeight || int(result.lines.size()) == kMaxLines) {
            if (previousTop >= 0 && isAccentBandOf(band(previousTop, previousBottom), band(top, bottom)))
                result.lines.pop_back();
            result.unreadLines.push_back(int(result.lines.size()));
            previousTop = -1;
            continue;
        }

        TextLine line;
        line.top = top;
        line.bottom = bottom;
        if (!segmentLine(top, bottom, line)) {
            result.lines.clear();
            result.unreadLines.clear();
            result.glyphTooWide = true;
            return result;
        }
        result.lines.push_back(std::move(line));
        previousTop = top;
        previousBottom = bottom;
    }
    return result;
}

Segmenter::Band Segmenter::band(int top, int bottom) const
{
    Band b{top, bottom, m_image.width, -1};
    for (int y = top; y <= bottom; ++y) {
        const uint8_t *p = m_image.row(y);
        for (int x = 0; x < m_image.width; ++x) {
            // A line read is painted with the markers by now.
            if (m_ink.isInk(p[x]) || p[x] == kFillMarkers[0] || p[x] == kFillMarkers[1]) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
            }
        }
    }
    return b;
}

// Dots or an accent drawn far enough above their letters to form a band of their own belong to the
// line below when that line is passed over: they are low (a quarter of the line at most), close
// above it (less than a quarter of its height) and within its columns. Read alone they would be
// asked about as a line.
bool Segmenter::isAccentBandOf(const Band &piece, const Band &line)
{
    const int lineHeight = line.bottom - line.top + 1;
    const int pieceHeight = piece.bottom - piece.top + 1;
    const int gap = line.top - piece.bottom - 1;
    return 4 * pieceHeight <= lineHeight && 4 * gap < lineHeight && piece.left >= line.left && piece.right <= line.right;
}

bool Segmenter::segmentLine(int top, int bottom, TextLine &line)
{
    const int width = m_image.width;
    const int minCharWidth = m_settings.minCharWidth;
    int col = 0;
    while (col < width) {
        const int k = int(line.boxes.size());
        const uint8_t marker = kFillMarkers[k & 1];

        // The glyph starts at the first ink pixel, columns from the left, rows from the bottom up.
        int sx = kNotFound;
        int sy = 0;
        for (int x = col; x < width && sx == kNotFound; ++x) {
            for (int y = bottom; y >= top; --y) {
                if (m_ink.isInk(m_image.at(x, y))) {
                    sx = x;
                    sy = y;
                    break;
                }
            }
        }
        if (sx == kNotFound)
            return true;
        if (col == 0) {
            const uint8_t code = m_image.at(sx, sy);
            line.colour = code < m_colours.size() ? m_colours[code] : 0;
        }
        floodFill(m_image, sx, sy, marker);
        const int x0 = sx;

        // Walk right, joining ink above the glyph's paint (dots, accents) and, when asked, ink that touches
        // the paint only diagonally on its left. The first column holding ink of another glyph is where
        // the next search starts.
        int nextCol = kNotFound;
        int x1 = x0;
        bool reachedEdge = true;
        for (int x = x0; x < width; ++x) {
            bool marked = false;
            for (int y = bottom; y >= top; --y) {
                const uint8_t code = m_image.at(x, y);
                if (code == marker) {
                    marked = true;
                } else if (m_ink.isInk(code)) {
                    const bool detachedNeighbour =
                        m_settings.checkDetachedChar
                        && ((y > top && markerAt(x - 1, y - 1, marker)) || (y < bottom && markerAt(x - 1, y + 1, marker)));
                    if (marked || detachedNeighbour) {
                        floodFill(m_image, x, y, marker);
                        marked = true;
                    } else if (nextCol == kNotFound) {
                        nextCol = x;
                    }
                }
            }
            if (marked) {
                x1 = x;
            } else if (x - x0 >= minCharWidth) {
                if (nextCol == kNotFound)
                    nextCol = x;
                reachedEdge = false;
                break;
            }
        }

        if (x1 - x0 + 1 > kGlyphMaxWidth)
            return false;

        const int gTop = findFirstRow(top, bottom, x0, x1, marker);
        const int gBottom = findLineEnd(gTop, bottom, x0, x1, marker, bottom - gTop + 1);
        const bool lineDone = reachedEdge && nextCol == kNotFound;
        col = nextCol;

        // A glyph too small for a box keeps its paint.
        if (x1 - x0 + 1 >= minCharWidth && gBottom - gTop + 1 >= m_settings.minCharHeight) {
            const CharBox box{x0, gTop, x1 - x0 + 1, gBottom - gTop + 1, gTop - top};
            if (k > 0 && mergeIntoPrevious(line.boxes.back(), box, marker, kFillMarkers[(k + 1) & 1])) {
                // merged: the count stays
            } else if (k < kMaxBoxesPerLine) {
                line.boxes.push_back(box);
            }
            // A glyph past the box table's end is painted but gets no box.
        }
        if (lineDone)
            break;
    }
    return true;
}

// A piece wholly below the previous glyph and not right of it (the tail of a comma-like shape under a
// letter) becomes part of the previous box: its first region takes the previous marker and the
// previous box grows down to the piece's bottom.
bool Segmenter::mergeIntoPrevious(CharBox &previous, const CharBox &box, uint8_t boxMarker, uint8_t previousMarker)
{
    if (box.y <= previous.bottom() || box.right() > previous.right())
        return false;
    for (int y = box.y; y <= box.bottom(); ++y) {
        const uint8_t *p = m_image.row(y);
        for (int x = box.x; x <= box.right(); ++x) {
            if (p[x] == boxMarker) {
                floodFill(m_image, x, y, previousMarker);
                previous.height = box.bottom() - previous.y + 1;
                return true;
            }
        }
    }
    previous.height = box.bottom() - previous.y + 1;
    return true;
}

} // namespace

Segmentation segmentSubtitle(picture::CodeImage &image, InkCodes ink, const std::array<uint32_t, 4> &codeColours,
                             const OcrSettings &settings, bool reduced)
{
    return Segmenter(image, ink, codeColours, settings, reduced).run();
}

} // namespace glyfex::recognition
