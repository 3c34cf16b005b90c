// The split filter: which subtitles fall into a split range, and their times relative to the range's start.
#pragma once

#include "subtitles/subtitle.h"

namespace glyfex::subtitles {

struct SplitRange {
    core::TimeCode start;
    core::TimeCode stop;
};

// The subtitle shows at some moment inside the range (a stop before its start counts as the start).
bool overlapsSplitRange(const Subtitle &sub, const SplitRange &range);
// A copy whose stop is cut at the range's stop and whose times count from the range's start
// (unchanged when the range starts at 0); times before the range's start become 0.
Subtitle clipToSplitRange(const Subtitle &sub, const SplitRange &range);

} // namespace glyfex::subtitles
