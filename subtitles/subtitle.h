// One subtitle as the store keeps it: times, up to ten text lines with their colours, picture rectangle and DVD colours.
#pragma once

#include "core/time_code.h"
#include "picture/rect.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace glyfex::subtitles {

inline constexpr int kMaxLines = 10;

struct Subtitle {
    core::TimeCode start;
    // All zero while a ripped subtitle still waits for its stop.
    core::TimeCode stop;
    // At most kMaxLines; style tags <b> <i> <u> and their closing forms may stand inside the text.
    QStringList lines;
    // Colour of each line as 0xRRGGBB; only the first lines.size() entries mean anything.
    std::array<uint32_t, kMaxLines> lineColors{};
    // The picture's rectangle on the 720-pixel-wide frame; zero for subtitles read from text files.
    picture::Rect rect;
    // Four 4-bit DVD palette indices, one per 2-bit pixel code, code 0 in the low nibble.
    uint16_t colorWord = 0;
    // Four 4-bit contrasts (0 transparent .. 15 opaque), code 0 in the low nibble.
    uint16_t contrastWord = 0;

    int lineCount() const { return int(lines.size()); }
};

} // namespace glyfex::subtitles
