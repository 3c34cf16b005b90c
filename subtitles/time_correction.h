// Time correction of the whole store: offset, stretch, duration rule, minimum interval and the repair for authoring tools.
#pragma once

#include "core/messages.h"
#include "core/user_prompt.h"
#include "subtitles/subtitle_store.h"

#include <cstdint>

namespace glyfex::subtitles {

enum class DurationMethod { Fixed, Proportional };

// What the Time correction dialog collects; every time is in milliseconds.
struct TimeCorrectionOptions {
    int64_t offsetMs = 0;      // added to every time (subtracted with minusOffset); 0 skips the step
    bool minusOffset = false;
    int64_t stretchMs = 0;     // how much later (earlier with minusStretch) the last subtitle starts; 0 skips
    bool minusStretch = false;
    bool modifyDuration = false;
    DurationMethod durationMethod = DurationMethod::Proportional;
    int64_t fixedDurationMs = 4000;
    int64_t offsetDurationMs = 500; // proportional: base duration ...
    int64_t msPerChar = 50;         // ... plus this much per character of text
    int64_t minIntervalMs = 0;      // gap kept between a stop and the next start; 0 skips the step
    bool authorRepair = false;      // every subtitle at least one frame long, no overlaps
    int framesPerSecond = 25;       // the frame the repair uses is 1000 / framesPerSecond ms
};

enum class TimeCorrectionOutcome {
    Unchanged,  // an empty store: nothing to do
    Applied,    // the store holds the corrected times
    Abandoned,  // the user answered No to a start falling to 0: the store is as it was
};

// Applies the steps in order (offset, stretch, duration, interval, repair) on a copy of the times and
// puts the copy into the store only at the end, so that stopping part-way changes nothing. A start
// that would fall to 0 or below asks whether to continue; a stretch that cannot be made warns and is
// skipped while the other steps still run. Times stay within 0 .. the largest 32-bit millisecond
// count, and no stop is left before its start.
TimeCorrectionOutcome correctTimes(SubtitleStore &store, const TimeCorrectionOptions &options,
                                   const core::MessageTable &messages, core::UserPrompt &prompt);

} // namespace glyfex::subtitles
