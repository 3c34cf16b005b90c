// Stand-ins for the stores a benchmarked run hands its results to when only the run's own cost is measured.
#pragma once

#include "ripping/spu_dispatch.h"

namespace glyfex::bench {

// A subtitle store that keeps nothing.
class NullSubtitles : public picture::SubtitleSink {
public:
    int count() const override { return 0; }
    core::TimeCode lastStart() const override { return {}; }
    core::TimeCode lastStop() const override { return {}; }
    void setLastStop(const core::TimeCode &) override {}
    core::Result<void> addPictureSubtitle(const QString &, const picture::DisplayTimes &, const picture::Rect &, uint16_t,
                                          uint16_t) override
    {
        return {};
    }
};

} // namespace glyfex::bench
