// The process priority the Priority menu chooses, set through the scheduler's nice value.
#pragma once

#include "core/result.h"

namespace glyfex::ripping {

// Menu order and configuration value: 0 idle, 1 normal, 2 high, 3 real time.
enum class PriorityLevel { Idle = 0, Normal = 1, High = 2, RealTime = 3 };

// The nice value standing for each level (19 idle ... -20 real time).
int niceValueOf(PriorityLevel level);

// Sets this process's nice value; raising the priority needs privileges, and a refusal is an error
// naming the level so the menu can say so and keep the previous tick.
core::Result<void> setProcessPriority(PriorityLevel level);

} // namespace glyfex::ripping
