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

// Where the split bar's fill lies over the bar that stands for the whole file (pixels).
struct SplitBarFill {
    int left = 0;
    int width = 0;
};
// The range start..stop over a file of endOfFile, all counted in whole seconds; a file shorter than a
// second draws as one second long, so an empty store still shows a bar.
SplitBarFill splitBarFill(const core::TimeCode &start, const core::TimeCode &stop, const core::TimeCode &endOfFile,
                          int barLeft, int barWidth);

} // namespace glyfex::subtitles
