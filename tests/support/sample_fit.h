// The assistant's sample line fitted over a subtitle picture as a user fits it by eye: its letters laid over the letters of the picture's first line.
#pragma once
// Header-only so that the OCR benchmark, which links only the logic library, fits the same way.

#include "recognition/font_fill.h"
#include "recognition/segmentation.h"

#include <cmath>
#include <optional>

namespace glyfex::test {

// The fill geometry of a sample line (the text of the picture's first line, upright) stretched until its
// letters are as wide and as tall as the picture's: the sums of the widths and heights of the character
// boxes of both lines compared. The letters, not the line: material drawn with wider letter spacing than
// the font's (an authoring tool that pads each glyph for its outline) would otherwise get letters too
// wide. nullopt when the two lines do not have as many boxes.
inline std::optional<recognition::FillGeometry> fitSampleLine(const recognition::TextRenderer &renderer,
                                                              const QString &sample, const picture::CodeImage &codes,
                                                              recognition::InkCodes ink)
{
    const picture::CodeImage rendering = recognition::renderSampleLine(renderer, sample, 0);
    picture::CodeImage sampleWork = rendering;
    for (int y = 0; y < sampleWork.height; ++y)
        for (int x = 0; x < sampleWork.width; ++x)
            sampleWork.at(x, y) = rendering.at(x, y) == recognition::kFontInk ? 1 : 0;
    picture::CodeImage work = codes;
    const recognition::OcrSettings settings;
    const auto sampleLines = recognition::segmentSubtitle(sampleWork, recognition::InkCodes{1, 255}, {}, settings).lines;
    const auto lines = recognition::segmentSubtitle(work, ink, {}, settings).lines;
    if (sampleLines.size() != 1 || lines.empty() || lines.front().boxes.size() != sampleLines.front().boxes.size()
        || lines.front().boxes.empty())
        return std::nullopt;
    double widths = 0, heights = 0, sampleWidths = 0, sampleHeights = 0;
    for (size_t i = 0; i < lines.front().boxes.size(); ++i) {
        widths += lines.front().boxes[i].width;
        heights += lines.front().boxes[i].height;
        sampleWidths += sampleLines.front().boxes[i].width;
        sampleHeights += sampleLines.front().boxes[i].height;
    }
    recognition::FillGeometry g;
    g.sampleText = sample;
    g.sampleWidth = rendering.width;
    g.sampleHeight = rendering.height;
    // The fitting fields take whole pixels.
    g.fittedWidth = std::round(rendering.width * widths / sampleWidths);
    g.fittedHeight = std::round(rendering.height * heights / sampleHeights);
    return g;
}

} // namespace glyfex::test
