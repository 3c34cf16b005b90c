// Burned-in text found by colour: one video frame's analysed area turned into a code mask of text pixels.
#pragma once

#include "core/result.h"
#include "picture/code_image.h"
#include "picture/rect.h"
#include "sources/avi_player.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::sources {

// The codes of the mask. Recognition reads code 1 as the text; the others show in the preview why a
// pixel is not text.
enum MaskCode : uint8_t {
    kMaskNothing = 0,
    kMaskText = 1,
    kMaskBorder = 2,     // outline next to text
    kMaskUnexamined = 3, // too few text pixels, or a band between or beside the text lines
    kMaskMeasuring = 4,  // transient: the area being measured
    kMaskOpen = 7,       // text-coloured area open to an edge or cut by a line band
    kMaskLarge = 8,      // text-coloured area too large to be a character
    kMaskSmall = 9,      // transient small-area mark; beside the text of a line
};

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// Inclusive per channel. A bound may lie outside 0..255 or min above max: the range is then narrower or empty.
struct ColourRange {
    Rgb min;
    Rgb max;
    bool contains(const uint8_t *bgr) const
    {
        return bgr[0] >= min.blue && bgr[0] <= max.blue && bgr[1] >= min.green && bgr[1] <= max.green
            && bgr[2] >= min.red && bgr[2] <= max.red;
    }
    friend bool operator==(const ColourRange &, const ColourRange &) = default;
};

// colour +- tolerance per channel, kept within 0..255.
ColourRange rangeAround(Rgb colour, Rgb tolerance);
// The text range widened by the fatten tolerance per channel (narrowed by a negative one); each bound is
// only kept from leaving 0..255 on its own side, so a tolerance of -255 leaves the range empty.
ColourRange fattenRangeOf(const ColourRange &text, Rgb tolerance);

enum class TextAlign { Left, Center, Right };

struct FrameAnalysisOptions {
    int textLineWidth = 1;  // 1..10: how far a text pixel looks for text around it
    int outlineWidth = 1;   // 1..10: added to textLineWidth for the outline search
    int minPixels = 100;    // a picture needs more text pixels than this
    bool useOutline = false;
    bool fillOpen = true;
    bool fillLarge = false;
    bool fatten = false;
    bool drawLines = false;
    bool fillSides = false;
    int lineCount = 2;      // expected text lines
    int topOffset = 5;      // first line's offset from the area's top
    int lineHeight = 30;
    int space = 5;          // between lines
    TextAlign align = TextAlign::Center;
    Rgb outlineColour{0, 0, 0}; // the bands between lines are painted on the frame in it

    // Outline search distance.
    int exploreWidth() const { return textLineWidth + outlineWidth; }
};

enum class AnalysisMode { Full = 0, Accumulate = 1, Compare = 2, Update = 3 };

// The analysis of one area of the frames of a video. setArea chooses the pixels analysed; each analysis
// writes mask() (one code per area pixel, mask (x, y) = frame (area.left + x, area.top + y)) and returns a
// pixel count plus one, never 0. accMask() keeps the text that stayed text over the frames followed so far.
class FrameAnalysis {
public:
    FrameAnalysisOptions options;
    ColourRange textRange;
    ColourRange fattenRange;
    ColourRange outlineRange;

    // The analysed pixels, clamped into a frame of the given size; an area that leaves no pixel in the
    // frame is refused and the previous one kept. A new area starts a new accumulated mask.
    core::Result<void> setArea(const picture::Rect &area, int frameWidth, int frameHeight);
    const picture::Rect &area() const { return m_area; }
    bool hasArea() const { return m_hasArea; }

    int analyzeFrame(BgrFrame &frame, AnalysisMode mode);
    // The frame may get the bands between lines painted on it (options.drawLines).
    int buildTextMask(BgrFrame &frame);
    int accumulateTextMask(BgrFrame &frame);
    int compareTextMask(const BgrFrame &frame);
    int updateTextMask(BgrFrame &frame);

    const picture::CodeImage &mask() const { return m_mask; }
    picture::CodeImage &mask() { return m_mask; }
    const picture::CodeImage &accMask() const { return m_accMask; }
    int textCount() const { return m_textCount; }
    // The mode the last analysis shows to the user: Full, Accumulate or Compare.
    AnalysisMode shownMode() const { return m_shownMode; }

    bool isTextColor(const uint8_t *bgr) const { return textRange.contains(bgr); }
    bool isFattenColor(const uint8_t *bgr) const { return fattenRange.contains(bgr); }
    bool isOutlineColor(const uint8_t *bgr) const { return outlineRange.contains(bgr); }

    // Line bands and the sides of each line painted into the mask (used by buildTextMask).
    void fillBetweenLines(picture::CodeImage &mask) const;
    void fillSides(picture::CodeImage &mask) const;

private:
    // Classification with a margin on every side, so that the neighbourhood search needs no bounds tests.
    struct Plane {
        int stride = 0;
        int margin = 0;
        std::vector<uint8_t> flags;
        uint8_t at(int x, int y) const { return flags[size_t(y + margin) * size_t(stride) + size_t(x + margin)]; }
        uint8_t &at(int x, int y) { return flags[size_t(y + margin) * size_t(stride) + size_t(x + margin)]; }
    };

    bool areaFits(const BgrFrame &frame) const;
    int buildMask(BgrFrame &frame, AnalysisMode mode);
    void paintLineBands(BgrFrame &frame) const;
    void decide();
    void clean();
    void fillLargeAreas();
    void fattenText();

    picture::Rect m_area;
    bool m_hasArea = false;
    Plane m_text;
    Plane m_fatten;
    Plane m_outline;
    picture::CodeImage m_mask;
    picture::CodeImage m_accMask;
    int m_textCount = 1;
    AnalysisMode m_shownMode = AnalysisMode::Full;
};

// 4-connected flood fill of the area of (x, y)'s code with `code`; nothing for a point outside.
void floodFill(picture::CodeImage &image, int x, int y, uint8_t code);

// Crops the image to the bounding box of its pixels equal to value, moved to the origin, and returns the
// box in the image's former coordinates; nullopt and the image unchanged when no pixel equals value.
std::optional<picture::Rect> cutValidRect(picture::CodeImage &image, uint8_t value);

} // namespace glyfex::sources
