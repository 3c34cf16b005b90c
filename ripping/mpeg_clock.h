// The 33-bit 90 kHz clocks of a program stream (SCR and PTS) counted on past the clock's wrap, in 64 bits.
#pragma once

#include <cstdint>

namespace glyfex::ripping {

// The clocks count 90 000 ticks a second in 33 bits, so they wrap after 26 h 30 min; a title of more
// than 6 h 37 min already needs more than 31 bits.
inline constexpr int64_t kClockWrap = int64_t(1) << 33;

// The packs' clock, counted on where its 33 bits wrap: a value in the lowest quarter of the range after
// one in the highest quarter is the clock going on past the wrap, not falling back to 0 (a fall of the
// clock within a disc, a spliced VOB, stays a fall). Value-initialised it knows no pack yet.
struct ScrClock {
    int64_t wraps = 0;   // multiples of kClockWrap added to the packs' values
    int64_t last = -1;   // the last pack's 33-bit value; -1 before the first

    int64_t count(uint64_t raw33);
    friend bool operator==(const ScrClock &, const ScrClock &) = default;
};

// A PTS taken near the pack clock it travels with: of the values that share its 33 bits, the first one
// from 2^31 ticks (6 h 37 min) before the SCR on. A presentation time is never that far behind the clock
// of its pack, and may be up to 19 h ahead of it, so an ordinary disc reads its PTS unchanged.
int64_t ptsNearScr(uint64_t raw33, int64_t scr);

} // namespace glyfex::ripping
