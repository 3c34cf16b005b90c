// When a picture's subtitle shows: start and stop on the run's clock.
#pragma once

#include "core/time_code.h"

namespace glyfex::picture {

// Milliseconds; a zero stop means that the source gave none (the next picture's start closes it).
struct DisplayTimes {
    core::TimeCode start;
    core::TimeCode stop;
    friend bool operator==(const DisplayTimes &, const DisplayTimes &) = default;
};

} // namespace glyfex::picture
