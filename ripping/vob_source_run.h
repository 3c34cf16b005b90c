// The reading pass's run as recognition sees it: rewinding to the unit being recognised, skipped pictures, the processing flag.
#pragma once

#include "picture/source_run.h"
#include "ripping/run_state.h"

namespace glyfex::ripping {

// The next pass resumes at the sector that began the current unit and counts that unit again; a map
// being followed is read again and cut there.
void rewindToUnitStart(RunState &run);

class VobSourceRun : public picture::SourceRun {
public:
    explicit VobSourceRun(RunState &run) : m_run(run) {}

    void rewindToCurrentPicture() override;
    void countSkipped() override;
    bool processing() const override { return m_run.processing; }

private:
    RunState &m_run;
};

} // namespace glyfex::ripping
