// Rewinding the reading pass to the unit being recognised, and counting the units recognition could not use.
#include "ripping/vob_source_run.h"

#include "ripping/vob_pass.h"

namespace glyfex::ripping {

void rewindToUnitStart(RunState &run)
{
    run.resumePos = run.spuSectorPos;
    if (run.spuCount > 0)
        run.spuCount -= 1;
    if (run.spuCountTotal > 0)
        run.spuCountTotal -= 1;
    // A map being followed was consumed up to the current sector: it is read again and cut there.
    reloadMapForResume(run);
}

void VobSourceRun::rewindToCurrentPicture()
{
    rewindToUnitStart(m_run);
    // Paused from here, not by the main window's button: the pass keeps the resume position set above.
    m_run.paused = true;
    m_run.pausedByMainButton = false;
}

void VobSourceRun::countSkipped()
{
    if (m_run.skippedCount < 0xFFFF)
        m_run.skippedCount += 1;
}

} // namespace glyfex::ripping
