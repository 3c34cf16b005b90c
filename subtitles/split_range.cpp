// The split filter.
#include "subtitles/split_range.h"

#include <algorithm>

namespace glyfex::subtitles {

namespace {

// Times are compared as unsigned milliseconds, so a negative time counts as very late.
uint32_t ms(const core::TimeCode &t)
{
    return uint32_t(core::timeCodeToMilliseconds(t));
}

} // namespace

bool overlapsSplitRange(const Subtitle &sub, const SplitRange &range)
{
    const uint32_t s = ms(sub.start);
    const uint32_t e = std::max(s, ms(sub.stop));
    return ms(range.start) < e && ms(range.stop) > s;
}

Subtitle clipToSplitRange(const Subtitle &sub, const SplitRange &range)
{
    Subtitle copy = sub;
    const uint32_t s = ms(sub.start);
    uint32_t e = std::max(s, ms(sub.stop));
    const uint32_t a = ms(range.start);
    const uint32_t b = ms(range.stop);
    if (b < e) {
        copy.stop = range.stop;
        // The clipped stop is the one made relative below.
        e = b;
    }
    if (a == 0)
        return copy;
    copy.start = core::millisecondsToTimeCode(a > s ? 0 : int64_t(s - a));
    copy.stop = core::millisecondsToTimeCode(a > e ? 0 : int64_t(e - a));
    return copy;
}

SplitBarFill splitBarFill(const core::TimeCode &start, const core::TimeCode &stop, const core::TimeCode &endOfFile,
                          int barLeft, int barWidth)
{
    const auto seconds = [](const core::TimeCode &t) { return std::max<int64_t>(0, core::timeCodeToMilliseconds(t) / 1000); };
    const int64_t startSec = seconds(start);
    int64_t stopSec = seconds(stop);
    int64_t endSec = seconds(endOfFile);
    if (endSec == 0) {
        endSec = 1;
        stopSec = 1;
    }
    const int64_t s = std::min(startSec, endSec);
    // Pixels per second x 1000000, so that a long file still gets fractions of a pixel right.
    const int64_t scale = int64_t(barWidth) * 1000000 / endSec;
    SplitBarFill fill;
    fill.left = int(s * scale / 1000000 + barLeft);
    fill.width = int((std::max(s, std::min(endSec, stopSec)) - s) * scale / 1000000);
    return fill;
}

} // namespace glyfex::subtitles
