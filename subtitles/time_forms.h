// The time forms the writers print: whole seconds, hundredths, deciseconds, frame numbers and frame time codes.
#pragma once

#include "core/result.h"
#include "core/time_code.h"

#include <QString>
#include <QStringView>

#include <cstdint>

namespace glyfex::subtitles {

// Milliseconds above 500 round up with carry; 500 exactly rounds down. The fraction becomes 0.
core::TimeCode roundTimeToSecond(const core::TimeCode &t);

// Hundredths rounded from the milliseconds, halves to even; 100 carries one second into the time.
struct Hundredths {
    core::TimeCode time;
    int hundredths = 0;
};
Hundredths roundedHundredths(const core::TimeCode &t);
// The first two digits of the three-digit milliseconds.
inline int truncatedHundredths(const core::TimeCode &t) { return t.fraction / 10; }

// Tenths of a second in total; the rounded tenth (halves to even) may reach 10 and simply adds up.
int64_t deciseconds(const core::TimeCode &t);

// Frame number of a millisecond time at rateX1000 frames per 1000 s, rounded with halves to even.
int64_t frameNumber(const core::TimeCode &t, uint32_t rateX1000);

// Frame time code of a millisecond time at rateX100 (2500 PAL, 3000 NTSC). Frames carry into the
// seconds at the output rate. With dropFrame, frames 0 and 1 of second 0 of a minute that is not a
// multiple of ten become frame 2.
core::TimeCode msToFrameTimeCode(const core::TimeCode &t, uint16_t rateX100, bool dropFrame);

// A typed frame rate ("23.976", "29,97", "25") as frames per 1000 s. A text that is no number
// counts as 25; a rate of zero or less, or one beyond 1000 frames a second, is refused.
core::Result<uint32_t> parseFrameRateX1000(QStringView text);

// A stop that comes less than gapMs before the next start is moved back to keep that gap.
core::TimeCode keepMinimumGap(const core::TimeCode &stop, const core::TimeCode &nextStart, int64_t gapMs);

} // namespace glyfex::subtitles
