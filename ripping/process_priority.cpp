// Process priority through setpriority(2).
#include "ripping/process_priority.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstring>

namespace glyfex::ripping {

int niceValueOf(PriorityLevel level)
{
    switch (level) {
    case PriorityLevel::Idle: return 19;
    case PriorityLevel::Normal: return 0;
    case PriorityLevel::High: return -10;
    case PriorityLevel::RealTime: return -20;
    }
    return 0;
}

core::Result<void> setProcessPriority(PriorityLevel level)
{
    const int nice = niceValueOf(level);
    if (setpriority(PRIO_PROCESS, 0, nice) != 0) {
        const int err = errno;
        return core::makeError(QStringLiteral("Cannot change the process priority"),
                               QStringLiteral("nice %1").arg(nice), QString::fromLocal8Bit(std::strerror(err)));
    }
    return {};
}

} // namespace glyfex::ripping
