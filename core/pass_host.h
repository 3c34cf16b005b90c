// The host of a long loop (reading pass, stream scan, matrix load): progress, and an event pump that may stop it.
#pragma once

#include <cstdint>

namespace glyfex::core {

enum class PumpResult { Continue, Pause, Cancel };

class PassHost {
public:
    virtual ~PassHost() = default;
    // done out of total, in the loop's own unit (bytes, sectors, entries); total may be 0.
    virtual void progress(int64_t done, int64_t total) = 0;
    // Lets the interface run; answers whether the loop goes on, pauses (resumable) or is cancelled.
    virtual PumpResult pump() = 0;
};

// A host that never stops the loop and shows nothing.
class NullPassHost : public PassHost {
public:
    void progress(int64_t, int64_t) override {}
    PumpResult pump() override { return PumpResult::Continue; }
};

} // namespace glyfex::core
