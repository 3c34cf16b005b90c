// The 33-bit 90 kHz clocks of a program stream (SCR and PTS) counted on past the clock's wrap, in 64 bits.
#include "ripping/mpeg_clock.h"

namespace glyfex::ripping {

namespace {

constexpr int64_t kQuarter = kClockWrap / 4;

} // namespace

int64_t ScrClock::count(uint64_t raw33)
{
    const int64_t raw = int64_t(raw33 & uint64_t(kClockWrap - 1));
    if (last >= 0) {
        if (last >= 3 * kQuarter && raw < kQuarter)
            wraps += 1;
        else if (wraps > 0 && last < kQuarter && raw >= 3 * kQuarter)
            wraps -= 1; // a pack from just before the wrap, read after one from just after it
    }
    last = raw;
    return raw + wraps * kClockWrap;
}

int64_t ptsNearScr(uint64_t raw33, int64_t scr)
{
    const int64_t raw = int64_t(raw33 & uint64_t(kClockWrap - 1));
    const int64_t from = scr - 2 * kQuarter;
    // The first raw + k * wrap at or after from: k is the ceiling of (from - raw) / wrap.
    const int64_t gap = from - raw;
    const int64_t k = gap > 0 ? (gap + kClockWrap - 1) / kClockWrap : -((-gap) / kClockWrap);
    return raw + k * kClockWrap;
}

} // namespace glyfex::ripping
