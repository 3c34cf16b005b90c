// Subtitles for the tests of the subtitle subsystem: times, lines, white text on a bottom rectangle.
#pragma once

#include "subtitles/subtitle.h"

namespace glyfex::test {

inline subtitles::Subtitle makeSubtitle(core::TimeCode start, core::TimeCode stop, QStringList lines)
{
    subtitles::Subtitle s;
    s.start = start;
    s.stop = stop;
    s.lines = std::move(lines);
    s.lineColors.fill(0xFFFFFF);
    s.rect = {100, 420, 620, 500};
    return s;
}

} // namespace glyfex::test
